#pragma once
// Driving the main window and the entry dialog in GUI tests: a fresh program per test over its
// own folder, controls found by name with a readable failure, clicks where a user clicks, and
// answers to real modal windows.

#include <QApplication>
#include <QString>
#include <QTest>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"

class QAbstractButton;
class QTreeView;
class TAddForm;
class TMainForm;

namespace guitest {

// The child of `root` called `name`, of type T. Null with `why` filled in when it is missing,
// of another type, or (with mustBeEnabled) disabled.
QObject* FindObject(QObject* root, const QString& name, const QMetaObject& type, bool mustBeEnabled,
                    QString* why);
template <typename T>
T* Find(QObject* root, const QString& name, QString* why, bool mustBeEnabled = true) {
    return static_cast<T*>(FindObject(root, name, T::staticMetaObject, mustBeEnabled, why));
}

void Click(QAbstractButton* button);
// Types `text` key by key into `widget` (any characters, not only ASCII), as a user would:
// through the widget's validator.
void TypeText(QWidget* widget, const QString& text);
void ClickRow(QTreeView* view, int row, int column = 1);
void ClickHeader(QTreeView* view, int section);

// What the answer to one modal window saw.
struct Answer {
    bool done = false;      // the handler ran
    bool leftOpen = false;  // the handler left the window open and it was closed for it
    QString title;
    QString text;  // a message box's text
};

// Runs `handler` on the next modal window that is not the one active now (so a handler can
// answer a message box its own click opens). A window the handler leaves open is closed as
// "Storno" would, so a failed check never hangs the test.
std::shared_ptr<Answer> AnswerModal(std::function<void(QWidget* modal)> handler);
// Answers the next message box with the button called `button` ("OK", "Yes", "No").
std::shared_ptr<Answer> AnswerMessage(const QString& button);

// One program run over a fresh folder that holds the settings file and the diaries.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Start();    // CreateForms
    void Restart();  // DestroyForms, then CreateForms over the same files

    QString Folder() const;
    QString Path(const char* name) const;  // a file in the folder, as the program names it
    std::string FsPath(const char* name) const;
    std::string SettingsFile() const;
    std::string SettingsBytes() const;  // "" when there is none

    TMainForm* Main() const;
    TAddForm* Add() const;

private:
    testsupport::TempDir dir_;
};

// UTF-8 test text as code page 1250 bytes, and back.
std::string Cp(const char* utf8);
QString Q(const char* utf8);

// A diary file's bytes: "[Data]" and one "<key>=<line>" per entry (lines as UTF-8 literals with
// "§" separators; they are written in code page 1250).
std::string DiaryBytes(std::initializer_list<std::pair<const char*, const char*>> entries);

// The texts of column `column` of the main list, top to bottom.
QStringList ColumnTexts(int column);

}  // namespace guitest

#define GT_FIND(var, Type, root, name)                                  \
    Type* var = nullptr;                                                \
    do {                                                                \
        QString why_;                                                   \
        var = guitest::Find<Type>((root), QStringLiteral(name), &why_); \
        QVERIFY2(var != nullptr, qPrintable(why_));                     \
    } while (false)
