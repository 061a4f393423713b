#pragma once
// The date picker: a month calendar whose day the opener reads after it closes.

#include <QDate>
#include <QDialog>
#include <QString>

#include "diary/regional.h"

class QCalendarWidget;
class QPushButton;

// `date` as the core keeps dates, and today's date so.
diary::Date DiaryDate(const QDate& date);
diary::Date Today();
// `date` in the user's short date format (Czech: 1.3.2001).
QString DateText(const diary::RegionalSettings& regional, const QDate& date);

class TCalendarForm : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` is disabled while the picker is up (no parent: a disabled parent would
    // disable the picker too).
    explicit TCalendarForm(QWidget* mainWindow, QWidget* parent = nullptr);

    // Opens on today, with the main window and `opener` disabled for the time it is up; the
    // main window gets back the enabled state it had (it stays disabled under the entry dialog).
    // There is no cancel: however the picker closes, the calendar's day is the answer.
    QDate Pick(QWidget* opener);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* mainWindow_;
    QCalendarWidget* Calendar = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "OK"
};
