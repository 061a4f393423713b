// Goals through the real windows: a goal added in "Cíle" to the diary file, the window's figures
// and the status bar's line.

#include <QAction>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include "app/goalswindow.h"
#include "app/mainwindow.h"
#include "guitest.h"

class CileTest : public QObject {
    Q_OBJECT
private slots:
    void addedGoalToFiguresAndStatusBar();
};

void CileTest::addedGoalToFiguresAndStatusBar() {
    // The status bar counts to the clock's day: the rides are of this year's first days.
    const int year = QDate::currentDate().year();
    const QByteArray y = QByteArray::number(year);
    const QByteArray rides[] = {"1.1." + y + "§Doma§§§§§30§§§1 h 0 min§§Fav§",
                                "2.1." + y + "§Doma§§§§§20§§§§§",
                                "31.12." + QByteArray::number(year - 1) + "§Doma§§§§§99§§§§§"};
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                guitest::DiaryBytes({{"1", rides[0].constData()},
                                                     {"2", rides[1].constData()},
                                                     {"3", rides[2].constData()}}));
    session.Start();
    const auto goalNote = [&session] {
        const auto* note = session.Main()->findChild<QLabel*>(QStringLiteral("PoznamkaCil"));
        return note != nullptr && !note->isHidden() ? note->text() : QString();
    };
    QCOMPARE(goalNote(), QString());

    guitest::Get<QAction>(session.Main(), "Cile1")->trigger();
    auto* cile = guitest::Window<TCileForm>("CileForm");
    cile->SetToday(QDate(year, 1, 11));
    auto* list = guitest::Get<QTreeWidget>(cile, "SeznamCilu");
    QCOMPARE(list->topLevelItemCount(), 0);
    const auto answer = guitest::AnswerModal([](QWidget* modal) {
        guitest::TypeText(guitest::Get<QLineEdit>(modal, "Km"), QStringLiteral("40"));
        guitest::TypeText(guitest::Get<QLineEdit>(modal, "Hodiny"), QStringLiteral("10"));
        guitest::Click(guitest::Get<QPushButton>(modal, "OKButton"));
    });
    guitest::Click(guitest::Get<QPushButton>(cile, "PridatCil"));
    QVERIFY(answer->done && !answer->leftOpen);

    // 10 days gone by 11 January: the plan is 40 × 10 / 365 (366) ≈ 1 km; 50 km at that pace
    // through the year's days.
    QCOMPARE(list->topLevelItemCount(), 1);
    QStringList cells;
    for (int c = 0; c < list->columnCount(); ++c) cells << list->topLevelItem(0)->text(c);
    const bool leap = QDate::isLeapYear(year);
    QCOMPARE(cells.join(QLatin1Char('|')),
             guitest::Q("%1|všechna kola|40|50|125 %|+49 km před plánem|0 km|0,0 km|%2|2|"
                        "1 h 0 min z 10 h")
                 .arg(year)
                 .arg(leap ? QStringLiteral("1\u00A0664") : QStringLiteral("1\u00A0659")));
    QCOMPARE(goalNote(), guitest::Q("Cíl %1: 50 z 40 km, splněno").arg(year));
    const std::string bytes = testsupport::ReadFileBytes(session.FsPath("vamo2001.vam"));
    QCOMPARE(QByteArray::fromStdString(bytes.substr(bytes.find("[Cile]"))), "[Cile]\r\n1=" + y +
                                                                                "\xA7"
                                                                                "40\xA7\xA7"
                                                                                "10\xA7\xA7\r\n");
}

VAMO_GUI_TEST(CileTest, "tst_cile")
#include "tst_cile.moc"
