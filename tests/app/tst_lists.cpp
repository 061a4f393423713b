// The two record lists: columns wide enough for what they hold, widths the user drags kept
// for the next start, scroll bars whose thumb shows where the view is.

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "app/searchwindow.h"
#include "app/textcodec.h"
#include "diary/regional.h"
#include "diary/settings.h"
#include "guitest.h"

using guitest::Q;

namespace {

// Where the thumb is, 0 (left) to 1 (right): the middle of the pixels darker than the middle
// grey of the track between the two arrow buttons. It is what a user reads as the thumb.
double ThumbCentre(QScrollBar* bar) {
    const QImage image = bar->grab().toImage();
    const int y = image.height() / 2;
    const int from = image.height();  // the arrow buttons are square
    const int to = image.width() - image.height();
    int darkest = 255;
    int lightest = 0;
    for (int x = from; x < to; ++x) {
        darkest = std::min(darkest, qGray(image.pixel(x, y)));
        lightest = std::max(lightest, qGray(image.pixel(x, y)));
    }
    const int threshold = (darkest + lightest) / 2;
    double sum = 0;
    int count = 0;
    for (int x = from; x < to; ++x) {
        if (qGray(image.pixel(x, y)) < threshold) {
            sum += x;
            ++count;
        }
    }
    return count == 0 ? -1 : (sum / count - from) / (to - from);
}

}  // namespace

class ListsTest : public QObject {
    Q_OBJECT
private slots:
    void columnsHoldTypicalContent_data();
    void columnsHoldTypicalContent();
    void draggedWidthsComeBackAtTheNextStart();
    void scrollBarsShowWhereTheViewIs_data();
    void scrollBarsShowWhereTheViewIs();
};

void ListsTest::columnsHoldTypicalContent_data() {
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("Czech") << "%-d.%-m.%Y"
                           << ",";
    QTest::newRow("US") << "%m/%d/%Y"
                        << ".";
    QTest::newRow("ISO") << "%Y-%m-%d"
                         << ",";
}

void ListsTest::columnsHoldTypicalContent() {
    QFETCH(QString, dateFormat);
    QFETCH(QString, decimal);
    diary::RegionalSettings regional;
    regional.dateFormat = dateFormat.toStdString();
    regional.decimalSeparator = decimal.toStdString();
    const QString date = FromCp(diary::FormatDate(regional, {2026, 12, 28}));
    const QString odometer = "123456" + decimal + "7";
    // What each column of a well-used diary holds at its widest, in list order.
    const QStringList typical{"123456",
                              date,
                              "Kostelec",
                              "Kuřim",
                              "Tišnov",
                              odometer,
                              "1234" + decimal + "5",
                              odometer,
                              "10 h 59 min",
                              "99" + decimal + "9",
                              "99" + decimal + "9"};

    RecordModel model;
    QTreeView view;
    SetUpRecordView(&view, &model, regional);
    const QFontMetrics cells(view.font());
    const QFontMetrics captions(view.header()->font());
    // A cell's text sits between the style's margins, left of the grid line.
    const int cellMargin =
        view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    const int headerMargin = view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &view);
    for (int c = 0; c < typical.size(); ++c) {
        const int width = view.columnWidth(c);
        QVERIFY2(width >= diary::ColumnAt(c)->width, qPrintable(QString::number(c)));
        QVERIFY2(width >= cells.horizontalAdvance(typical[c]) + 2 * cellMargin + 1,
                 qPrintable(
                     QStringLiteral("'%1' is cut in a column %2 wide").arg(typical[c]).arg(width)));
        const QString caption = RecordModel::Captions().at(c);
        QVERIFY2(width >= captions.horizontalAdvance(caption) + 2 * headerMargin,
                 qPrintable(QStringLiteral("caption '%1' is cut").arg(caption)));
    }
}

void ListsTest::draggedWidthsComeBackAtTheNextStart() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    const QList<int> before = [&] {
        QList<int> widths;
        for (int c = 0; c < 12; ++c)
            widths << guitest::Get<QTreeView>(main, "Seznam")->columnWidth(c);
        return widths;
    }();

    // A start and an end without a drag leave the settings as they were.
    main->close();
    QVERIFY(!QByteArray::fromStdString(session.SettingsBytes()).contains("sloupce"));

    session.Restart();
    main = session.Main();
    TFindForm* find = guitest::Window<TFindForm>("FindForm");
    // What a drag of a column's edge does.
    guitest::Get<QTreeView>(main, "Seznam")->header()->resizeSection(2, 151);
    guitest::Get<QTreeView>(main, "Seznam")->header()->resizeSection(1, 40);
    guitest::Get<QTreeView>(find, "List")->header()->resizeSection(3, 123);
    guitest::Get<QAction>(main, "Konec1")->trigger();
    QVERIFY(QByteArray::fromStdString(session.SettingsBytes()).contains("[sloupce]"));

    session.Restart();
    main = session.Main();
    find = guitest::Window<TFindForm>("FindForm");
    CONTROL(list, QTreeView, main, "Seznam");
    for (int c = 0; c < 11; ++c) {
        const int expected = c == 2 ? 151 : c == 1 ? 40 : before[c];
        QCOMPARE(list->columnWidth(c), expected);
    }
    QCOMPARE(guitest::Get<QTreeView>(find, "List")->columnWidth(3), 123);
    QCOMPARE(diary::ReadLastDiary(session.SettingsFile(), "none"), session.FsPath("vamo2001.vam"));
}

void ListsTest::scrollBarsShowWhereTheViewIs_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("list");
    QTest::newRow("main list") << "MainForm"
                               << "Seznam";
    QTest::newRow("search results") << "FindForm"
                                    << "List";
}

void ListsTest::scrollBarsShowWhereTheViewIs() {
    QFETCH(QString, window);
    QFETCH(QString, list);
    guitest::Session session;
    session.Start();
    QWidget* shown = guitest::TopLevel(qPrintable(window));
    QVERIFY(shown != nullptr);
    shown->show();
    shown->resize(360, shown->height());
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    auto* view = guitest::Get<QTreeView>(shown, qPrintable(list));
    QScrollBar* bar = view->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);

    QCOMPARE(bar->value(), 0);
    QCOMPARE(view->header()->logicalIndexAt(0), 0);
    double thumb = ThumbCentre(bar);
    QVERIFY2(thumb >= 0 && thumb < 0.5, qPrintable(QString::number(thumb)));

    // The arrow on the right brings the columns on the right into view, and the thumb along.
    int firstColumn = 0;
    for (int click = 0; click < 50 && firstColumn == 0; ++click) {
        const int value = bar->value();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          QPoint(bar->width() - bar->height() / 2, bar->height() / 2));
        QVERIFY(bar->value() > value);
        const double moved = ThumbCentre(bar);
        QVERIFY2(moved >= thumb, qPrintable(QStringLiteral("%1 < %2").arg(moved).arg(thumb)));
        thumb = moved;
        firstColumn = view->header()->logicalIndexAt(0);
    }
    QVERIFY(firstColumn > 0);

    bar->setValue(bar->maximum());
    QCOMPARE(view->header()->logicalIndexAt(view->viewport()->width() - 1), 12);
    QVERIFY2(ThumbCentre(bar) > 0.5, qPrintable(QString::number(ThumbCentre(bar))));
}

VAMO_GUI_TEST(ListsTest, "tst_lists")
#include "tst_lists.moc"
