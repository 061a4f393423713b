#pragma once
// The open and save dialogs of the program, behind one seam: a test hands the next answer
// (a file name, or a cancel) instead of a real dialog being shown.
//
// Both are the toolkit's own dialog, not the desktop's: it speaks the language of the
// translations the program loads, and its open dialog takes a name that does not exist yet,
// which opens as an empty diary.

#include <QString>
#include <QStringList>

class QWidget;

namespace filedialog {

// The chosen file name, or an empty string when the user cancelled. The dialog starts in
// `folder`.
QString OpenFileName(QWidget* parent, const QString& filter, const QString& folder);
// No overwrite prompt and no default extension: the callers complete the name and ask.
QString SaveFileName(QWidget* parent, const QString& filter, const QString& folder);
// Existing files, any number of them chosen at once; empty when the user cancelled.
QStringList OpenFileNames(QWidget* parent, const QString& filter, const QString& folder);

// An existing folder; empty when the user cancelled. Answered by SetNextFileName too.
QString ExistingFolder(QWidget* parent, const QString& folder);

// Asks before a file that exists is replaced; true when the name may be used.
bool MayOverwrite(QWidget* parent, const QString& path);

// The next OpenFileName/SaveFileName returns `name` (empty = cancel) without showing anything.
void SetNextFileName(const QString& name);
// The next OpenFileNames returns `names` (OpenFileName: the first of them).
void SetNextFileNames(const QStringList& names);
void SetNextCancel();
// Whether an answer handed in is still waiting (a test checks no dialog was skipped).
bool HasPendingAnswer();
// The filter and the folder the last dialog was asked for, answered or shown.
QString LastFilter();
QString LastFolder();

}  // namespace filedialog
