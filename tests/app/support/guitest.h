#pragma once
// Driving the windows in GUI tests: a fresh program per test over its own folder, controls
// found by name (a missing one stops the test with its name), clicks where a user clicks, and
// answers to real modal windows.

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "diary/record.h"

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

// The child of `root` called `name`, of type T, enabled or not. A control that is missing or
// of another type ends the test run at once with both names: it is never skipped silently,
// and a handler answering a modal window can use it as well as a test function.
[[noreturn]] void MissingControl(const QString& why);
template <typename T>
T* Get(QObject* root, const char* name) {
    QString why;
    T* found = Find<T>(root, QString::fromLatin1(name), &why, false);
    if (found == nullptr) MissingControl(why);
    return found;
}

// The program's top-level window called `name` (its windows have no parent).
QWidget* TopLevel(const char* name);
template <typename T>
T* Window(const char* name) {
    auto* window = qobject_cast<T*>(TopLevel(name));
    if (window == nullptr) MissingControl(QStringLiteral("no window '%1'").arg(name));
    return window;
}

void Click(QAbstractButton* button);
// Types `text` key by key into `widget` (any characters, not only ASCII), as a user would:
// through the widget's validator.
void TypeText(QWidget* widget, const QString& text);
void ClickRow(QTreeView* view, int row, int column = 1);
void ClickHeader(QTreeView* view, int section);
// Sorts the main list by `column` as a click on its header does.
void SortBy(TMainForm* main, int column);
// The selected row of a list, or -1.
int SelectedRow(const QTreeView* view);

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

    void Start();    // a new main window with Czech regional settings, and its start-up load
    void Restart();  // the main window closed and a new one started over the same files

    QString Folder() const;
    QString Path(const char* name) const;  // a file in the folder, as the program names it
    std::string FsPath(const char* name) const;
    std::string SettingsFile() const;
    std::string SettingsBytes() const;  // "" when there is none

    TMainForm* Main() const { return main_.get(); }

private:
    testsupport::TempDir dir_;
    std::unique_ptr<TMainForm> main_;
};

// UTF-8 test text as code page 1250 bytes, and back.
std::string Cp(const char* utf8);
QString Q(const char* utf8);

// A diary file's bytes: "[Data]" and one "<key>=<line>" per entry (lines as UTF-8 literals with
// "§" separators; they are written in code page 1250).
std::string DiaryBytes(std::initializer_list<std::pair<const char*, const char*>> entries);

// Three rides numbered 1..3, from "Doma" and back, with the notes "první", "druhá", "třetí".
std::string ThreeRides();

// A record from its number and its eleven field texts in file order (UTF-8 test literals,
// stored as code page 1250).
diary::DiaryRecord Record(const char* number, std::initializer_list<const char*> fields);
diary::RecordRow Row(const char* number, std::initializer_list<const char*> fields);

// The texts of column `column` of the running session's main list, top to bottom.
QStringList ColumnTexts(int column);

// The GUI tests are one program: `gui_tests <name> [Qt Test options]` runs the test class
// registered as <name> (its file's name), in a process of its own as a program of its own would.
using TestRun = int (*)(int argc, char** argv);
bool RegisterTest(const char* name, TestRun run);

// What QTEST_MAIN's program does: an application at 96 dpi, the class's tests run.
template <typename TestObject>
int RunTest(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestObject test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace guitest

#define GT_FIND(var, Type, root, name)                                  \
    Type* var = nullptr;                                                \
    do {                                                                \
        QString why_;                                                   \
        var = guitest::Find<Type>((root), QStringLiteral(name), &why_); \
        QVERIFY2(var != nullptr, qPrintable(why_));                     \
    } while (false)

// `var` is the control of `root` called `name` (see Get).
#define CONTROL(var, Type, root, name) auto* var = guitest::Get<Type>((root), (name))

// In place of QTEST_MAIN: registers `TestObject` under `name` with the GUI tests' program.
#define VAMO_GUI_TEST(TestObject, name)                         \
    [[maybe_unused]] static const bool registered##TestObject = \
        guitest::RegisterTest(name, &guitest::RunTest<TestObject>);
