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
#include <cstdio>
#include <cstdlib>

#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/settings.h"

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

void MissingControl(const QString& why) {
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::abort();
}

QWidget* TopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name)) return w;
    }
    return nullptr;
}

void SortBy(TMainForm* main, int column) {
    emit Get<QTreeView>(main, "Seznam")->header()->sectionClicked(column);
}

int SelectedRow(const QTreeView* view) {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
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
    auto inactive = std::make_shared<int>(0);
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
        // The window system activates a new window a moment after it is shown; a handler that
        // types or reads the focus needs it active, so wait for that (a while, not forever).
        if (QApplication::activeWindow() != modal && ++*inactive < 200) return;
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

namespace {
// The session whose list ColumnTexts reads.
const Session* current = nullptr;
}  // namespace

Session::Session() { current = this; }

Session::~Session() {
    main_.reset();
    if (current == this) current = nullptr;
}

void Session::Start() {
    main_ = std::make_unique<TMainForm>(Folder(), diary::RegionalSettings::Czech());
}

void Session::Restart() {
    main_.reset();
    Start();
}

QString Session::Folder() const { return FromFsPath(dir_.path()); }
QString Session::Path(const char* name) const { return Folder() + QLatin1Char('/') + Q(name); }
std::string Session::FsPath(const char* name) const { return ToFsPath(Path(name)); }
std::string Session::SettingsFile() const { return diary::SettingsPath(dir_.path()); }

std::string Session::SettingsBytes() const {
    return testsupport::FileExists(SettingsFile()) ? testsupport::ReadFileBytes(SettingsFile())
                                                   : std::string();
}

std::string Cp(const char* utf8) { return ToCp(QString::fromUtf8(utf8)); }
QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

std::string DiaryBytes(std::initializer_list<std::pair<const char*, const char*>> entries) {
    std::string bytes = "[Data]\r\n";
    for (const auto& [key, line] : entries) bytes += std::string(key) + "=" + Cp(line) + "\r\n";
    return bytes;
}

std::string ThreeRides() {
    return DiaryBytes({
        {"1", "1.5.2001§Doma§Les§§100§130§30§20§30§1 h 30 min§první§"},
        {"2", "2.5.2001§Les§Doma§§130§140§10§20§30§0 h 30 min§druhá§"},
        {"3", "3.5.2001§Doma§Ves§§140§190§50§25§40§2 h 0 min§třetí§"},
    });
}

diary::DiaryRecord Record(const char* number, std::initializer_list<const char*> fields) {
    diary::DiaryRecord r;
    r.number = number;
    std::size_t i = 0;
    for (const char* f : fields) {
        if (i < r.fields.size()) r.fields[i++] = Cp(f);
    }
    return r;
}

diary::RecordRow Row(const char* number, std::initializer_list<const char*> fields) {
    return diary::RecordRow(Record(number, fields));
}

QStringList ColumnTexts(int column) {
    QStringList texts;
    const RecordModel* model =
        current != nullptr && current->Main() != nullptr ? current->Main()->model() : nullptr;
    for (int r = 0; model != nullptr && r < model->rowCount(); ++r) {
        texts << model->data(model->index(r, column), Qt::DisplayRole).toString();
    }
    return texts;
}

}  // namespace guitest
