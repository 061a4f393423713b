#include "app/filedialog.h"

#include <QFileDialog>
#include <optional>

namespace filedialog {
namespace {

std::optional<QString>& Pending() {
    static std::optional<QString> pending;
    return pending;
}

QString& Filter() {
    static QString filter;
    return filter;
}

std::optional<QString> TakePending(const QString& filter) {
    Filter() = filter;
    std::optional<QString> answer = std::move(Pending());
    Pending().reset();
    return answer;
}

}  // namespace

QString OpenFileName(QWidget* parent, const QString& filter) {
    if (auto answer = TakePending(filter)) return *answer;
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QString SaveFileName(QWidget* parent, const QString& filter) {
    if (auto answer = TakePending(filter)) return *answer;
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void SetNextFileName(const QString& name) { Pending() = name; }
void SetNextCancel() { Pending() = QString(); }
bool HasPendingAnswer() { return Pending().has_value(); }
QString LastFilter() { return Filter(); }

}  // namespace filedialog
