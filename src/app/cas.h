#pragma once
// The ride-time dialog: hours and minutes typed apart, handed on as "<H> h <M> min".

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

class TCasForm : public QDialog {
    Q_OBJECT
public:
    explicit TCasForm(QWidget* parent = nullptr);

    // The entry dialog starts every use empty; the search window deliberately does not.
    void ClearEdits();
    // Both boxes exactly as typed: "1" and "90" give "1 h 90 min", empty boxes " h  min".
    QString rideTimeText() const;

    // Esc and "Storno" end the dialog with 2 (Cancel), as the openers expect.
    void reject() override;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

public slots:
    void AOLButton1Click();
    void AOLButton2Click();
};
