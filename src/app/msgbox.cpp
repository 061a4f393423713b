#include "app/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <deque>
#include <exception>

#include "app/errortext.h"

namespace {

std::deque<int> nextAnswers;
ShownMessage lastAnswered;

}  // namespace

void SetNextMessageAnswer(int result) { nextAnswers.push_back(result); }
void ClearNextMessageAnswer() { nextAnswers.clear(); }
ShownMessage LastAnsweredMessage() { return lastAnswered; }
bool HasPendingMessageAnswer() { return !nextAnswers.empty(); }

int ShowMessage(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons) {
    QMessageBox box(parent);
    switch (kind) {
        case MsgKind::Error:
            box.setWindowTitle(QStringLiteral("Error"));
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgKind::Warning:
            box.setWindowTitle(QStringLiteral("Warning"));
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgKind::Information:
            box.setWindowTitle(QStringLiteral("Information"));
            box.setIcon(QMessageBox::Information);
            break;
        case MsgKind::Confirm:
            box.setWindowTitle(QStringLiteral("Confirm"));
            box.setIcon(QMessageBox::Question);
            break;
        case MsgKind::Plain:
            box.setWindowTitle(QStringLiteral("Vamo 2000"));
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    // The core writes a two-line message with a lone CR between the lines.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!nextAnswers.empty()) {
        const int answer = nextAnswers.front();
        nextAnswers.pop_front();
        lastAnswered = {box.windowTitle(), shown};
        return answer;
    }
    if (buttons == MsgButtons::Ok) {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        ok->setObjectName(QStringLiteral("OK"));
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return kResultOk;
    }
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("Yes"));
    no->setObjectName(QStringLiteral("No"));
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? kResultYes : kResultNo;
}

void ShowException(QWidget* parent, const std::exception& e) { ShowError(parent, ErrorText(e)); }

void ShowUnknownException(QWidget* parent) { ShowError(parent, QStringLiteral("Unknown error")); }
