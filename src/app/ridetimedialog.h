#pragma once
// The ride-time dialog: hours and minutes typed apart and handed back to whoever asked as
// "<H> h <M> min". The entry dialog and the search window both open it.

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;
class QPushButton;

class TCasForm : public QDialog {
    Q_OBJECT
public:
    explicit TCasForm(QWidget* parent = nullptr);

    enum class Start {
        Empty,   // the entry dialog: every use starts with empty boxes
        AsLeft,  // the search window: the boxes keep what was typed the time before
    };
    // Shows the dialog modally. "OK" hands back both boxes exactly as typed ("1" and "90" give
    // "1 h 90 min", empty boxes " h  min"); "Storno", Esc or the close box hand back nothing.
    std::optional<QString> Ask(Start start);

    // Esc ends the dialog with 2 (Cancel), as "Storno" does.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void AcceptRideTime();  // "OK": ends with 6 (Yes), the answer the openers wait for

private:
    QLineEdit* hoursEdit = nullptr;    // hours
    QLineEdit* minutesEdit = nullptr;  // minutes
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
