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

    Chdatum = MakeCheck(panel, "Chdatum", QStringLiteral("Datum"));
    Chodkud = MakeCheck(panel, "Chodkud", QStringLiteral("Odkud"));
    Chkam = MakeCheck(panel, "Chkam", QStringLiteral("Kam"));
    CHpres = MakeCheck(panel, "CHpres", QStringLiteral("Přes"));
    Chodjezd = MakeCheck(panel, "Chodjezd", QStringLiteral("Odjezd"));
    Chprijezd = MakeCheck(panel, "Chprijezd", QStringLiteral("Příjezd"));
    Chujeto = MakeCheck(panel, "Chujeto", QStringLiteral("Ujeto"));
    Chprumrych = MakeCheck(panel, "Chprumrych", QStringLiteral("Průměrná rychlost"));
    Chmax = MakeCheck(panel, "Chmax", QStringLiteral("Maximální rychlost"));
    Chcas = MakeCheck(panel, "Chcas", QStringLiteral("Čas jízdy"));
    Chkolo = MakeCheck(panel, "Chkolo", QStringLiteral("Kolo"));

    Edatumod = MakeConditionEdit(panel, "Edatumod", 89, "31.12.2001");
    EDatumdo = MakeConditionEdit(panel, "EDatumdo", 97, "31.12.2001");
    Eodkud = MakeConditionEdit(panel, "Eodkud", 97, "Kostelec n. L.");
    Ekam = MakeConditionEdit(panel, "Ekam", 97, "Kostelec n. L.");
    Epres = MakeConditionEdit(panel, "Epres", 137, "Kostelec nad Labem");
    Eodjezdod = MakeConditionEdit(panel, "Eodjezdod", 65, "12345,5");
    Eodjezddo = MakeConditionEdit(panel, "Eodjezddo", 65, "12345,5");
    Eprijezdod = MakeConditionEdit(panel, "Eprijezdod", 65, "12345,5");
    Eprijezddo = MakeConditionEdit(panel, "Eprijezddo", 65, "12345,5");
    Eujetood = MakeConditionEdit(panel, "Eujetood", 65, "12345,5");
    Eujetodo = MakeConditionEdit(panel, "Eujetodo", 65, "12345,5");
    Eprumrychod = MakeConditionEdit(panel, "Eprumrychod", 65, "12345,5");
    Eprumrychdo = MakeConditionEdit(panel, "Eprumrychdo", 65, "12345,5");
    Emaxod = MakeConditionEdit(panel, "Emaxod", 65, "12345,5");
    Emaxdo = MakeConditionEdit(panel, "Emaxdo", 65, "12345,5");
    Ecasod = MakeConditionEdit(panel, "Ecasod", 65, "10 h 30 min");
    Ecasdo = MakeConditionEdit(panel, "Ecasdo", 65, "10 h 30 min");
    Ekolo = MakeConditionEdit(panel, "Ekolo", 97, "Horske kolo");

    const QIcon calendarIcon = icons::Calendar();
    SpeedButton1 = new QToolButton(panel);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton2 = new QToolButton(panel);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    for (QToolButton* b : {SpeedButton1, SpeedButton2}) {
        b->setIcon(calendarIcon);
        b->setToolTip(QStringLiteral("Kalendář"));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
    }

    Button1 = new QPushButton(QStringLiteral("..."), panel);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("..."), panel);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton* b : {Button1, Button2}) {
        const int w = b->fontMetrics().horizontalAdvance(b->text()) + 8;
        b->setFixedWidth(std::max(17, w));
        b->setAutoDefault(false);
    }

    styl = new QGroupBox(QStringLiteral("Závislost mezi podmínkami"), panel);
    styl->setObjectName(QStringLiteral("styl"));
    stylA = new QRadioButton(QStringLiteral("A"), styl);
    stylA->setObjectName(QStringLiteral("stylA"));
    stylNebo = new QRadioButton(QStringLiteral("nebo"), styl);
    stylNebo->setObjectName(QStringLiteral("stylNebo"));
    stylA->setChecked(true);
    auto* stylLayout = new QHBoxLayout(styl);
    stylLayout->setContentsMargins(8, 2, 8, 4);
    stylLayout->addWidget(stylA);
    stylLayout->addWidget(stylNebo);

    FindButton = new QPushButton(icons::Search(), QStringLiteral("Vyhledat"), panel);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    CancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), panel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton* b : {FindButton, CancelButton}) b->setMinimumWidth(89);
    ExportButton = new QPushButton(QStringLiteral("Export do CSV…"), panel);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    ExportButton->setAutoDefault(false);

    auto* row1 = new QHBoxLayout;
    row1->setSpacing(16);
    row1->addLayout(RangeBlock(panel, Chdatum, Edatumod, EDatumdo, SpeedButton1, SpeedButton2));
    row1->addLayout(TextBlock(panel, Chodkud, QStringLiteral("Odkud"), Eodkud));
    row1->addLayout(TextBlock(panel, Chkam, QStringLiteral("Kam"), Ekam));
    row1->addLayout(TextBlock(panel, CHpres, QStringLiteral("Přes"), Epres));
    // The bike is a text condition like the places, so it stands beside them.
    row1->addLayout(TextBlock(panel, Chkolo, QStringLiteral("Kolo"), Ekolo));
    row1->addStretch();

    auto* row2 = new QHBoxLayout;
    row2->setSpacing(16);
    row2->addLayout(RangeBlock(panel, Chodjezd, Eodjezdod, Eodjezddo));
    row2->addLayout(RangeBlock(panel, Chprijezd, Eprijezdod, Eprijezddo));
    row2->addLayout(RangeBlock(panel, Chujeto, Eujetood, Eujetodo));
    row2->addLayout(RangeBlock(panel, Chprumrych, Eprumrychod, Eprumrychdo));
    row2->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(11);
    buttons->addWidget(FindButton, 0, Qt::AlignBottom);
    buttons->addWidget(CancelButton, 0, Qt::AlignBottom);
    // The export goes over "Storno", in the height the row's conditions take anyway, so that
    // every other control stays where it was.
    auto* actions = new QVBoxLayout;
    actions->setSpacing(4);
    actions->addWidget(ExportButton, 0, Qt::AlignRight | Qt::AlignTop);
    actions->addStretch(1);
    actions->addLayout(buttons);

    auto* row3 = new QHBoxLayout;
    row3->setSpacing(16);
    row3->addLayout(RangeBlock(panel, Chmax, Emaxod, Emaxdo));
    row3->addLayout(RangeBlock(panel, Chcas, Ecasod, Ecasdo, Button1, Button2));
    row3->addWidget(styl, 0, Qt::AlignBottom);
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
    List = new QTreeView(this);
    List->setObjectName(QStringLiteral("List"));
    SetUpRecordView(List, results_, regional_);
    // The result list only shows its rows; it cannot be sorted.
    List->header()->setSectionsClickable(false);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(panel);
    root->addWidget(List, 1);

    // Keyboard order as the window has always had it: row one left to right (the bike last),
    // then the check boxes of rows two and three each with its lower bound, then the upper
    // bounds.
    QWidget* order[] = {Chdatum,     Edatumod,  EDatumdo,   Chodkud,    Eodkud,       Chkam,
                        Ekam,        CHpres,    Epres,      Chkolo,     Ekolo,        Chodjezd,
                        Eodjezdod,   Chprijezd, Eprijezdod, Chujeto,    Eujetood,     Chprumrych,
                        Eprumrychod, Chmax,     Emaxod,     Chcas,      Eodjezddo,    Eprijezddo,
                        Eprumrychdo, Emaxdo,    Eujetodo,   Ecasod,     Ecasdo,       Button1,
                        Button2,     stylA,     stylNebo,   FindButton, CancelButton, ExportButton,
                        List};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    resize(std::max(763, sizeHint().width()), 497);

    connect(FindButton, &QPushButton::clicked, this, &TFindForm::Search);
    connect(CancelButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ExportButton, &QPushButton::clicked, this, &TFindForm::ExportResults);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFindForm::PickLowerDate);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFindForm::PickUpperDate);
    connect(Button1, &QPushButton::clicked, this, &TFindForm::AskLowerRideTime);
    connect(Button2, &QPushButton::clicked, this, &TFindForm::AskUpperRideTime);
}

diary::SearchConditions TFindForm::Conditions() const {
    struct Slot {
        QCheckBox* check;
        QLineEdit* lower;
        QLineEdit* upper;
    };
    const Slot conds[diary::kSearchConditionCount] = {
        {Chdatum, Edatumod, EDatumdo},    {Chodkud, Eodkud, nullptr},
        {Chkam, Ekam, nullptr},           {CHpres, Epres, nullptr},
        {Chodjezd, Eodjezdod, Eodjezddo}, {Chprijezd, Eprijezdod, Eprijezddo},
        {Chujeto, Eujetood, Eujetodo},    {Chprumrych, Eprumrychod, Eprumrychdo},
        {Chmax, Emaxod, Emaxdo},          {Chcas, Ecasod, Ecasdo},
        {Chkolo, Ekolo, nullptr},
    };
    diary::SearchConditions c;
    for (std::size_t i = 0; i < diary::kSearchConditionCount; ++i) {
        c.enabled[i] = conds[i].check->isChecked();
        c.lower[i] = ToCp(conds[i].lower->text());
        if (conds[i].upper) c.upper[i] = ToCp(conds[i].upper->text());
    }
    c.any = stylNebo->isChecked();
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

std::vector<int> TFindForm::ResultColumnWidths() const { return ColumnWidths(List); }

void TFindForm::RestoreResultColumnWidths(const std::vector<int>& widths) {
    RestoreColumnWidths(List, widths);
}

void TFindForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Every opening starts at the first condition's field, its text selected for typing
        // over, wherever the focus was left the time before.
        FocusFirstField(Edatumod);
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
        } else if (focusWidget() != List) {
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

void TFindForm::PickLowerDate() { Edatumod->setText(DateText(regional_, helpers_.pickDate(this))); }

void TFindForm::PickUpperDate() { EDatumdo->setText(DateText(regional_, helpers_.pickDate(this))); }

void TFindForm::AskLowerRideTime() {
    if (const auto time = helpers_.askRideTime()) Ecasod->setText(*time);
}

void TFindForm::AskUpperRideTime() {
    if (const auto time = helpers_.askRideTime()) Ecasdo->setText(*time);
}
