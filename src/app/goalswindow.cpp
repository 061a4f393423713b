#include "app/goalswindow.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "app/firstfield.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/opendiary.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/bikes.h"
#include "diary/errors.h"
#include "diary/field_text.h"
#include "diary/overview.h"
#include "diary/record_table.h"

namespace {

const QString kEveryBike = QStringLiteral("všechna kola");

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(89);
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(120);
    GuardCp1250(edit);
    return edit;
}

QSpinBox* MakeYear(QWidget* parent) {
    auto* year = new QSpinBox(parent);
    year->setObjectName(QStringLiteral("Rok"));
    year->setRange(1900, 9999);
    return year;
}

// The plain text of a number the file holds, in the user's decimal separator.
QString NumberText(double value, const diary::RegionalSettings& regional) {
    return FromCp(diary::FormatGeneralReal(value, regional.decimalSeparator));
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TCilForm::TCilForm(const diary::RegionalSettings& regional, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      regional_(regional) {
    setObjectName(QStringLiteral("CilForm"));
    setModal(true);
    Rok = MakeYear(this);
    Mesic = new QComboBox(this);
    Mesic->setObjectName(QStringLiteral("Mesic"));
    Mesic->addItem(QStringLiteral("celý rok"));
    for (std::string_view month : diary::kMonthNames) Mesic->addItem(Utf8(month));
    Km = MakeEdit(this, "Km");
    Jizdy = MakeEdit(this, "Jizdy");
    Jizdy->setPlaceholderText(QStringLiteral("bez cíle"));
    Hodiny = MakeEdit(this, "Hodiny");
    Hodiny->setPlaceholderText(QStringLiteral("bez cíle"));
    Kolo = new QComboBox(this);
    Kolo->setObjectName(QStringLiteral("Kolo"));
    auto* period = new QHBoxLayout;
    period->addWidget(Mesic);
    period->addWidget(Rok);
    auto* periodLabel = new QLabel(QStringLiteral("&Období:"), this);
    periodLabel->setBuddy(Mesic);
    auto* form = new QFormLayout;
    form->addRow(periodLabel, period);
    form->addRow(QStringLiteral("&Kilometrů:"), Km);
    form->addRow(QStringLiteral("&Jízd:"), Jizdy);
    form->addRow(QStringLiteral("Ča&s jízdy (h):"), Hodiny);
    form->addRow(QStringLiteral("Ko&lo:"), Kolo);
    OKButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {OKButton, CancelButton}) {
        b->setMinimumWidth(89);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* root = new QVBoxLayout(this);
    root->addLayout(form);
    root->addSpacing(6);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);
    connect(OKButton, &QPushButton::clicked, this, &TCilForm::Accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TCilForm::Start(const QString& caption, const diary::Goal& goal,
                     const std::vector<std::string>& bikes, std::vector<diary::Goal> others) {
    setWindowTitle(caption);
    goal_ = goal;
    others_ = std::move(others);
    Rok->setValue(goal.year);
    Mesic->setCurrentIndex(goal.month);
    Km->setText(goal.km > 0 ? NumberText(goal.km, regional_) : QString());
    Jizdy->setText(goal.rides ? QString::number(*goal.rides) : QString());
    Hodiny->setText(goal.hours ? NumberText(*goal.hours, regional_) : QString());
    Kolo->clear();
    Kolo->addItem(kEveryBike);
    for (const std::string& bike : bikes) {
        Kolo->addItem(FromCp(bike));
        if (bike == goal.bike) Kolo->setCurrentIndex(Kolo->count() - 1);
    }
    FocusFirstField(Km);
}

void TCilForm::Accept() {
    const int bike = Kolo->currentIndex();
    try {
        goal_ = diary::ReadGoal(Rok->value(), Mesic->currentIndex(), ToCp(Km->text()),
                                ToCp(Jizdy->text()), ToCp(Hodiny->text()),
                                bike <= 0 ? std::string() : ToCp(Kolo->itemText(bike)));
        diary::CheckGoalIsNew(goal_, others_);
    } catch (const diary::InvalidValueError& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    done(kResultOk);
}

// ---------------------------------------------------------------------------------------------

TCileForm::TCileForm(OpenDiary& diary, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      list_(&diary.model()),
      regional_(diary.regional()),
      diary_(diary) {
    setObjectName(QStringLiteral("CileForm"));
    setWindowTitle(QStringLiteral("Cíle"));
    setWindowIcon(icons::Program());

    auto* rokLabel = new QLabel(QStringLiteral("&Rok:"), this);
    Rok = MakeYear(this);
    rokLabel->setBuddy(Rok);
    Rok->setValue(Today().year());

    SeznamCilu = new QTreeWidget(this);
    SeznamCilu->setObjectName(QStringLiteral("SeznamCilu"));
    QStringList captions;
    for (std::string_view c : diary::kGoalCaptions) captions << Utf8(c);
    SeznamCilu->setHeaderLabels(captions);
    SeznamCilu->setRootIsDecorated(false);
    SeznamCilu->setItemsExpandable(false);
    SeznamCilu->setUniformRowHeights(true);
    SeznamCilu->setAllColumnsShowFocus(true);
    SeznamCilu->setSelectionMode(QAbstractItemView::SingleSelection);
    SeznamCilu->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SeznamCilu->header()->setSectionsClickable(false);
    SeznamCilu->header()->setStretchLastSection(true);
    {
        // Wide enough for the caption and for what the column typically holds.
        const QFontMetrics fm(SeznamCilu->font());
        const QString samples[] = {QStringLiteral("listopad 2026"),
                                   QStringLiteral("všechna kola"),
                                   QStringLiteral("10 000"),
                                   QStringLiteral("10 000"),
                                   QStringLiteral("100 %"),
                                   QStringLiteral("+1 234 km před plánem"),
                                   QStringLiteral("1 234 km"),
                                   QStringLiteral("123,4 km"),
                                   QStringLiteral("10 000"),
                                   QStringLiteral("999 z 999"),
                                   QStringLiteral("999 h 59 min z 999 h")};
        const QFontMetrics header(SeznamCilu->header()->font());
        for (int c = 0; c < captions.size(); ++c) {
            SeznamCilu->setColumnWidth(c, std::max(fm.horizontalAdvance(samples[c]),
                                                   header.horizontalAdvance(captions[c])) +
                                              20);
        }
    }

    Prazdno = new QLabel(this);
    Prazdno->setObjectName(QStringLiteral("Prazdno"));
    auto* vysvetleni = new QLabel(
        QStringLiteral("Plán je rovnoměrné tempo od prvního dne období do včerejška; týdně a "
                       "denně je to, co zbývá, rozložené do dnů od dneška do konce období; "
                       "odhad počítá s dosavadním tempem."),
        this);
    vysvetleni->setWordWrap(true);

    PridatCil = MakeButton(this, "PridatCil", QStringLiteral("&Přidat cíl"));
    ZmenitCil = MakeButton(this, "ZmenitCil", QStringLiteral("Z&měnit cíl"));
    SmazatCil = MakeButton(this, "SmazatCil", QStringLiteral("&Smazat cíl"));
    ZavritButton = MakeButton(this, "ZavritButton", QStringLiteral("&Zavřít"));

    auto* top = new QHBoxLayout;
    top->addWidget(rokLabel);
    top->addWidget(Rok);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {PridatCil, ZmenitCil, SmazatCil}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(ZavritButton);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->addLayout(top);
    root->addWidget(SeznamCilu, 1);
    root->addWidget(Prazdno);
    root->addWidget(vysvetleni);
    root->addLayout(buttons);
    // Every column in view where the screen has room for them.
    int columns = 40;
    for (int c = 0; c < SeznamCilu->columnCount(); ++c) columns += SeznamCilu->columnWidth(c);
    resize(std::max(columns, sizeHint().width()), 360);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(size().boundedTo(screen->availableGeometry().size() * 9 / 10));

    goalForm_ = new TCilForm(regional_, this);

    connect(Rok, &QSpinBox::valueChanged, this, &TCileForm::Refresh);
    connect(PridatCil, &QPushButton::clicked, this, &TCileForm::AddGoal);
    connect(ZmenitCil, &QPushButton::clicked, this, &TCileForm::EditGoal);
    connect(SmazatCil, &QPushButton::clicked, this, &TCileForm::RemoveGoal);
    connect(ZavritButton, &QPushButton::clicked, this, &QWidget::close);
    connect(SeznamCilu, &QTreeWidget::currentItemChanged, this, &TCileForm::UpdateButtons);
    connect(SeznamCilu, &QTreeWidget::itemDoubleClicked, this, &TCileForm::EditGoal);
    // The figures follow the list and the goals while the window is open.
    const auto follow = [this] {
        if (isVisible()) Refresh();
    };
    connect(list_, &QAbstractItemModel::modelReset, this, follow);
    connect(list_, &QAbstractItemModel::rowsInserted, this, follow);
    connect(list_, &QAbstractItemModel::rowsRemoved, this, follow);
    connect(list_, &QAbstractItemModel::dataChanged, this, follow);
    connect(&diary_, &OpenDiary::GoalsChanged, this, follow);
    UpdateButtons();
}

TCileForm::~TCileForm() = default;

void TCileForm::SetToday(const QDate& today) {
    today_ = today;
    Rok->setValue(today.year());
    if (isVisible()) Refresh();
}

QDate TCileForm::Today() const { return today_.value_or(QDate::currentDate()); }

void TCileForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) Refresh();
    QWidget::showEvent(event);
}

void TCileForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TCileForm::Refresh() {
    const std::optional<diary::Goal> keep =
        SelectedGoal() != nullptr ? std::optional<diary::Goal>(*SelectedGoal()) : std::nullopt;
    const int year = Rok->value();
    shown_.clear();
    for (const diary::Goal& goal : diary_.goals())
        if (goal.year == year) shown_.push_back(goal);
    // The year first, then its months in order; every bike before one bike.
    std::stable_sort(shown_.begin(), shown_.end(), [](const diary::Goal& a, const diary::Goal& b) {
        return std::tuple(a.month, !a.bike.empty()) < std::tuple(b.month, !b.bike.empty());
    });
    const std::vector<diary::GoalDone> done = diary::DoneTowards(list_->table(), shown_, regional_);
    const QDate today = Today();
    const diary::Date day{today.year(), today.month(), today.day()};

    const QSignalBlocker quiet(SeznamCilu);
    SeznamCilu->clear();
    QTreeWidgetItem* current = nullptr;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const diary::GoalProgress progress = diary::ProgressOf(shown_[i], done[i], day);
        const auto texts = diary::GoalTexts(progress, regional_);
        auto* item = new QTreeWidgetItem(SeznamCilu);
        for (std::size_t c = 0; c < texts.size(); ++c) {
            item->setText(static_cast<int>(c), Utf8(texts[c]));
            if (c > 1)
                item->setTextAlignment(static_cast<int>(c), Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(1, shown_[i].bike.empty() ? kEveryBike : FromCp(shown_[i].bike));
        if (shown_[i].month == 0) {
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int c = 0; c < SeznamCilu->columnCount(); ++c) item->setFont(c, bold);
        }
        if (progress.aheadKm < -0.5 && progress.started && !progress.over)
            item->setForeground(5, QColor(0xB0, 0x00, 0x00));
        if (keep && shown_[i] == *keep) current = item;
    }
    if (current == nullptr) current = SeznamCilu->topLevelItem(0);
    if (current != nullptr) SeznamCilu->setCurrentItem(current);
    Prazdno->setText(QStringLiteral("Na rok %1 není zapsán žádný cíl. Přidejte ho tlačítkem "
                                    "„Přidat cíl“.")
                         .arg(year));
    Prazdno->setVisible(shown_.empty());
    UpdateButtons();
}

const diary::Goal* TCileForm::SelectedGoal() const {
    const int i = SeznamCilu->indexOfTopLevelItem(SeznamCilu->currentItem());
    if (i < 0 || i >= static_cast<int>(shown_.size())) return nullptr;
    return &shown_[static_cast<std::size_t>(i)];
}

void TCileForm::UpdateButtons() {
    const bool chosen = SelectedGoal() != nullptr;
    ZmenitCil->setEnabled(chosen);
    SmazatCil->setEnabled(chosen);
}

std::vector<std::string> TCileForm::Bikes() const {
    std::vector<std::string> bikes;
    try {
        bikes = diary::ReadBikeList(diary_.SettingsFile());
    } catch (const std::exception&) {
        // The bikes the rides carry are offered all the same; the start-up load said why.
    }
    for (const std::string& bike : diary::BikesOfRides(list_->table()))
        if (std::find(bikes.begin(), bikes.end(), bike) == bikes.end()) bikes.push_back(bike);
    return bikes;
}

void TCileForm::AskAndSave(const QString& caption, diary::Goal goal,
                           const std::optional<diary::Goal>& old) {
    std::vector<std::string> bikes = Bikes();
    if (!goal.bike.empty() && std::find(bikes.begin(), bikes.end(), goal.bike) == bikes.end())
        bikes.push_back(goal.bike);
    for (;;) {
        std::vector<diary::Goal> others = diary_.goals();
        if (old) {
            const auto it = std::find(others.begin(), others.end(), *old);
            if (it != others.end()) others.erase(it);
        }
        goalForm_->Start(caption, goal, bikes, std::move(others));
        if (goalForm_->exec() != kResultOk) return;
        goal = goalForm_->Chosen();
        if (old && goal == *old) return;
        const bool saved = diary_.ChangeGoal(this, old, goal);
        // The window turns to the year of the goal saved.
        if (saved) Rok->setValue(goal.year);
        Refresh();
        if (saved) return;
        // A goal another program changed or removed meanwhile is shown as saved: asking again
        // would overwrite what it saved.
        const std::vector<diary::Goal>& now = diary_.goals();
        if (old && std::find(now.begin(), now.end(), *old) == now.end()) return;
    }
}

void TCileForm::AddGoal() {
    diary::Goal goal;
    goal.year = Rok->value();
    AskAndSave(QStringLiteral("Nový cíl"), goal, std::nullopt);
}

void TCileForm::EditGoal() {
    const diary::Goal* selected = SelectedGoal();
    if (selected == nullptr) return;
    const diary::Goal old = *selected;
    AskAndSave(QStringLiteral("Změnit cíl"), old, old);
}

void TCileForm::RemoveGoal() {
    const diary::Goal* selected = SelectedGoal();
    if (selected == nullptr) return;
    const diary::Goal old = *selected;
    if (!AskYesNo(this, MsgKind::Warning,
                  QStringLiteral("Smazat cíl na období %1 (%2)?")
                      .arg(Utf8(diary::GoalPeriodText(old)),
                           old.bike.empty() ? kEveryBike : FromCp(old.bike))))
        return;
    diary_.ChangeGoal(this, old, std::nullopt);
    Refresh();
}
