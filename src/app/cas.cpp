#include "cas.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms.h"
#include "icons.h"
#include "msgbox.h"
#include "textcodec.h"
#include "vyh.h"

TCasForm::TCasForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("CasForm"));
    setWindowTitle(QStringLiteral("Čas"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Hodiny"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label2 = new QLabel(QStringLiteral("Minuty"), this);
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

    connect(OKButton, &QPushButton::clicked, this, &TCasForm::AOLButton1Click);
    connect(CancelButton, &QPushButton::clicked, this, &TCasForm::AOLButton2Click);
}

void TCasForm::ClearEdits() {
    Edit1->clear();
    Edit2->clear();
}

QString TCasForm::rideTimeText() const {
    return Edit1->text() + QStringLiteral(" h ") + Edit2->text() + QStringLiteral(" min");
}

void TCasForm::reject() { done(kResultCancel); }

void TCasForm::AOLButton1Click() {
    if (TFindForm* find = App().find) {
        if (find->timeTarget == 1) {
            find->Ecasod->setText(rideTimeText());
        } else if (find->timeTarget == 2) {
            find->Ecasdo->setText(rideTimeText());
        }
    }
    // 6 (Yes), not 1: the entry dialog takes the ride time only on this answer.
    done(kResultYes);
}

void TCasForm::AOLButton2Click() { done(kResultCancel); }
