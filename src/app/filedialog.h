#pragma once
// The open and save dialogs of the program, behind one seam: a test hands the next answer
// (a file name, or a cancel) instead of a real dialog being shown.

#include <QString>

class QWidget;

namespace filedialog {

// The chosen file name, or an empty string when the user cancelled.
QString OpenFileName(QWidget* parent, const QString& filter);
// No overwrite prompt and no default extension: the callers complete the name and ask.
QString SaveFileName(QWidget* parent, const QString& filter);

// The next OpenFileName/SaveFileName returns `name` (empty = cancel) without showing anything.
void SetNextFileName(const QString& name);
void SetNextCancel();
// Whether an answer handed in is still waiting (a test checks no dialog was skipped).
bool HasPendingAnswer();
// The filter the last dialog was asked for, answered or shown.
QString LastFilter();

}  // namespace filedialog
