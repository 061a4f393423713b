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

#include "app/controls.h"
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
    yearSpin = MakeYear(this);
    monthCombo = new QComboBox(this);
    monthCombo->setObjectName(QStringLiteral("Mesic"));
    monthCombo->addItem(QStringLiteral("celý rok"));
    for (std::string_view month : diary::kMonthNames) monthCombo->addItem(FromUtf8(month));
    kmEdit = MakeEdit(this, "Km");
    ridesEdit = MakeEdit(this, "Jizdy");
    ridesEdit->setPlaceholderText(QStringLiteral("bez cíle"));
    hoursEdit = MakeEdit(this, "Hodiny");
    hoursEdit->setPlaceholderText(QStringLiteral("bez cíle"));
    bikeCombo = new QComboBox(this);
    bikeCombo->setObjectName(QStringLiteral("Kolo"));
    auto* period = new QHBoxLayout;
    period->addWidget(monthCombo);
    period->addWidget(yearSpin);
    auto* periodLabel = new QLabel(QStringLiteral("&Období:"), this);
    periodLabel->setBuddy(monthCombo);
    auto* form = new QFormLayout;
    form->addRow(periodLabel, period);
    form->addRow(QStringLiteral("&Kilometrů:"), kmEdit);
    form->addRow(QStringLiteral("&Jízd:"), ridesEdit);
    form->addRow(QStringLiteral("Ča&s jízdy (h):"), hoursEdit);
    form->addRow(QStringLiteral("Ko&lo:"), bikeCombo);
    okButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    cancelButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {okButton, cancelButton}) {
        b->setMinimumWidth(89);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* root = new QVBoxLayout(this);
    root->addLayout(form);
    root->addSpacing(6);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);
    connect(okButton, &QPushButton::clicked, this, &TCilForm::Accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TCilForm::Start(const QString& caption, const diary::Goal& goal,
                     const std::vector<std::string>& bikes, std::vector<diary::Goal> others) {
    setWindowTitle(caption);
    goal_ = goal;
    others_ = std::move(others);
    yearSpin->setValue(goal.year);
    monthCombo->setCurrentIndex(goal.month);
    kmEdit->setText(goal.km > 0 ? NumberText(goal.km, regional_) : QString());
    ridesEdit->setText(goal.rides ? QString::number(*goal.rides) : QString());
    hoursEdit->setText(goal.hours ? NumberText(*goal.hours, regional_) : QString());
    bikeCombo->clear();
    bikeCombo->addItem(kEveryBike);
    for (const std::string& bike : bikes) {
        bikeCombo->addItem(FromCp(bike));
        if (bike == goal.bike) bikeCombo->setCurrentIndex(bikeCombo->count() - 1);
    }
    FocusFirstField(kmEdit);
}

void TCilForm::Accept() {
    const int bike = bikeCombo->currentIndex();
    try {
        goal_ = diary::ReadGoal(yearSpin->value(), monthCombo->currentIndex(), ToCp(kmEdit->text()),
                                ToCp(ridesEdit->text()), ToCp(hoursEdit->text()),
                                bike <= 0 ? std::string() : ToCp(bikeCombo->itemText(bike)));
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
    yearSpin = MakeYear(this);
    rokLabel->setBuddy(yearSpin);
    yearSpin->setValue(Today().year());

    goalList = new QTreeWidget(this);
    goalList->setObjectName(QStringLiteral("SeznamCilu"));
    QStringList captions;
    for (std::string_view c : diary::kGoalCaptions) captions << FromUtf8(c);
    goalList->setHeaderLabels(captions);
    goalList->setRootIsDecorated(false);
    goalList->setItemsExpandable(false);
    goalList->setUniformRowHeights(true);
    goalList->setAllColumnsShowFocus(true);
    goalList->setSelectionMode(QAbstractItemView::SingleSelection);
    goalList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    goalList->header()->setSectionsClickable(false);
    goalList->header()->setStretchLastSection(true);
    {
        // Wide enough for the caption and for what the column typically holds.
        const QFontMetrics fm(goalList->font());
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
        const QFontMetrics header(goalList->header()->font());
        for (int c = 0; c < captions.size(); ++c) {
            goalList->setColumnWidth(c, std::max(fm.horizontalAdvance(samples[c]),
                                                 header.horizontalAdvance(captions[c])) +
                                            20);
        }
    }

    emptyLabel = new QLabel(this);
    emptyLabel->setObjectName(QStringLiteral("Prazdno"));
    auto* vysvetleni = new QLabel(
        QStringLiteral("Plán je rovnoměrné tempo od prvního dne období do včerejška; týdně a "
                       "denně je to, co zbývá, rozložené do dnů od dneška do konce období; "
                       "odhad počítá s dosavadním tempem."),
        this);
    vysvetleni->setWordWrap(true);

    addGoalButton = MakeButton(this, "PridatCil", QStringLiteral("&Přidat cíl"));
    changeGoalButton = MakeButton(this, "ZmenitCil", QStringLiteral("Z&měnit cíl"));
    removeGoalButton = MakeButton(this, "SmazatCil", QStringLiteral("&Smazat cíl"));
    closeButton = MakeButton(this, "ZavritButton", QStringLiteral("&Zavřít"));

    auto* top = new QHBoxLayout;
    top->addWidget(rokLabel);
    top->addWidget(yearSpin);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {addGoalButton, changeGoalButton, removeGoalButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->addLayout(top);
    root->addWidget(goalList, 1);
    root->addWidget(emptyLabel);
    root->addWidget(vysvetleni);
    root->addLayout(buttons);
    // Every column in view where the screen has room for them.
    int columns = 40;
    for (int c = 0; c < goalList->columnCount(); ++c) columns += goalList->columnWidth(c);
    resize(std::max(columns, sizeHint().width()), 360);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(size().boundedTo(screen->availableGeometry().size() * 9 / 10));

    goalForm_ = new TCilForm(regional_, this);

    connect(yearSpin, &QSpinBox::valueChanged, this, &TCileForm::Refresh);
    connect(addGoalButton, &QPushButton::clicked, this, &TCileForm::AddGoal);
    connect(changeGoalButton, &QPushButton::clicked, this, &TCileForm::EditGoal);
    connect(removeGoalButton, &QPushButton::clicked, this, &TCileForm::RemoveGoal);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(goalList, &QTreeWidget::currentItemChanged, this, &TCileForm::UpdateButtons);
    connect(goalList, &QTreeWidget::itemDoubleClicked, this, &TCileForm::EditGoal);
    // The figures follow the list and the goals while the window is open.
    const auto follow = [this] {
        if (isVisible()) Refresh();
    };
    connect(&diary_, &OpenDiary::RidesChanged, this, follow);
    connect(&diary_, &OpenDiary::GoalsChanged, this, follow);
    UpdateButtons();
}

TCileForm::~TCileForm() = default;

void TCileForm::SetToday(const QDate& today) {
    today_ = today;
    yearSpin->setValue(today.year());
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
    const int year = yearSpin->value();
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

    const QSignalBlocker quiet(goalList);
    goalList->clear();
    QTreeWidgetItem* current = nullptr;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const diary::GoalProgress progress = diary::ProgressOf(shown_[i], done[i], day);
        const auto texts = diary::GoalTexts(progress, regional_);
        auto* item = new QTreeWidgetItem(goalList);
        for (std::size_t c = 0; c < texts.size(); ++c) {
            item->setText(static_cast<int>(c), FromUtf8(texts[c]));
            if (c > 1)
                item->setTextAlignment(static_cast<int>(c), Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(1, shown_[i].bike.empty() ? kEveryBike : FromCp(shown_[i].bike));
        if (shown_[i].month == 0) {
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int c = 0; c < goalList->columnCount(); ++c) item->setFont(c, bold);
        }
        if (progress.aheadKm < -0.5 && progress.started && !progress.over)
            item->setForeground(5, QColor(0xB0, 0x00, 0x00));
        if (keep && shown_[i] == *keep) current = item;
    }
    if (current == nullptr) current = goalList->topLevelItem(0);
    if (current != nullptr) goalList->setCurrentItem(current);
    emptyLabel->setText(QStringLiteral("Na rok %1 není zapsán žádný cíl. Přidejte ho tlačítkem "
                                       "„Přidat cíl“.")
                            .arg(year));
    emptyLabel->setVisible(shown_.empty());
    UpdateButtons();
}

const diary::Goal* TCileForm::SelectedGoal() const {
    const int i = goalList->indexOfTopLevelItem(goalList->currentItem());
    if (i < 0 || i >= static_cast<int>(shown_.size())) return nullptr;
    return &shown_[static_cast<std::size_t>(i)];
}

void TCileForm::UpdateButtons() {
    const bool chosen = SelectedGoal() != nullptr;
    changeGoalButton->setEnabled(chosen);
    removeGoalButton->setEnabled(chosen);
}

std::vector<std::string> TCileForm::Bikes() const {
    std::vector<std::string> bikes = diary_.bikes().bikes;
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
        if (saved) yearSpin->setValue(goal.year);
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
    goal.year = yearSpin->value();
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
                      .arg(FromUtf8(diary::GoalPeriodText(old)),
                           old.bike.empty() ? kEveryBike : FromCp(old.bike))))
        return;
    diary_.ChangeGoal(this, old, std::nullopt);
    Refresh();
}
