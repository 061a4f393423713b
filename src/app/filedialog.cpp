#include "app/filedialog.h"

#include <QFileDialog>
#include <QStringList>
#include <optional>

namespace filedialog {
namespace {

std::optional<QString>& Pending() {
    static std::optional<QString> pending;
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

std::optional<QString> TakePending(const QString& filter, const QString& folder) {
    LastAsked() = {filter, folder};
    std::optional<QString> answer = std::move(Pending());
    Pending().reset();
    return answer;
}

QString Run(QWidget* parent, const QString& filter, const QString& folder,
            QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

}  // namespace

QString OpenFileName(QWidget* parent, const QString& filter, const QString& folder) {
    if (auto answer = TakePending(filter, folder)) return *answer;
    return Run(parent, filter, folder, QFileDialog::AcceptOpen);
}

QString SaveFileName(QWidget* parent, const QString& filter, const QString& folder) {
    if (auto answer = TakePending(filter, folder)) return *answer;
    return Run(parent, filter, folder, QFileDialog::AcceptSave);
}

void SetNextFileName(const QString& name) { Pending() = name; }
void SetNextCancel() { Pending() = QString(); }
bool HasPendingAnswer() { return Pending().has_value(); }
QString LastFilter() { return LastAsked().filter; }
QString LastFolder() { return LastAsked().folder; }

}  // namespace filedialog
