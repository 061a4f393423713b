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
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    auto* Label2 = new QLabel(QStringLiteral("Minuty"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    GuardCp1250(Edit1);
    GuardCp1250(Edit2);
    Edit1->setMinimumWidth(65);
    Edit2->setMinimumWidth(65);

    OKButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    OKButton->setMinimumWidth(80);
    CancelButton->setMinimumWidth(81);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(23);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(Edit1, 1, 0);
    fields->addWidget(Label2, 0, 1);
    fields->addWidget(Edit2, 1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(7);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(9, 12, 9, 6);
    root->addLayout(fields);
    root->addSpacing(10);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, OKButton);
    setTabOrder(OKButton, CancelButton);

    connect(OKButton, &QPushButton::clicked, this, &TCasForm::AcceptRideTime);
    connect(CancelButton, &QPushButton::clicked, this, &TCasForm::reject);
}

std::optional<QString> TCasForm::Ask(Start start) {
    if (start == Start::Empty) {
        Edit1->clear();
        Edit2->clear();
    }
    // Every opening starts in the hours, what was kept selected so that typing replaces it,
    // wherever the focus was when the dialog closed the time before.
    Edit2->deselect();
    FocusFirstField(Edit1);
    if (exec() != kResultYes) return std::nullopt;
    return Edit1->text() + QStringLiteral(" h ") + Edit2->text() + QStringLiteral(" min");
}

void TCasForm::reject() { done(kResultCancel); }

void TCasForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter walks from the hours to the minutes and accepts from there, so that it never
        // hands back " h  min" before anything was typed.
        if (focusWidget() == Edit1) {
            Edit2->setFocus(Qt::TabFocusReason);
            return;
        }
        if (focusWidget() == Edit2) {
            AcceptRideTime();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

// 6 (Yes), not 1: the openers take the ride time only on this answer.
void TCasForm::AcceptRideTime() { done(kResultYes); }
