#pragma once
// The two-column grids of captions and values that the detail and statistics windows show:
// nothing editable, nothing scrolling, every row the same height.

#include <QStringList>

class QTableWidget;
class QWidget;

// A grid of captions.size() rows with `captions` in column 0 and `value` in column 1.
QTableWidget* MakeCaptionGrid(QWidget* parent, const QStringList& captions, const QString& value);
