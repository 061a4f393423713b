#pragma once
// The detail window: every field of one ride, one per line with its full caption.

#include <QDialog>

#include "diary/record.h"

class QTableWidget;
class QPushButton;

class TInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TInfoForm(QWidget* parent = nullptr);

    // Shows the row's own number and its twelve texts exactly as the list shows them,
    // application-modal: no other window takes input while it is up.
    void ShowRecord(const diary::RecordRow& row);

private:
    void Fill(const diary::RecordRow& row);

    QTableWidget* grid = nullptr;
    QPushButton* okButton = nullptr;
};
