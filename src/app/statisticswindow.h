#pragma once
// The statistics window: twelve figures over the main list, a snapshot taken on demand.

#include <QDialog>

#include "diary/regional.h"

class QTableWidget;
class QPushButton;
class RecordModel;

class TStatForm : public QDialog {
    Q_OBJECT
public:
    // `list` is the main list the figures are taken from, in its current order.
    TStatForm(const RecordModel* list, const diary::RegionalSettings& regional,
              QWidget* parent = nullptr);

    // The "Statistika" command: with rows in the main list, fresh figures and the window to
    // the front; with none, nothing at all (an open window keeps its earlier figures).
    void ShowStatistics();

private:
    // Recomputes the figures from the main list.
    void GetInfo();

    const RecordModel* list_;
    diary::RegionalSettings regional_;
    QTableWidget* grid = nullptr;
    QPushButton* okButton = nullptr;
};
