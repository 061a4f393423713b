#include "app/ridetimedialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/firstfield.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/textcodec.h"

TCasForm::TCasForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("CasForm"));
    setWindowTitle(QStringLiteral("Čas"));
    setModal(true);

    auto* Label1 = new QLabel(QStringLiteral("Hodiny"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    hoursEdit = new QLineEdit(this);
    hoursEdit->setObjectName(QStringLiteral("Edit1"));
    auto* Label2 = new QLabel(QStringLiteral("Minuty"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    minutesEdit = new QLineEdit(this);
    minutesEdit->setObjectName(QStringLiteral("Edit2"));
    Label1->setBuddy(hoursEdit);
    Label2->setBuddy(minutesEdit);
    GuardCp1250(hoursEdit);
    GuardCp1250(minutesEdit);
    hoursEdit->setMinimumWidth(65);
    minutesEdit->setMinimumWidth(65);

    okButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    cancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    okButton->setMinimumWidth(80);
    cancelButton->setMinimumWidth(81);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(23);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(hoursEdit, 1, 0);
    fields->addWidget(Label2, 0, 1);
    fields->addWidget(minutesEdit, 1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(7);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(9, 12, 9, 6);
    root->addLayout(fields);
    root->addSpacing(10);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(hoursEdit, minutesEdit);
    setTabOrder(minutesEdit, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &TCasForm::AcceptRideTime);
    connect(cancelButton, &QPushButton::clicked, this, &TCasForm::reject);
}

std::optional<QString> TCasForm::Ask(Start start) {
    if (start == Start::Empty) {
        hoursEdit->clear();
        minutesEdit->clear();
    }
    // Every opening starts in the hours, what was kept selected so that typing replaces it,
    // wherever the focus was when the dialog closed the time before.
    minutesEdit->deselect();
    FocusFirstField(hoursEdit);
    if (exec() != kResultYes) return std::nullopt;
    return hoursEdit->text() + QStringLiteral(" h ") + minutesEdit->text() + QStringLiteral(" min");
}

void TCasForm::reject() { done(kResultCancel); }

void TCasForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter walks from the hours to the minutes and accepts from there, so that it never
        // hands back " h  min" before anything was typed.
        if (focusWidget() == hoursEdit) {
            minutesEdit->setFocus(Qt::TabFocusReason);
            return;
        }
        if (focusWidget() == minutesEdit) {
            AcceptRideTime();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

// 6 (Yes), not 1: the openers take the ride time only on this answer.
void TCasForm::AcceptRideTime() { done(kResultYes); }
