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

    // The row's own number and its eleven texts exactly as the list shows them.
    void Fill(const diary::RecordRow& row);
    // Fill, then show modally with the main window disabled for that time.
    void ShowRecord(const diary::RecordRow& row);

    QTableWidget* Grid = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void OKButtonClick();
};
