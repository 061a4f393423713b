#include "app/recordmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTreeView>
#include <algorithm>

#include "app/textcodec.h"
#include "diary/fields.h"
#include "diary/regional.h"

RecordModel::RecordModel(QObject* parent) : QAbstractTableModel(parent) {}

QStringList RecordModel::Captions() {
    QStringList captions;
    for (int c = 0; c < diary::kColumnCount; ++c) {
        const std::string_view caption = diary::ColumnAt(c)->list;
        captions.append(FromUtf8(caption));
    }
    return captions;
}

int RecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.size());
}

int RecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : diary::kColumnCount;
}

QVariant RecordModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= diary::kColumnCount)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return FromCp(row(index.row()).Column(index.column()));
    }
    return {};
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < diary::kColumnCount) {
        return Captions().at(section);
    }
    return {};
}

void RecordModel::Assign(std::vector<diary::RecordRow> rows) {
    beginResetModel();
    table_.Assign(std::move(rows));
    endResetModel();
}

void RecordModel::Assign(std::vector<diary::RecordRow> rows,
                         const diary::RegionalSettings& regional) {
    beginResetModel();
    table_.Assign(std::move(rows), regional);
    endResetModel();
}

void RecordModel::Append(diary::RecordRow row) {
    const int n = rowCount();
    beginInsertRows({}, n, n);
    table_.Append(std::move(row));
    endInsertRows();
}

void RecordModel::Replace(int i, diary::RecordRow row) {
    table_.Replace(static_cast<std::size_t>(i), std::move(row));
    emit dataChanged(index(i, 0), index(i, diary::kColumnCount - 1));
}

void RecordModel::RemoveAndRenumber(int i) {
    const std::string number(row(i).Number());
    beginRemoveRows({}, i, i);
    table_.RemoveAndRenumber(number);
    endRemoveRows();
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

void RecordModel::Clear() {
    beginResetModel();
    table_.Clear();
    endResetModel();
}

void RecordModel::SortByColumn(int column, const diary::RegionalSettings& regional) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::string> numbers;
    numbers.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& idx : before) numbers.emplace_back(row(idx.row()).Number());
    table_.SortByColumn(column, regional);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k) {
        const auto pos = table_.FindNumber(numbers[static_cast<std::size_t>(k)]);
        after.append(pos < 0 ? QModelIndex() : index(static_cast<int>(pos), before[k].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

namespace {

// What a column typically holds, for its width; empty where the program's width is enough.
QString SampleText(int column, const diary::RegionalSettings& regional) {
    const QString decimal = FromCp(regional.decimalSeparator);
    switch (column) {
        case 0:
            // Six-digit record numbers: the number column of the file format is unbounded.
            return QStringLiteral("000000");
        case 1:
            // Two-digit day and month: the widest date of the user's format.
            return FromCp(diary::FormatDate(regional, {2026, 12, 28}));
        case 5:
        case 7:
            return QStringLiteral("123456") + decimal + QStringLiteral("7");
        case 6:
            return QStringLiteral("1234") + decimal + QStringLiteral("5");
        case 8:
            return QStringLiteral("10 h 59 min");
        case 9:
        case 10:
            return QStringLiteral("99") + decimal + QStringLiteral("9");
        default:
            return {};
    }
}

// Room around a cell's or a caption's text: the style's margins on both sides and the grid line.
constexpr int kTextPadding = 16;

// Paints a cell as the list's style sheet draws it (a grid line on its right and bottom, the
// selected row in the highlight colours, the text cut with an ellipsis where it does not fit),
// laying its text out once: the style's own painting laid each cell's text out four times, and
// a list of short texts repainted after every added ride spent most of its time there.
class RecordCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette::ColorGroup group =
            !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (option.state & QStyle::State_Active) ? QPalette::Active
                                                    : QPalette::Inactive;
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QRect cell = option.rect;
        painter->save();
        if (selected) painter->fillRect(cell, option.palette.brush(group, QPalette::Highlight));
        // The grid lines as one-pixel rectangles: a filled rectangle is the painter's fastest
        // path, a line is clipped and stroked.
        const QBrush grid = option.palette.brush(group, QPalette::Midlight);
        painter->fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), grid);
        painter->fillRect(QRect(cell.left(), cell.bottom(), cell.width() - 1, 1), grid);
        // Inside the grid line, with the style's margin on either side of the text.
        const QStyle* style =
            option.widget != nullptr ? option.widget->style() : QApplication::style();
        const int margin =
            style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
        const QRect textRect = cell.adjusted(margin, 0, -margin - 1, -1);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        // Laid out once: drawn as it is when it fits, which a list's cells nearly always do.
        QTextLayout layout(index.data(Qt::DisplayRole).toString(), option.font, painter->device());
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (line.isValid() && line.naturalTextWidth() <= textRect.width()) {
            const qreal top = textRect.top() + (textRect.height() - line.height()) / 2;
            layout.draw(painter, QPointF(textRect.left(), top));
        } else {
            painter->setFont(option.font);
            painter->drawText(
                textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                option.fontMetrics.elidedText(layout.text(), Qt::ElideRight, textRect.width()));
        }
        painter->restore();
    }
};

}  // namespace

void SetUpRecordView(QTreeView* view, RecordModel* model, const diary::RegionalSettings& regional) {
    view->setModel(model);
    view->setItemDelegate(new RecordCellDelegate(view));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(false);
    // Once a style sheet styles the items it also owns their selected look: without the
    // second rule the selected row is white text on white, that is, an empty row. The scroll
    // bars get a thumb darker than its trough: the default style draws it lighter, which
    // reads as a scroll bar running backwards.
    view->setStyleSheet(
        QStringLiteral("QTreeView::item { border-right: 1px solid palette(midlight); "
                       "border-bottom: 1px solid palette(midlight); } "
                       "QTreeView::item:selected { background: palette(highlight); "
                       "color: palette(highlighted-text); } "
                       "QScrollBar { background: palette(window); } "
                       "QScrollBar::handle { background: palette(mid); "
                       "border: 1px solid palette(dark); border-radius: 3px; "
                       "min-width: 20px; min-height: 20px; } "
                       "QScrollBar::handle:hover, QScrollBar::handle:pressed { "
                       "background: palette(dark); }"));
    view->header()->setSectionsClickable(true);
    view->header()->setSortIndicatorShown(false);
    view->header()->setStretchLastSection(true);
    const QFontMetrics cells(view->font());
    const QFontMetrics captions(view->header()->font());
    for (int c = 0; c < diary::kColumnCount; ++c) {
        const int caption = captions.horizontalAdvance(RecordModel::Captions().at(c));
        const int content = cells.horizontalAdvance(SampleText(c, regional));
        view->setColumnWidth(
            c, std::max(diary::ColumnAt(c)->width, std::max(caption, content) + kTextPadding));
    }
}

std::vector<int> ColumnWidths(const QTreeView* view) {
    std::vector<int> widths;
    for (int c = 0; c + 1 < view->header()->count(); ++c) widths.push_back(view->columnWidth(c));
    return widths;
}

void RestoreColumnWidths(QTreeView* view, const std::vector<int>& widths) {
    const int n = std::min(static_cast<int>(widths.size()), view->header()->count() - 1);
    for (int c = 0; c < n; ++c) {
        if (widths[static_cast<std::size_t>(c)] > 0)
            view->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }
}
