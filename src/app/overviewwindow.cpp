#include "app/overviewwindow.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/daycalendar.h"
#include "app/filedialog.h"
#include "app/msgbox.h"
#include "app/opendiary.h"
#include "app/overviewcharts.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/bikes.h"
#include "diary/overview.h"
#include "diary/record_table.h"

namespace {

QDate ToQDate(const diary::Date& date) { return {date.year, date.month, date.day}; }
diary::Date FromQDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

// The tabs, in their order.
enum Tab { kTotalsTab, kMonthsTab, kCumulativeTab, kWeeksTab, kCalendarTab, kRecordsTab };

// Where a record's double click leads: a ride by its number, or the rides of some days.
constexpr int kNumberRole = Qt::UserRole;
constexpr int kFirstDayRole = Qt::UserRole + 1;
constexpr int kLastDayRole = Qt::UserRole + 2;

}  // namespace

// The totals of one kind of period, one row each; texts are made only for the rows a view
// shows, as a big diary has thousands of weeks.
class TotalsModel : public QAbstractTableModel {
public:
    TotalsModel(const diary::RegionalSettings& regional, QObject* parent)
        : QAbstractTableModel(parent), regional_(regional) {}

    static QStringList Captions() {
        return {QStringLiteral("Období"),        QStringLiteral("Jízd"),
                QStringLiteral("Ujeto (km)"),    QStringLiteral("Čas jízdy"),
                QStringLiteral("Průměr (km/h)"), QStringLiteral("Nejdelší jízda (km)")};
    }

    void Assign(std::vector<diary::PeriodTotal> totals) {
        beginResetModel();
        totals_ = std::move(totals);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(totals_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 6;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 6)
            return Captions().at(section);
        return {};
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const diary::PeriodTotal& t = totals_[static_cast<std::size_t>(index.row())];
        if (role == Qt::TextAlignmentRole) {
            return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role == Qt::ToolTipRole) {
            // What the row leaves out, so that no unreadable value goes unnoticed.
            const std::string text =
                diary::LeftOutText(diary::LeftOut{0, t.unreadableKm, t.unreadableTimes, 0, 0});
            return text.empty() ? QVariant() : QVariant(FromUtf8(text));
        }
        if (role != Qt::DisplayRole) return {};
        switch (index.column()) {
            case 0:
                return FromUtf8(t.label);
            case 1:
                return QString::number(t.rides);
            case 2:
                return FromCp(diary::FormatTenths(t.km, regional_));
            case 3:
                return FromUtf8(diary::FormatMinutes(t.minutes));
            case 4:
                // An empty period rode at no speed; rides without a usable time have none known.
                if (t.meanSpeed) return FromCp(diary::FormatTenths(t.meanSpeed, regional_));
                return t.rides == 0 ? FromCp(diary::FormatTenths(0.0, regional_))
                                    : QStringLiteral("?");
            case 5:
                return FromCp(diary::FormatTenths(t.longestKm, regional_));
            default:
                return {};
        }
    }

private:
    diary::RegionalSettings regional_;
    std::vector<diary::PeriodTotal> totals_;
};

namespace {

QChartView* MakeChartView(const char* name, QWidget* parent) {
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* view = new QChartView(chart, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    view->setMinimumSize(480, 320);
    return view;
}

}  // namespace

TPrehledForm::TPrehledForm(OpenDiary& diary, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      list_(&diary.model()),
      regional_(diary.regional()),
      diary_(diary) {
    setObjectName(QStringLiteral("PrehledForm"));
    setWindowTitle(QStringLiteral("Přehled"));
    setModal(false);

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("Zalozky"));

    // Totals, with the switch of the kind of period above them.
    auto* totalsPage = new QWidget;
    byYearRadio = new QRadioButton(QStringLiteral("&rok"), totalsPage);
    byYearRadio->setObjectName(QStringLiteral("PoRocich"));
    byMonthRadio = new QRadioButton(QStringLiteral("&měsíc"), totalsPage);
    byMonthRadio->setObjectName(QStringLiteral("PoMesicich"));
    byWeekRadio = new QRadioButton(QStringLiteral("&týden"), totalsPage);
    byWeekRadio->setObjectName(QStringLiteral("PoTydnech"));
    byMonthRadio->setChecked(true);
    auto* kinds = new QButtonGroup(totalsPage);
    for (QRadioButton* b : {byYearRadio, byMonthRadio, byWeekRadio}) kinds->addButton(b);
    auto* switchRow = new QHBoxLayout;
    switchRow->addWidget(new QLabel(QStringLiteral("Součty za:"), totalsPage));
    switchRow->addWidget(byYearRadio);
    switchRow->addWidget(byMonthRadio);
    switchRow->addWidget(byWeekRadio);
    switchRow->addStretch();

    totals_ = new TotalsModel(regional_, this);
    totalsView = new QTableView(totalsPage);
    totalsView->setObjectName(QStringLiteral("Soucty"));
    totalsView->setModel(totals_);
    totalsView->verticalHeader()->hide();
    totalsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    totalsView->setSelectionMode(QAbstractItemView::SingleSelection);
    totalsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    totalsView->setWordWrap(false);
    totalsView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    totalsView->verticalHeader()->setDefaultSectionSize(totalsView->fontMetrics().height() + 6);
    {
        // Widths from the font, not from the rows: measuring thousands of weeks would be slow.
        const QFontMetrics fm(totalsView->font());
        const QFontMetrics header(totalsView->horizontalHeader()->font());
        const QString samples[6] = {
            QStringLiteral("2026, týden 53"), QStringLiteral("9999"), QStringLiteral("123456,7"),
            QStringLiteral("9999 h 59 min"),  QStringLiteral("99,9"), QStringLiteral("1234,5")};
        for (int c = 0; c < 6; ++c) {
            totalsView->setColumnWidth(
                c, std::max(fm.horizontalAdvance(samples[c]),
                            header.horizontalAdvance(TotalsModel::Captions()[c])) +
                       24);
        }
        totalsView->horizontalHeader()->setStretchLastSection(true);
    }
    auto* totalsLayout = new QVBoxLayout(totalsPage);
    totalsLayout->addLayout(switchRow);
    totalsLayout->addWidget(totalsView);

    // The chart views come with the first figures (BuildCharts): making them costs the
    // program's start more than all its other windows together.
    for (QWidget** page : {&monthsPage_, &cumulativePage_, &weeksPage_}) {
        *page = new QWidget;
        auto* layout = new QVBoxLayout(*page);
        layout->setContentsMargins(0, 0, 0, 0);
    }

    dayCalendar = new DayCalendar;
    dayCalendar->setObjectName(QStringLiteral("Kalendar"));
    auto* calendarScroll = new QScrollArea;
    calendarScroll->setWidget(dayCalendar);
    calendarScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    calendarScroll->setFrameShape(QFrame::NoFrame);
    calendarScroll->setBackgroundRole(QPalette::Base);

    recordsTree = new QTreeWidget;
    recordsTree->setObjectName(QStringLiteral("Rekordy"));
    recordsTree->setRootIsDecorated(false);
    recordsTree->setItemsExpandable(false);
    recordsTree->setUniformRowHeights(true);
    recordsTree->setAllColumnsShowFocus(true);
    recordsTree->setHeaderLabels(
        {QStringLiteral("Rekord"), QStringLiteral("Hodnota"), QStringLiteral("Kdy")});
    recordsTree->setColumnWidth(0, recordsTree->fontMetrics().horizontalAdvance(QStringLiteral(
                                       "Nejvyšší průměrná rychlost (jízdy od 10 km)")) +
                                       24);
    recordsTree->setColumnWidth(
        1, recordsTree->fontMetrics().horizontalAdvance(QStringLiteral("999 h 59 min")) + 24);
    recordsTree->setToolTip(
        QStringLiteral("Dvojklik ukáže jízdu, nebo jízdy období vybere v seznamu."));

    tabs->addTab(totalsPage, QStringLiteral("Součty"));
    tabs->addTab(monthsPage_, QStringLiteral("Po měsících"));
    tabs->addTab(cumulativePage_, QStringLiteral("Během roku"));
    tabs->addTab(weeksPage_, QStringLiteral("Po týdnech"));
    tabs->addTab(calendarScroll, QStringLiteral("Kalendář"));
    tabs->addTab(recordsTree, QStringLiteral("Rekordy"));

    leftOutLabel = new QLabel(this);
    leftOutLabel->setObjectName(QStringLiteral("Vynechano"));
    leftOutLabel->setWordWrap(true);
    leftOutLabel->hide();

    auto* rokLabel = new QLabel(QStringLiteral("R&ok:"), this);
    yearSpin = new QSpinBox(this);
    yearSpin->setObjectName(QStringLiteral("Rok"));
    rokLabel->setBuddy(yearSpin);
    saveChartButton = new QPushButton(QStringLiteral("&Uložit graf…"), this);
    saveChartButton->setObjectName(QStringLiteral("UlozitGraf"));
    closeButton = new QPushButton(QStringLiteral("&Zavřít"), this);
    closeButton->setObjectName(QStringLiteral("ZavritButton"));
    // Enter in the records opens one; it must not press a button as well.
    for (QPushButton* b : {saveChartButton, closeButton}) b->setAutoDefault(false);

    // Every total, chart and record is of the bike chosen here.
    auto* koloLabel = new QLabel(QStringLiteral("&Kolo:"), this);
    bikeCombo = new QComboBox(this);
    bikeCombo->setObjectName(QStringLiteral("Kolo"));
    bikeCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bikeCombo->addItem(QStringLiteral("všechna kola"));
    koloLabel->setBuddy(bikeCombo);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(koloLabel);
    bottom->addWidget(bikeCombo);
    bottom->addSpacing(12);
    bottom->addWidget(rokLabel);
    bottom->addWidget(yearSpin);
    bottom->addStretch();
    bottom->addWidget(saveChartButton);
    bottom->addWidget(closeButton);

    auto* root = new QVBoxLayout(this);
    root->addWidget(tabs, 1);
    root->addWidget(leftOutLabel);
    root->addLayout(bottom);

    resize(std::max(860, dayCalendar->sizeHint().width() + 60), 620);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        resize(size().boundedTo(room));
    }

    connect(&diary_, &OpenDiary::RidesChanged, this, &TPrehledForm::ListChanged);
    connect(&diary_, &OpenDiary::GoalsChanged, this, &TPrehledForm::ListChanged);
    connect(kinds, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
        if (checked) ShowPeriodKind();
    });
    connect(yearSpin, &QSpinBox::valueChanged, this, &TPrehledForm::ShowYear);
    connect(bikeCombo, &QComboBox::currentIndexChanged, this, &TPrehledForm::ShowBike);
    connect(tabs, &QTabWidget::currentChanged, this, &TPrehledForm::TabChanged);
    connect(saveChartButton, &QPushButton::clicked, this, &TPrehledForm::SaveChart);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(recordsTree, &QTreeWidget::itemActivated, this, &TPrehledForm::OpenRecord);
    connect(dayCalendar, &DayCalendar::DayClicked, this, &TPrehledForm::SelectDay);
    connect(dayCalendar, &DayCalendar::DayDoubleClicked, this, &TPrehledForm::OpenDay);
    TabChanged();
}

TPrehledForm::~TPrehledForm() = default;

void TPrehledForm::SetToday(const QDate& today) {
    today_ = today;
    ListChanged();
}

QDate TPrehledForm::Today() const { return today_.value_or(QDate::currentDate()); }

void TPrehledForm::showEvent(QShowEvent* event) {
    if (stale_) Recompute();
    QDialog::showEvent(event);
}

void TPrehledForm::ListChanged() {
    stale_ = true;
    if (!isVisible() || refreshQueued_) return;
    // One change of the list may come as several signals (rows removed, then renumbered):
    // the figures are worked out once, after the last of them.
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshQueued_ = false;
        if (stale_ && isVisible()) Recompute();
    });
}

bool TPrehledForm::CatchUp() {
    if (!stale_) return false;
    Recompute();
    return true;
}

void TPrehledForm::BuildCharts() {
    monthsChart = MakeChartView("Mesice", monthsPage_);
    monthsPage_->layout()->addWidget(monthsChart);
    cumulativeChart = MakeChartView("Kumulace", cumulativePage_);
    cumulativePage_->layout()->addWidget(cumulativeChart);
    weeksChart = MakeChartView("Tydny", weeksPage_);
    weeksPage_->layout()->addWidget(weeksChart);
    TabChanged();
}

void TPrehledForm::Recompute() {
    if (monthsChart == nullptr) BuildCharts();
    FillBikes();
    overview_ = std::make_unique<diary::Overview>(
        list_->table(), regional_, bike_.empty() ? diary::RideFilter() : diary::OnBike(bike_));
    stale_ = false;

    // The years to choose from: the diary's, and this year's. The year shown first is the
    // last one ridden, unless that lies after today.
    const QDate today = Today();
    const auto first = overview_->rides().FirstDate();
    const auto last = overview_->rides().LastDate();
    const int newest = std::max(last ? last->year : today.year(), today.year());
    const int oldest = std::min(first ? first->year : today.year(), newest);
    const int fallback = last ? std::min(last->year, today.year()) : today.year();
    const int year = yearSet_ && yearSpin->value() >= oldest && yearSpin->value() <= newest
                         ? yearSpin->value()
                         : fallback;
    {
        const QSignalBlocker quiet(yearSpin);
        yearSpin->setRange(oldest, newest);
        yearSpin->setValue(year);
    }
    yearSet_ = true;

    FillTotals();
    FillYear();
    overviewcharts::FillCumulative(cumulativeChart->chart(),
                                   overview_->CumulativeKmByYear(FromQDate(today)), today,
                                   regional_, diary::YearGoal(diary_.goals(), today.year(), bike_));
    overviewcharts::FillWeeks(weeksChart->chart(), overview_->KmByWeek(FromQDate(today)),
                              regional_);
    FillRecords();
    const std::string leftOut = diary::LeftOutText(overview_->rides().leftOut());
    leftOutLabel->setText(FromUtf8(leftOut));
    leftOutLabel->setVisible(!leftOut.empty());
}

void TPrehledForm::FillTotals() {
    const diary::PeriodKind kind = byYearRadio->isChecked()   ? diary::PeriodKind::Year
                                   : byWeekRadio->isChecked() ? diary::PeriodKind::Week
                                                              : diary::PeriodKind::Month;
    totals_->Assign(overview_->TotalsBy(kind));
    // The season in progress is what one looks at first: the newest periods are at the bottom.
    totalsView->scrollToBottom();
}

void TPrehledForm::FillYear() {
    const int year = yearSpin->value();
    overviewcharts::FillMonths(monthsChart->chart(), year, overview_->KmByMonth(year),
                               overview_->KmByMonth(year - 1), regional_);
    dayCalendar->SetYear(year, overview_->YearCalendar(year), Today(), regional_);
    dayCalendar->resize(dayCalendar->sizeHint());
}

void TPrehledForm::FillRecords() {
    const diary::PersonalRecords r = overview_->Records();
    recordsTree->clear();
    const QString none = QStringLiteral("–");
    const auto date = [this](const diary::Date& d) {
        return FromCp(diary::FormatDate(regional_, d));
    };
    const auto km = [this](double value) {
        return FromCp(diary::FormatTenths(value, regional_)) + QStringLiteral(" km");
    };
    const auto speed = [this](double value) {
        return FromCp(diary::FormatTenths(value, regional_)) + QStringLiteral(" km/h");
    };
    const auto add = [this](const QString& name, const QString& value, const QString& when) {
        auto* item = new QTreeWidgetItem(recordsTree, {name, value, when});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        return item;
    };
    // A record one ride holds leads to that ride.
    const auto ride = [&](const QString& name, const std::optional<diary::RideBest>& best,
                          const std::function<QString(double)>& value) {
        if (!best) {
            add(name, none, QString());
            return;
        }
        auto* item = add(name, value(best->value),
                         best->date ? date(*best->date) : QStringLiteral("bez data"));
        item->setData(0, kNumberRole, FromCp(best->number));
    };
    // A record of a stretch of days leads to the rides of those days.
    const auto days = [&](const QString& name, const QString& value, const QString& when,
                          const diary::Date& firstDay, const diary::Date& lastDay) {
        auto* item = add(name, value, when);
        item->setData(0, kFirstDayRole, ToQDate(firstDay));
        item->setData(0, kLastDayRole, ToQDate(lastDay));
    };
    const auto period = [&](const QString& name, const std::optional<diary::PeriodBest>& best) {
        if (!best) {
            add(name, none, QString());
            return;
        }
        const diary::DateSpan span = diary::PeriodDays(best->period);
        QString when = FromUtf8(best->label);
        if (best->period.kind == diary::PeriodKind::Week)
            when += QStringLiteral(" (%1–%2)").arg(date(span.first), date(span.last));
        days(name, km(best->km), when, span.first, span.last);
    };

    ride(QStringLiteral("Nejdelší jízda"), r.longestKm, km);
    ride(QStringLiteral("Nejdelší čas jízdy"), r.longestMinutes,
         [](double minutes) { return FromUtf8(diary::FormatMinutes(minutes)); });
    ride(QStringLiteral("Nejvyšší průměrná rychlost (jízdy od 10 km)"), r.fastestAverage, speed);
    ride(QStringLiteral("Nejvyšší maximální rychlost"), r.highestMaximum, speed);
    if (r.bestDay) {
        days(QStringLiteral("Nejvíc km za den"), km(r.bestDay->km), date(r.bestDay->date),
             r.bestDay->date, r.bestDay->date);
    } else {
        add(QStringLiteral("Nejvíc km za den"), none, QString());
    }
    period(QStringLiteral("Nejvíc km za týden"), r.bestWeek);
    period(QStringLiteral("Nejvíc km za měsíc"), r.bestMonth);
    period(QStringLiteral("Nejvíc km za rok"), r.bestYear);
    if (r.longestStreak) {
        const diary::Streak& s = *r.longestStreak;
        const QString when =
            s.days == 1 ? date(s.first) : QStringLiteral("%1–%2").arg(date(s.first), date(s.last));
        days(QStringLiteral("Nejvíc dní po sobě s jízdou"),
             FromUtf8(diary::CzechCount(s.days, "den", "dny", "dní")), when, s.first, s.last);
    } else {
        add(QStringLiteral("Nejvíc dní po sobě s jízdou"), none, QString());
    }
}

void TPrehledForm::FillBikes() {
    const std::vector<std::string> bikes = diary::BikesOfRides(list_->table());
    if (std::find(bikes.begin(), bikes.end(), bike_) == bikes.end()) bike_.clear();
    const QSignalBlocker quiet(bikeCombo);
    while (bikeCombo->count() > 1) bikeCombo->removeItem(1);
    for (const std::string& bike : bikes) {
        bikeCombo->addItem(FromCp(bike));
        if (bike == bike_) bikeCombo->setCurrentIndex(bikeCombo->count() - 1);
    }
    if (bike_.empty()) bikeCombo->setCurrentIndex(0);
}

void TPrehledForm::ShowBike() {
    const int index = bikeCombo->currentIndex();
    bike_ = index <= 0 ? std::string() : ToCp(bikeCombo->itemText(index));
    stale_ = true;
    if (isVisible()) Recompute();
}

void TPrehledForm::ShowPeriodKind() {
    if (overview_ && !stale_) FillTotals();
}

void TPrehledForm::ShowYear() {
    if (overview_ && !stale_) FillYear();
}

void TPrehledForm::TabChanged() {
    const int tab = tabs->currentIndex();
    saveChartButton->setEnabled(CurrentChart() != nullptr);
    yearSpin->setEnabled(tab == kMonthsTab || tab == kCalendarTab);
}

QWidget* TPrehledForm::CurrentChart() const {
    switch (tabs->currentIndex()) {
        case kMonthsTab:
            return monthsChart;
        case kCumulativeTab:
            return cumulativeChart;
        case kWeeksTab:
            return weeksChart;
        case kCalendarTab:
            return dayCalendar;
        default:
            return nullptr;
    }
}

void TPrehledForm::SaveChart() {
    QWidget* chart = CurrentChart();
    if (chart == nullptr) return;
    const QString folder =
        chartFolder_.isEmpty() ? QFileInfo(diary_.path()).absolutePath() : chartFolder_;
    QString name = filedialog::SaveFileName(
        this, QStringLiteral("Obrázky PNG nebo SVG (*.png *.svg)"), folder);
    if (name.isEmpty()) return;
    chartFolder_ = QFileInfo(name).absolutePath();
    const auto format = overviewcharts::FormatOfFileName(name);
    if (!format) {
        ShowError(this, QStringLiteral("Graf lze uložit jen jako obrázek PNG nebo SVG: "
                                       "název souboru má končit na .png nebo .svg."));
        return;
    }
    if (QFileInfo::exists(name) &&
        !AskYesNo(this, MsgKind::Confirm,
                  QStringLiteral("Soubor ") + name + QStringLiteral(" již existuje. Přepsat?")))
        return;
    QString why;
    if (!overviewcharts::SaveChart(chart, name, *format, &why))
        ShowError(this, QStringLiteral("Graf nelze uložit do souboru %1 (%2).").arg(name, why));
}

void TPrehledForm::OpenRecord(QTreeWidgetItem* item) {
    if (item == nullptr || CatchUp()) return;
    const QString number = item->data(0, kNumberRole).toString();
    if (!number.isEmpty()) {
        diary_.ShowRide(ToCp(number));
        return;
    }
    const QDate first = item->data(0, kFirstDayRole).toDate();
    const QDate last = item->data(0, kLastDayRole).toDate();
    if (!first.isValid() || !last.isValid()) return;
    diary_.SelectRides(overview_->NumbersBetween(FromQDate(first), FromQDate(last)));
}

void TPrehledForm::SelectDay(const std::vector<std::string>& numbers) {
    if (CatchUp()) return;
    diary_.SelectRides(numbers);
}

void TPrehledForm::OpenDay(const std::vector<std::string>& numbers) {
    // A day of several rides has no one detail to show; its click selected them all.
    if (numbers.size() != 1 || CatchUp()) return;
    diary_.ShowRide(numbers.front());
}
