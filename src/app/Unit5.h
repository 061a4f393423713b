#pragma once
// The date picker: a month calendar whose day the opener reads after it closes.

#include <QDate>
#include <QDialog>
#include <QString>

class QCalendarWidget;
class QPushButton;

class TCalendarForm : public QDialog {
    Q_OBJECT
public:
    explicit TCalendarForm(QWidget* parent = nullptr);

    // Opens on today, with the main window and `opener` disabled for the time it is up; the
    // main window gets back the enabled state it had (it stays disabled under the entry dialog).
    // However the picker closes, the calendar's day is the answer.
    QDate Pick(QWidget* opener);

    // The day in the user's short date format (Czech: 1.3.2001).
    static QString DateText(const QDate& date);

    QCalendarWidget* Calendar = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void OKButtonClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
