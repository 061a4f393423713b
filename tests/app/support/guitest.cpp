#include "guitest.h"

#include <QAbstractButton>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include "Add.h"
#include "diary/settings.h"
#include "forms.h"
#include "recordmodel.h"
#include "textcodec.h"
#include "vamo.h"

namespace guitest {

QObject* FindObject(QObject* root, const QString& name, const QMetaObject& type, bool mustBeEnabled,
                    QString* why) {
    if (root == nullptr) {
        *why = QStringLiteral("no window to look for '%1' in").arg(name);
        return nullptr;
    }
    QObject* found = root->objectName() == name ? root : root->findChild<QObject*>(name);
    if (found == nullptr) {
        *why = QStringLiteral("'%1' has no child called '%2'").arg(root->objectName(), name);
        return nullptr;
    }
    if (!type.cast(found)) {
        *why = QStringLiteral("'%1' is a %2, not a %3")
                   .arg(name, QString::fromLatin1(found->metaObject()->className()),
                        QString::fromLatin1(type.className()));
        return nullptr;
    }
    if (mustBeEnabled) {
        const QVariant enabled = found->property("enabled");
        if (enabled.isValid() && !enabled.toBool()) {
            *why = QStringLiteral("'%1' is disabled").arg(name);
            return nullptr;
        }
    }
    return found;
}

void Click(QAbstractButton* button) {
    if (button->isVisible()) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        button->click();
    }
}

void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void ClickRow(QTreeView* view, int row, int column) {
    const QModelIndex index = view->model()->index(row, column);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void ClickHeader(QTreeView* view, int section) {
    QHeaderView* header = view->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

std::shared_ptr<Answer> AnswerModal(std::function<void(QWidget* modal)> handler) {
    auto answer = std::make_shared<Answer>();
    QPointer<QWidget> before(QApplication::activeModalWidget());
    auto* poll = new QTimer;
    auto ticks = std::make_shared<int>(0);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == before.data() || !modal->isVisible()) {
            if (++*ticks > 1000) {
                poll->stop();
                poll->deleteLater();
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        answer->done = true;
        answer->title = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) answer->text = box->text();
        QPointer<QWidget> guard(modal);
        handler(modal);
        if (guard && guard->isVisible()) {
            answer->leftOpen = true;
            if (auto* dialog = qobject_cast<QDialog*>(guard.data())) {
                dialog->reject();
            } else {
                guard->close();
            }
        }
    });
    poll->start();
    return answer;
}

std::shared_ptr<Answer> AnswerMessage(const QString& button) {
    return AnswerModal([button](QWidget* modal) {
        auto* target = modal->findChild<QAbstractButton*>(button);
        QVERIFY2(target != nullptr, qPrintable(QStringLiteral("message box without button '%1': %2")
                                                   .arg(button, modal->windowTitle())));
        target->click();
    });
}

Session::Session() {
    App() = AppContext{};
    App().settingsFolder = Folder();
    App().regional = diary::RegionalSettings::Czech();
}

Session::~Session() {
    DestroyForms();
    App() = AppContext{};
}

void Session::Start() { CreateForms(); }

void Session::Restart() {
    DestroyForms();
    CreateForms();
}

QString Session::Folder() const { return FromFsPath(dir_.path()); }
QString Session::Path(const char* name) const { return Folder() + QLatin1Char('/') + Q(name); }
std::string Session::FsPath(const char* name) const { return ToFsPath(Path(name)); }
std::string Session::SettingsFile() const { return diary::SettingsPath(dir_.path()); }

std::string Session::SettingsBytes() const {
    return testsupport::FileExists(SettingsFile()) ? testsupport::ReadFileBytes(SettingsFile())
                                                   : std::string();
}

TMainForm* Session::Main() const { return App().main; }
TAddForm* Session::Add() const { return App().add; }

std::string Cp(const char* utf8) { return ToCp(QString::fromUtf8(utf8)); }
QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

std::string DiaryBytes(std::initializer_list<std::pair<const char*, const char*>> entries) {
    std::string bytes = "[Data]\r\n";
    for (const auto& [key, line] : entries) bytes += std::string(key) + "=" + Cp(line) + "\r\n";
    return bytes;
}

QStringList ColumnTexts(int column) {
    QStringList texts;
    const RecordModel* model = App().seznam;
    for (int r = 0; model != nullptr && r < model->rowCount(); ++r) {
        texts << model->data(model->index(r, column), Qt::DisplayRole).toString();
    }
    return texts;
}

}  // namespace guitest
