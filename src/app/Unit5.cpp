#include "Unit5.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "diary/regional.h"
#include "forms.h"
#include "icons.h"
#include "textcodec.h"

TCalendarForm::TCalendarForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("CalendarForm"));
    setWindowTitle(QStringLiteral("Kalendář"));
    setModal(true);

    Calendar = new QCalendarWidget(this);
    Calendar->setObjectName(QStringLiteral("Calendar"));
    Calendar->setSelectionMode(QCalendarWidget::SingleSelection);
    Calendar->setGridVisible(false);
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);

    BitBtn1 = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setMinimumWidth(91);
    BitBtn1->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 7);
    root->setSpacing(11);
    root->addWidget(Calendar);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    move(310, 175);
    connect(BitBtn1, &QPushButton::clicked, this, &TCalendarForm::OKButtonClick);
}

QDate TCalendarForm::Pick(QWidget* opener) {
    Calendar->setSelectedDate(QDate::currentDate());
    QWidget* main = App().mainWidget;
    const bool mainWasEnabled = main != nullptr && main->isEnabled();
    if (main) main->setEnabled(false);
    if (opener) opener->setEnabled(false);
    exec();
    if (opener) opener->setEnabled(true);
    if (main) main->setEnabled(mainWasEnabled);
    return Calendar->selectedDate();
}

QString TCalendarForm::DateText(const QDate& date) {
    return FromCp(diary::FormatDate(App().regional, {date.year(), date.month(), date.day()}));
}

void TCalendarForm::OKButtonClick() { accept(); }

void TCalendarForm::keyPressEvent(QKeyEvent* event) {
    // There is no cancel here: Esc must not close the picker.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
