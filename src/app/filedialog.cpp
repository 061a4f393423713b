#include "app/filedialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <optional>

#include "app/msgbox.h"

namespace filedialog {
namespace {

std::optional<QStringList>& Pending() {
    static std::optional<QStringList> pending;
    return pending;
}

struct Asked {
    QString filter;
    QString folder;
};

Asked& LastAsked() {
    static Asked asked;
    return asked;
}

std::optional<QStringList> TakePending(const QString& filter, const QString& folder) {
    LastAsked() = {filter, folder};
    std::optional<QStringList> answer = std::move(Pending());
    Pending().reset();
    return answer;
}

QStringList Run(QWidget* parent, const QString& filter, const QString& folder,
                QFileDialog::AcceptMode mode, QFileDialog::FileMode files = QFileDialog::AnyFile) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(files);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString First(const QStringList& names) { return names.isEmpty() ? QString() : names.first(); }

}  // namespace

QString OpenFileName(QWidget* parent, const QString& filter, const QString& folder) {
    if (auto answer = TakePending(filter, folder)) return First(*answer);
    return First(Run(parent, filter, folder, QFileDialog::AcceptOpen));
}

QString SaveFileName(QWidget* parent, const QString& filter, const QString& folder) {
    if (auto answer = TakePending(filter, folder)) return First(*answer);
    return First(Run(parent, filter, folder, QFileDialog::AcceptSave));
}

QStringList OpenFileNames(QWidget* parent, const QString& filter, const QString& folder) {
    if (auto answer = TakePending(filter, folder)) return *answer;
    return Run(parent, filter, folder, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

QString ExistingFolder(QWidget* parent, const QString& folder) {
    if (auto answer = TakePending(QString(), folder)) return First(*answer);
    return First(Run(parent, QString(), folder, QFileDialog::AcceptOpen, QFileDialog::Directory));
}

bool MayOverwrite(QWidget* parent, const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    return AskYesNo(parent, MsgKind::Confirm,
                    QStringLiteral("Soubor ") + path + QStringLiteral(" již existuje. Přepsat?"));
}

void SetNextFileName(const QString& name) {
    Pending() = name.isEmpty() ? QStringList() : QStringList{name};
}
void SetNextFileNames(const QStringList& names) { Pending() = names; }
void SetNextCancel() { Pending() = QStringList(); }
bool HasPendingAnswer() { return Pending().has_value(); }
QString LastFilter() { return LastAsked().filter; }
QString LastFolder() { return LastAsked().folder; }

}  // namespace filedialog
