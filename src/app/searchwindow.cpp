#include "app/searchwindow.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/csvexport.h"
#include "app/datepicker.h"
#include "app/filedialog.h"
#include "app/firstfield.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"

namespace {

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// Wide enough for `sample` (a typical bound) in the current font, never narrower than `width`.
QLineEdit* MakeConditionEdit(QWidget* parent, const char* name, int width, const char* sample) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    const int needed = edit->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)) + 16;
    edit->setFixedWidth(std::max(width, needed));
    GuardCp1250(edit);
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// One condition of a row: its check box on top, the captions below, the edits under them.
QGridLayout* RangeBlock(QWidget* parent, QCheckBox* check, QLineEdit* from, QLineEdit* to,
                        QWidget* fromExtra = nullptr, QWidget* toExtra = nullptr) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(7);
    grid->setVerticalSpacing(3);
    grid->addWidget(check, 0, 0, 1, 2);
    auto* fromCaption = new QHBoxLayout;
    fromCaption->addWidget(MakeLabel(parent, QStringLiteral("Od"), from));
    auto* toCaption = new QHBoxLayout;
    toCaption->addWidget(MakeLabel(parent, QStringLiteral("Do"), to));
    auto* fromRow = new QHBoxLayout;
    fromRow->setSpacing(0);
    fromRow->addWidget(from);
    auto* toRow = new QHBoxLayout;
    toRow->setSpacing(0);
    toRow->addWidget(to);
    if (fromExtra != nullptr && qobject_cast<QToolButton*>(fromExtra)) {
        fromCaption->addStretch();
        fromCaption->addWidget(fromExtra);
        toCaption->addStretch();
        toCaption->addWidget(toExtra);
    } else if (fromExtra != nullptr) {
        fromRow->addWidget(fromExtra);
        toRow->addWidget(toExtra);
    }
    fromRow->addStretch();
    toRow->addStretch();
    grid->addLayout(fromCaption, 1, 0);
    grid->addLayout(toCaption, 1, 1);
    grid->addLayout(fromRow, 2, 0);
    grid->addLayout(toRow, 2, 1);
    return grid;
}

QGridLayout* TextBlock(QWidget* parent, QCheckBox* check, const QString& caption, QLineEdit* edit) {
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    grid->addWidget(check, 0, 0);
    grid->addWidget(MakeLabel(parent, caption, edit), 1, 0);
    grid->addWidget(edit, 2, 0);
    return grid;
}

}  // namespace

TFindForm::TFindForm(const RecordModel* list, const diary::RegionalSettings& regional, Diary diary,
                     Helpers helpers, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      list_(list),
      regional_(regional),
      diary_(std::move(diary)),
      helpers_(std::move(helpers)) {
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QStringLiteral("Hledat"));

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));

    dateCheck = MakeCheck(panel, "Chdatum", QStringLiteral("Datum"));
    fromCheck = MakeCheck(panel, "Chodkud", QStringLiteral("Odkud"));
    toCheck = MakeCheck(panel, "Chkam", QStringLiteral("Kam"));
    viaCheck = MakeCheck(panel, "CHpres", QStringLiteral("Přes"));
    departureCheck = MakeCheck(panel, "Chodjezd", QStringLiteral("Odjezd"));
    arrivalCheck = MakeCheck(panel, "Chprijezd", QStringLiteral("Příjezd"));
    distanceCheck = MakeCheck(panel, "Chujeto", QStringLiteral("Ujeto"));
    avgSpeedCheck = MakeCheck(panel, "Chprumrych", QStringLiteral("Průměrná rychlost"));
    maxSpeedCheck = MakeCheck(panel, "Chmax", QStringLiteral("Maximální rychlost"));
    rideTimeCheck = MakeCheck(panel, "Chcas", QStringLiteral("Čas jízdy"));
    bikeCheck = MakeCheck(panel, "Chkolo", QStringLiteral("Kolo"));

    lowerDateEdit = MakeConditionEdit(panel, "Edatumod", 89, "31.12.2001");
    upperDateEdit = MakeConditionEdit(panel, "EDatumdo", 97, "31.12.2001");
    fromEdit = MakeConditionEdit(panel, "Eodkud", 97, "Kostelec n. L.");
    toEdit = MakeConditionEdit(panel, "Ekam", 97, "Kostelec n. L.");
    viaEdit = MakeConditionEdit(panel, "Epres", 137, "Kostelec nad Labem");
    lowerDepartureEdit = MakeConditionEdit(panel, "Eodjezdod", 65, "12345,5");
    upperDepartureEdit = MakeConditionEdit(panel, "Eodjezddo", 65, "12345,5");
    lowerArrivalEdit = MakeConditionEdit(panel, "Eprijezdod", 65, "12345,5");
    upperArrivalEdit = MakeConditionEdit(panel, "Eprijezddo", 65, "12345,5");
    lowerDistanceEdit = MakeConditionEdit(panel, "Eujetood", 65, "12345,5");
    upperDistanceEdit = MakeConditionEdit(panel, "Eujetodo", 65, "12345,5");
    lowerAvgSpeedEdit = MakeConditionEdit(panel, "Eprumrychod", 65, "12345,5");
    upperAvgSpeedEdit = MakeConditionEdit(panel, "Eprumrychdo", 65, "12345,5");
    lowerMaxSpeedEdit = MakeConditionEdit(panel, "Emaxod", 65, "12345,5");
    upperMaxSpeedEdit = MakeConditionEdit(panel, "Emaxdo", 65, "12345,5");
    lowerRideTimeEdit = MakeConditionEdit(panel, "Ecasod", 65, "10 h 30 min");
    upperRideTimeEdit = MakeConditionEdit(panel, "Ecasdo", 65, "10 h 30 min");
    bikeEdit = MakeConditionEdit(panel, "Ekolo", 97, "Horske kolo");

    const QIcon calendarIcon = icons::Calendar();
    lowerDateButton = new QToolButton(panel);
    lowerDateButton->setObjectName(QStringLiteral("SpeedButton1"));
    upperDateButton = new QToolButton(panel);
    upperDateButton->setObjectName(QStringLiteral("SpeedButton2"));
    for (QToolButton* b : {lowerDateButton, upperDateButton}) {
        b->setIcon(calendarIcon);
        b->setToolTip(QStringLiteral("Kalendář"));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
    }

    lowerRideTimeButton = new QPushButton(QStringLiteral("..."), panel);
    lowerRideTimeButton->setObjectName(QStringLiteral("Button1"));
    upperRideTimeButton = new QPushButton(QStringLiteral("..."), panel);
    upperRideTimeButton->setObjectName(QStringLiteral("Button2"));
    for (QPushButton* b : {lowerRideTimeButton, upperRideTimeButton}) {
        const int w = b->fontMetrics().horizontalAdvance(b->text()) + 8;
        b->setFixedWidth(std::max(17, w));
        b->setAutoDefault(false);
    }

    combineGroup = new QGroupBox(QStringLiteral("Závislost mezi podmínkami"), panel);
    combineGroup->setObjectName(QStringLiteral("styl"));
    allRadio = new QRadioButton(QStringLiteral("A"), combineGroup);
    allRadio->setObjectName(QStringLiteral("stylA"));
    anyRadio = new QRadioButton(QStringLiteral("nebo"), combineGroup);
    anyRadio->setObjectName(QStringLiteral("stylNebo"));
    allRadio->setChecked(true);
    auto* stylLayout = new QHBoxLayout(combineGroup);
    stylLayout->setContentsMargins(8, 2, 8, 4);
    stylLayout->addWidget(allRadio);
    stylLayout->addWidget(anyRadio);

    findButton = new QPushButton(icons::Search(), QStringLiteral("Vyhledat"), panel);
    findButton->setObjectName(QStringLiteral("FindButton"));
    cancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), panel);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton* b : {findButton, cancelButton}) b->setMinimumWidth(89);
    exportButton = new QPushButton(QStringLiteral("Export do CSV…"), panel);
    exportButton->setObjectName(QStringLiteral("ExportButton"));
    exportButton->setAutoDefault(false);

    auto* row1 = new QHBoxLayout;
    row1->setSpacing(16);
    row1->addLayout(RangeBlock(panel, dateCheck, lowerDateEdit, upperDateEdit, lowerDateButton,
                               upperDateButton));
    row1->addLayout(TextBlock(panel, fromCheck, QStringLiteral("Odkud"), fromEdit));
    row1->addLayout(TextBlock(panel, toCheck, QStringLiteral("Kam"), toEdit));
    row1->addLayout(TextBlock(panel, viaCheck, QStringLiteral("Přes"), viaEdit));
    // The bike is a text condition like the places, so it stands beside them.
    row1->addLayout(TextBlock(panel, bikeCheck, QStringLiteral("Kolo"), bikeEdit));
    row1->addStretch();

    auto* row2 = new QHBoxLayout;
    row2->setSpacing(16);
    row2->addLayout(RangeBlock(panel, departureCheck, lowerDepartureEdit, upperDepartureEdit));
    row2->addLayout(RangeBlock(panel, arrivalCheck, lowerArrivalEdit, upperArrivalEdit));
    row2->addLayout(RangeBlock(panel, distanceCheck, lowerDistanceEdit, upperDistanceEdit));
    row2->addLayout(RangeBlock(panel, avgSpeedCheck, lowerAvgSpeedEdit, upperAvgSpeedEdit));
    row2->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(11);
    buttons->addWidget(findButton, 0, Qt::AlignBottom);
    buttons->addWidget(cancelButton, 0, Qt::AlignBottom);
    // The export goes over "Storno", in the height the row's conditions take anyway, so that
    // every other control stays where it was.
    auto* actions = new QVBoxLayout;
    actions->setSpacing(4);
    actions->addWidget(exportButton, 0, Qt::AlignRight | Qt::AlignTop);
    actions->addStretch(1);
    actions->addLayout(buttons);

    auto* row3 = new QHBoxLayout;
    row3->setSpacing(16);
    row3->addLayout(RangeBlock(panel, maxSpeedCheck, lowerMaxSpeedEdit, upperMaxSpeedEdit));
    row3->addLayout(RangeBlock(panel, rideTimeCheck, lowerRideTimeEdit, upperRideTimeEdit,
                               lowerRideTimeButton, upperRideTimeButton));
    row3->addWidget(combineGroup, 0, Qt::AlignBottom);
    row3->addLayout(actions);
    row3->addStretch();

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(8, 8, 8, 8);
    panelLayout->setSpacing(8);
    panelLayout->addLayout(row1);
    panelLayout->addLayout(row2);
    panelLayout->addLayout(row3);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    results_ = new RecordModel(this);
    resultList = new QTreeView(this);
    resultList->setObjectName(QStringLiteral("List"));
    SetUpRecordView(resultList, results_, regional_);
    // The result list only shows its rows; it cannot be sorted.
    resultList->header()->setSectionsClickable(false);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(panel);
    root->addWidget(resultList, 1);

    // Keyboard order as the window has always had it: row one left to right (the bike last),
    // then the check boxes of rows two and three each with its lower bound, then the upper
    // bounds.
    QWidget* order[] = {dateCheck,
                        lowerDateEdit,
                        upperDateEdit,
                        fromCheck,
                        fromEdit,
                        toCheck,
                        toEdit,
                        viaCheck,
                        viaEdit,
                        bikeCheck,
                        bikeEdit,
                        departureCheck,
                        lowerDepartureEdit,
                        arrivalCheck,
                        lowerArrivalEdit,
                        distanceCheck,
                        lowerDistanceEdit,
                        avgSpeedCheck,
                        lowerAvgSpeedEdit,
                        maxSpeedCheck,
                        lowerMaxSpeedEdit,
                        rideTimeCheck,
                        upperDepartureEdit,
                        upperArrivalEdit,
                        upperAvgSpeedEdit,
                        upperMaxSpeedEdit,
                        upperDistanceEdit,
                        lowerRideTimeEdit,
                        upperRideTimeEdit,
                        lowerRideTimeButton,
                        upperRideTimeButton,
                        allRadio,
                        anyRadio,
                        findButton,
                        cancelButton,
                        exportButton,
                        resultList};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    resize(std::max(763, sizeHint().width()), 497);

    connect(findButton, &QPushButton::clicked, this, &TFindForm::Search);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
    connect(exportButton, &QPushButton::clicked, this, &TFindForm::ExportResults);
    connect(lowerDateButton, &QToolButton::clicked, this, &TFindForm::PickLowerDate);
    connect(upperDateButton, &QToolButton::clicked, this, &TFindForm::PickUpperDate);
    connect(lowerRideTimeButton, &QPushButton::clicked, this, &TFindForm::AskLowerRideTime);
    connect(upperRideTimeButton, &QPushButton::clicked, this, &TFindForm::AskUpperRideTime);
}

diary::SearchConditions TFindForm::Conditions() const {
    struct Slot {
        QCheckBox* check;
        QLineEdit* lower;
        QLineEdit* upper;
    };
    const Slot conds[diary::kSearchConditionCount] = {
        {dateCheck, lowerDateEdit, upperDateEdit},
        {fromCheck, fromEdit, nullptr},
        {toCheck, toEdit, nullptr},
        {viaCheck, viaEdit, nullptr},
        {departureCheck, lowerDepartureEdit, upperDepartureEdit},
        {arrivalCheck, lowerArrivalEdit, upperArrivalEdit},
        {distanceCheck, lowerDistanceEdit, upperDistanceEdit},
        {avgSpeedCheck, lowerAvgSpeedEdit, upperAvgSpeedEdit},
        {maxSpeedCheck, lowerMaxSpeedEdit, upperMaxSpeedEdit},
        {rideTimeCheck, lowerRideTimeEdit, upperRideTimeEdit},
        {bikeCheck, bikeEdit, nullptr},
    };
    diary::SearchConditions c;
    for (std::size_t i = 0; i < diary::kSearchConditionCount; ++i) {
        c.enabled[i] = conds[i].check->isChecked();
        c.lower[i] = ToCp(conds[i].lower->text());
        if (conds[i].upper) c.upper[i] = ToCp(conds[i].upper->text());
    }
    c.any = anyRadio->isChecked();
    return c;
}

void TFindForm::Search() {
    results_->Clear();
    const diary::SearchConditions conditions = Conditions();
    Guarded(this, [&] {
        const diary::RecordTable& table = list_->table();
        if (diary_.listIsOnDisk && diary_.listIsOnDisk()) {
            results_->Assign(diary::SearchQuery(conditions, regional_).Rides(table));
            return;
        }
        std::vector<diary::RecordRow> found =
            diary::SearchDiary(ToFsPath(diary_.path()), conditions, regional_);
        // Show each match as the main list holds it; a record the main list lacks (the file
        // was changed behind its back) is shown from the file's own fields. One index per
        // search keeps this linear in the hits, however many rows the list has.
        const diary::NumberIndex rows(table);
        for (diary::RecordRow& row : found) {
            const auto pos = rows.Find(row.Number());
            if (pos >= 0) row = table[static_cast<std::size_t>(pos)];
        }
        results_->Assign(std::move(found));
    });
}

void TFindForm::ExportResults() {
    const QString folder =
        exportFolder_.isEmpty() ? QFileInfo(diary_.path()).absolutePath() : exportFolder_;
    const QString chosen = filedialog::SaveFileName(this, csvexport::Filter(), folder);
    if (chosen.isEmpty()) return;
    exportFolder_ = QFileInfo(chosen).absolutePath();
    csvexport::WriteList(this, *results_, chosen, regional_);
}

std::vector<int> TFindForm::ResultColumnWidths() const { return ColumnWidths(resultList); }

void TFindForm::RestoreResultColumnWidths(const std::vector<int>& widths) {
    RestoreColumnWidths(resultList, widths);
}

void TFindForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Every opening starts at the first condition's field, its text selected for typing
        // over, wherever the focus was left the time before.
        FocusFirstField(lowerDateEdit);
    }
    QWidget::showEvent(event);
}

void TFindForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && mods == Qt::NoModifier) {
        // Enter on a button presses that button, as in a dialog; anywhere else it searches.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else if (focusWidget() != resultList) {
            Search();
        }
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFindForm::PickLowerDate() {
    lowerDateEdit->setText(DateText(regional_, helpers_.pickDate(this)));
}

void TFindForm::PickUpperDate() {
    upperDateEdit->setText(DateText(regional_, helpers_.pickDate(this)));
}

void TFindForm::AskLowerRideTime() {
    if (const auto time = helpers_.askRideTime()) lowerRideTimeEdit->setText(*time);
}

void TFindForm::AskUpperRideTime() {
    if (const auto time = helpers_.askRideTime()) upperRideTimeEdit->setText(*time);
}
