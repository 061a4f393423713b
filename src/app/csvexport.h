#pragma once
// "Export do CSV…" of the main list and of the search results: the rows as the list shows
// them, under its captions, in a CSV file the user names.

#include <QString>

#include "diary/regional.h"

class QWidget;
class RecordModel;

namespace csvexport {

// The save dialog's filter.
QString Filter();

// Writes the rows of `list`, in its order, to `chosen` (".csv" added when the name lacks it),
// after asking before a file that exists is replaced. A failed write is shown in an "Error"
// box. True when the file was written.
bool WriteList(QWidget* parent, const RecordModel& list, const QString& chosen,
               const diary::RegionalSettings& regional);

}  // namespace csvexport
