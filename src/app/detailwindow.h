#pragma once
// The detail window: every field of one ride, one per line with its full caption.

#include <QDialog>

#include "diary/record.h"

class QTableWidget;
class QPushButton;

class TInfoForm : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` is disabled while the window is up (so it is no parent: a disabled parent
    // would disable this window too).
    explicit TInfoForm(QWidget* mainWindow, QWidget* parent = nullptr);

    // Shows the row's own number and its twelve texts exactly as the list shows them, modally,
    // with the main window disabled for that time.
    void ShowRecord(const diary::RecordRow& row);

private:
    void Fill(const diary::RecordRow& row);

    QWidget* mainWindow_;
    QTableWidget* Grid = nullptr;
    QPushButton* OKButton = nullptr;
};
