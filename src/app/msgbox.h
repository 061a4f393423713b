#pragma once
// The one way this program shows a message box: caption by kind, its symbol, and the exact
// button texts "OK" or "&Yes"/"&No". Results are the dialog codes 1 (OK), 6 (Yes), 7 (No).

#include <QString>

class QWidget;

enum class MsgKind { Error, Warning, Information, Confirm, Plain };
enum class MsgButtons { Ok, YesNo };

inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;

// Caption "Error", "Warning", "Information" or "Confirm"; Plain has no symbol and the
// application's title "Vamo 2000" as caption.
int ShowMessage(QWidget* parent, MsgKind kind, const QString& text,
                MsgButtons buttons = MsgButtons::Ok);

// A seam for tests: the next message box is not shown; it records its caption and text and
// answers `result` (kResultOk, kResultYes or kResultNo) at once. Answers given in a row serve
// the boxes that follow in that order.
struct ShownMessage {
    QString caption;
    QString text;
};
void SetNextMessageAnswer(int result);
// Takes back the answers that no box used.
void ClearNextMessageAnswer();
// The caption and text of the last box answered through the seam.
ShownMessage LastAnsweredMessage();
// Whether an answer handed in is still waiting (a test checks no box was skipped).
bool HasPendingMessageAnswer();

inline void ShowError(QWidget* parent, const QString& text) {
    ShowMessage(parent, MsgKind::Error, text);
}
inline bool AskYesNo(QWidget* parent, MsgKind kind, const QString& text) {
    return ShowMessage(parent, kind, text, MsgButtons::YesNo) == kResultYes;
}

// The application's default error handler: runs `action`, and shows any exception that
// escapes it (a failed write, an input/output error) in an "Error" box with its text, and for
// a file error the system's reason beneath it (ErrorText).
// Returns false when something was caught.
template <typename F>
bool Guarded(QWidget* parent, F&& action);

void ShowException(QWidget* parent, const std::exception& e);
void ShowUnknownException(QWidget* parent);

template <typename F>
bool Guarded(QWidget* parent, F&& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        ShowException(parent, e);
    } catch (...) {
        ShowUnknownException(parent);
    }
    return false;
}
