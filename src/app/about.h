#pragma once
// The About window: the program's picture, name and version.

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    // Shows the window modelessly, centred, in front.
    void ShowAbout();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
