#include "app/firstfield.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMetaObject>

namespace {

// The window system activates an opening window a moment later, and handing the keyboard over
// then can drop a selection made before; so the field selects again once it really has the
// keyboard. A focus change of the user's own first means there is nothing left to do.
class SelectOnActivation : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) return false;
        const bool activation =
            static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason;
        if (event->type() == QEvent::FocusIn && activation) {
            QMetaObject::invokeMethod(static_cast<QLineEdit*>(watched), &QLineEdit::selectAll,
                                      Qt::QueuedConnection);
            watched->removeEventFilter(this);
        } else if (event->type() == QEvent::FocusOut && !activation) {
            watched->removeEventFilter(this);
        }
        return false;
    }
};

}  // namespace

void FocusFirstField(QLineEdit* field) {
    field->selectAll();
    field->setFocus(Qt::OtherFocusReason);
    if (field->isActiveWindow()) return;
    // The filter has no meta-object of its own, so findChild would take any child for it.
    SelectOnActivation* filter = nullptr;
    for (QObject* child : field->children()) {
        if ((filter = dynamic_cast<SelectOnActivation*>(child)) != nullptr) break;
    }
    if (filter == nullptr) filter = new SelectOnActivation(field);
    field->removeEventFilter(filter);
    field->installEventFilter(filter);
}
