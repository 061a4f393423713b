#include "windowtest.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include "forms.h"
#include "textcodec.h"

namespace windowtest {

void ResetApp() { App() = AppContext{}; }

std::shared_ptr<bool> WhenModal(std::function<void(QWidget* modal)> action) {
    auto ran = std::make_shared<bool>(false);
    auto* poll = new QTimer;
    auto ticks = std::make_shared<int>(0);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, ran, ticks, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            if (++*ticks > 1000) poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        *ran = true;
        action(modal);
        QPointer<QWidget> left(modal);
        QTimer::singleShot(3000, [left] {
            if (!left || !left->isVisible()) return;
            qWarning("a modal window was left open by the test; closing it");
            if (auto* dialog = qobject_cast<QDialog*>(left.data())) {
                dialog->done(0);
            } else {
                left->close();
            }
        });
    });
    poll->start();
    return ran;
}

std::string Cp(const char* utf8) { return ToCp(QString::fromUtf8(utf8)); }

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

}  // namespace windowtest
