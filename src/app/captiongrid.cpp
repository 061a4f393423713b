#include "app/captiongrid.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {
QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}
}  // namespace

QTableWidget* MakeCaptionGrid(QWidget* parent, const QStringList& captions, const QString& value) {
    auto* grid = new QTableWidget(static_cast<int>(captions.size()), 2, parent);
    grid->setObjectName(QStringLiteral("Grid"));
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setWordWrap(false);
    for (int r = 0; r < captions.size(); ++r) {
        grid->setItem(r, 0, ReadOnlyItem(captions[r]));
        grid->setItem(r, 1, ReadOnlyItem(value));
    }
    return grid;
}
