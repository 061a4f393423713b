#pragma once
// The record list as a model: thirteen columns (number, the eleven fields in display order, then
// the bike) over a diary::RecordTable. Texts are converted to QString only when a view asks for
// them.

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "diary/record_table.h"
#include "diary/regional.h"

class RecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordModel(QObject* parent = nullptr);

    static QStringList Captions();  // the list captions of diary::kFields, column by column

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const diary::RecordTable& table() const { return table_; }
    const diary::RecordRow& row(int i) const { return table_[static_cast<std::size_t>(i)]; }

    // A search's rows; their values are read when asked for.
    void Assign(std::vector<diary::RecordRow> rows);
    // A diary's rows, with the values the statistics and the overview read (RecordTable::Assign).
    void Assign(std::vector<diary::RecordRow> rows, const diary::RegionalSettings& regional);
    void Append(diary::RecordRow row);
    void Replace(int i, diary::RecordRow row);
    void RemoveAndRenumber(int i);
    void Clear();
    void SortByColumn(int column, const diary::RegionalSettings& regional);

private:
    diary::RecordTable table_;
};

class QTreeView;
// A QTreeView set up as a report list: grid-like, whole rows, one selection, no editing. Each
// column is at least the program's own width and wide enough for its caption and for typical
// content in the view's font (a date in `regional`'s format, a six-digit odometer reading).
void SetUpRecordView(QTreeView* view, RecordModel* model, const diary::RegionalSettings& regional);

// The widths a user can give the columns: all but the last, which fills the rest of the view.
std::vector<int> ColumnWidths(const QTreeView* view);
// Widths as ColumnWidths gave them; a 0, or a column beyond those given, keeps its width.
void RestoreColumnWidths(QTreeView* view, const std::vector<int>& widths);
