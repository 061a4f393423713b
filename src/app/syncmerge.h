#pragma once
// "Sloučit kopii deníku…": what merging a sync tool's conflict copy into the open diary would
// do, ride by ride, with a choice for each conflict. The main window merges on "Sloučit".

#include <QDialog>
#include <optional>
#include <vector>

#include "diary/sync_merge.h"

class QLabel;
class QPushButton;
class QTreeWidget;

class TSyncMergeForm : public QDialog {
    Q_OBJECT
public:
    explicit TSyncMergeForm(QWidget* parent = nullptr);

    // Shows `plan` of the copy named `copyName` modally; the choice for each of its conflicts
    // after "Sloučit", nothing after "Storno", Esc or the close box.
    std::optional<std::vector<diary::MergeChoice>> Ask(const QString& copyName,
                                                       const diary::MergePlan& plan);

private:
    QLabel* titleLabel = nullptr;
    QLabel* countsLabel = nullptr;
    QTreeWidget* changeList = nullptr;
    QLabel* conflictLabel = nullptr;
    QTreeWidget* conflictList = nullptr;
    QPushButton* mergeButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
