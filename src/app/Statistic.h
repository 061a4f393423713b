#pragma once
// The statistics window: twelve figures over the main list, a snapshot taken on demand.

#include <QDialog>

class QTableWidget;
class QPushButton;

class TStatForm : public QDialog {
    Q_OBJECT
public:
    explicit TStatForm(QWidget* parent = nullptr);

    // Recomputes the figures from the main list in its current order.
    void GetInfo();
    // The "Statistika" command: with rows in the main list, fresh figures and the window to
    // the front; with none, nothing at all (an open window keeps its earlier figures).
    void ShowStatistics();

    QTableWidget* Grid = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void OKButtonClick();
};
