#pragma once
// The About window: the program's picture, name and version.

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the window modelessly, centred, in front.
    void ShowAbout();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
