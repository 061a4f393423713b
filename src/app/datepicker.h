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
    explicit TCalendarForm(QWidget* parent = nullptr);

    // Opens on today over `opener`, application-modal: no other window takes input while it is
    // up. There is no cancel: however the picker closes, the calendar's day is the answer.
    QDate Pick(QWidget* opener);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QCalendarWidget* calendar = nullptr;
    QPushButton* okButton = nullptr;  // "OK"
};
