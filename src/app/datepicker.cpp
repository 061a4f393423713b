#include "app/datepicker.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/icons.h"
#include "app/textcodec.h"
#include "diary/regional.h"

diary::Date DiaryDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

diary::Date Today() { return DiaryDate(QDate::currentDate()); }

QString DateText(const diary::RegionalSettings& regional, const QDate& date) {
    return FromCp(diary::FormatDate(regional, DiaryDate(date)));
}

TCalendarForm::TCalendarForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("CalendarForm"));
    setWindowTitle(QStringLiteral("Kalendář"));
    setModal(true);

    calendar = new QCalendarWidget(this);
    calendar->setObjectName(QStringLiteral("Calendar"));
    calendar->setSelectionMode(QCalendarWidget::SingleSelection);
    calendar->setGridVisible(false);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);

    okButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("BitBtn1"));
    okButton->setMinimumWidth(91);
    okButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 7);
    root->setSpacing(11);
    root->addWidget(calendar);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    move(310, 175);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    // Enter or a double click on a day takes it, as "OK" does.
    connect(calendar, &QCalendarWidget::activated, this, &QDialog::accept);
}

QDate TCalendarForm::Pick(QWidget* opener) {
    calendar->setSelectedDate(QDate::currentDate());
    // The days take the keyboard at every opening: the arrows move the day.
    calendar->setFocus(Qt::OtherFocusReason);
    // Over the window it fills a field of; no other window takes input meanwhile.
    if (opener != nullptr) move(opener->frameGeometry().center() - rect().center());
    exec();
    return calendar->selectedDate();
}

void TCalendarForm::keyPressEvent(QKeyEvent* event) {
    // There is no cancel here: Esc must not close the picker.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
