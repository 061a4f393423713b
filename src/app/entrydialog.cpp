#include "app/entrydialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "app/datepicker.h"
#include "app/firstfield.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/opendiary.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/calculators.h"
#include "diary/diary_transaction.h"
#include "diary/errors.h"
#include "diary/new_ride.h"
#include "diary/record.h"
#include "diary/regional.h"

using diary::Field;

namespace {

// What the user may type into a field. Text loaded from the diary may be longer (an imported
// note, a place written by another program) and is kept whole: the limit never cuts it.
int TypingLimit(Field field) { return diary::InfoOf(field).typingLimit; }

// The dialog was drawn for an 8-point font 13 pixels high; wider fonts widen it alike.
double Scale(const QWidget* w) { return std::max(1.0, w->fontMetrics().height() / 13.0); }

int Scaled(const QWidget* w, int pixels) {
    return static_cast<int>(std::lround(pixels * Scale(w)));
}

QLineEdit* MakeFieldEdit(QWidget* parent, const char* name, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(Scaled(parent, width));
    GuardCp1250(edit);
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, int width) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setDuplicatesEnabled(true);
    combo->setFixedWidth(Scaled(parent, width));
    GuardCp1250(combo);
    return combo;
}

// A text button that Enter never presses and that is never narrower than its caption.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int width) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    const int needed = button->fontMetrics().horizontalAdvance(text) + 14;
    button->setFixedWidth(std::max(Scaled(parent, width), needed));
    return button;
}

QToolButton* MakePictureButton(QWidget* parent, const char* name, const QIcon& icon,
                               const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(Scaled(parent, 23), Scaled(parent, 22));
    return button;
}

// A caption over a row of controls.
QVBoxLayout* Group(QWidget* parent, const char* labelName, const QString& caption,
                   std::initializer_list<QWidget*> widgets) {
    auto* group = new QVBoxLayout;
    group->setSpacing(2);
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(labelName));
    group->addWidget(label);
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    for (QWidget* w : widgets) row->addWidget(w);
    row->addStretch(1);
    group->addLayout(row);
    return group;
}

}  // namespace

TAddForm::TAddForm(OpenDiary& diary, Helpers helpers, QWidget* parent)
    : QDialog(parent),
      diary_(diary),
      list_(&diary.model()),
      regional_(diary.regional()),
      helpers_(std::move(helpers)) {
    setObjectName(QStringLiteral("AddForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    Cislo = new QLabel(QStringLiteral("1"), this);
    Cislo->setObjectName(QStringLiteral("Cislo"));
    QFont big(QStringLiteral("Arial"));
    big.setBold(true);
    big.setPixelSize(Scaled(this, 19));
    Cislo->setFont(big);
    Cislo->setAlignment(Qt::AlignCenter);
    Cislo->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("0000000")));

    Dat = MakeFieldEdit(this, "Dat", 121);
    DnesButton = MakeButton(this, "DnesButton", QStringLiteral("Dnes"), 34);
    SpeedButton1 =
        MakePictureButton(this, "SpeedButton1", icons::Calendar(), QStringLiteral("Kalendář"));
    od = MakeCombo(this, "od", 148);
    pres = MakeCombo(this, "pres", 164);
    kam = MakeCombo(this, "kam", 148);
    Odj = MakeFieldEdit(this, "Odj", 101);
    Button2 = MakeButton(this, "Button2", QStringLiteral("Posledni"), 55);
    Button2->setToolTip(QStringLiteral("Poslední příjezdové km."));
    Ujeto = MakeFieldEdit(this, "Ujeto", 101);
    SpeedButton3 =
        MakePictureButton(this, "SpeedButton3", icons::Calculator(), QStringLiteral("Výpočet"));
    Pri = MakeFieldEdit(this, "Pri", 101);
    SpeedButton2 =
        MakePictureButton(this, "SpeedButton2", icons::Calculator(), QStringLiteral("Výpočet"));
    Pr = MakeFieldEdit(this, "Pr", 106);
    SpeedButton5 =
        MakePictureButton(this, "SpeedButton5", icons::Calculator(), QStringLiteral("Výpočet"));
    Cj = MakeFieldEdit(this, "Cj", 101);
    Button1 = MakeButton(this, "Button1", QStringLiteral("..."), 21);
    SpeedButton4 =
        MakePictureButton(this, "SpeedButton4", icons::Calculator(), QStringLiteral("Výpočet"));
    Mr = MakeFieldEdit(this, "Mr", 109);
    Pozn = MakeFieldEdit(this, "Pozn", 469);
    Pozn->setMaxLength(TypingLimit(Field::Note));
    Kolo = MakeCombo(this, "Kolo", 164);
    OKButton = MakeButton(this, "OKButton", QStringLiteral("OK"), 91);
    OKButton->setIcon(icons::Ok());
    OKButton->setFixedWidth(std::max(OKButton->width(), Scaled(this, 91)));
    CancelButton = MakeButton(this, "CancelButton", QStringLiteral("Storno"), 89);
    CancelButton->setIcon(icons::Cancel());
    const int cancelNeeded =
        CancelButton->fontMetrics().horizontalAdvance(QStringLiteral("Storno")) +
        CancelButton->iconSize().width() + 24;
    CancelButton->setFixedWidth(std::max(Scaled(this, 89), cancelNeeded));

    auto* root = new QVBoxLayout(this);
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(8);

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(Cislo, 0, Qt::AlignBottom);
    dateRow->addSpacing(4);
    dateRow->addLayout(
        Group(this, "Label1", QStringLiteral("Datum:"), {Dat, DnesButton, SpeedButton1}));
    dateRow->addStretch(1);
    root->addLayout(dateRow);

    auto* placeRow = new QHBoxLayout;
    placeRow->setSpacing(10);
    placeRow->addLayout(Group(this, "Label2", QStringLiteral("Odkud:"), {od}));
    placeRow->addLayout(Group(this, "Label3", QStringLiteral("Přes:"), {pres}));
    placeRow->addLayout(Group(this, "Label4", QStringLiteral("Kam:"), {kam}));
    placeRow->addStretch(1);
    root->addLayout(placeRow);

    auto* kmRow = new QHBoxLayout;
    kmRow->setSpacing(10);
    kmRow->addLayout(Group(this, "Label5", QStringLiteral("Odjezd (km):"), {Odj, Button2}));
    kmRow->addLayout(Group(this, "Label6", QStringLiteral("Ujeto (km):"), {Ujeto, SpeedButton3}));
    kmRow->addLayout(Group(this, "Label7", QStringLiteral("Příjed (km):"), {Pri, SpeedButton2}));
    kmRow->addStretch(1);
    root->addLayout(kmRow);

    auto* speedRow = new QHBoxLayout;
    speedRow->setSpacing(10);
    speedRow->addLayout(
        Group(this, "Label8", QStringLiteral("Průmerná rychlost :"), {Pr, SpeedButton5}));
    speedRow->addLayout(
        Group(this, "Label9", QStringLiteral("Čas jízdy:"), {Cj, Button1, SpeedButton4}));
    speedRow->addLayout(Group(this, "Label10", QStringLiteral("Maximální rychlost"), {Mr}));
    speedRow->addStretch(1);
    root->addLayout(speedRow);

    root->addLayout(Group(this, "Label11", QStringLiteral("Poznámka:"), {Pozn}));
    root->addLayout(Group(this, "Label12", QStringLiteral("Kolo:"), {Kolo}));

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(OKButton);
    buttonRow->addSpacing(Scaled(this, 29));
    buttonRow->addWidget(CancelButton);
    buttonRow->addStretch(1);
    root->addLayout(buttonRow);

    QWidget* order[] = {Dat, od,   pres, kam,      Odj,          Ujeto,      Pri,     Pr,     Cj,
                        Mr,  Pozn, Kolo, OKButton, CancelButton, DnesButton, Button2, Button1};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(DnesButton, &QPushButton::clicked, this, &TAddForm::FillToday);
    connect(SpeedButton1, &QToolButton::clicked, this, &TAddForm::PickDate);
    connect(Button2, &QPushButton::clicked, this, &TAddForm::FillLastArrival);
    connect(SpeedButton3, &QToolButton::clicked, this, &TAddForm::ComputeDistance);
    connect(SpeedButton2, &QToolButton::clicked, this, &TAddForm::ComputeArrival);
    connect(SpeedButton4, &QToolButton::clicked, this, &TAddForm::ComputeRideTime);
    connect(SpeedButton5, &QToolButton::clicked, this, &TAddForm::ComputeAverageSpeed);
    connect(Button1, &QPushButton::clicked, this, &TAddForm::AskRideTime);
    connect(OKButton, &QPushButton::clicked, this, &TAddForm::AcceptRide);
    connect(CancelButton, &QPushButton::clicked, this, &TAddForm::reject);
}

QWidget* TAddForm::FieldWidget(Field field) const {
    switch (field) {
        case Field::Date:
            return Dat;
        case Field::From:
            return od;
        case Field::To:
            return kam;
        case Field::Via:
            return pres;
        case Field::DepartureKm:
            return Odj;
        case Field::ArrivalKm:
            return Pri;
        case Field::DistanceKm:
            return Ujeto;
        case Field::AvgSpeed:
            return Pr;
        case Field::MaxSpeed:
            return Mr;
        case Field::RideTime:
            return Cj;
        case Field::Note:
            return Pozn;
        case Field::Bike:
            return Kolo;
    }
    return nullptr;
}

QString TAddForm::FieldText(Field field) const {
    QWidget* w = FieldWidget(field);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    return {};
}

QLineEdit* TAddForm::EditOf(Field field) const {
    QWidget* w = FieldWidget(field);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
}

void TAddForm::SetFieldText(Field field, const QString& text) {
    EditOf(field)->setMaxLength(std::max(TypingLimit(field), static_cast<int>(text.size())));
    loaded_[static_cast<std::size_t>(field)] = text;
    QWidget* w = FieldWidget(field);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setEditText(text);
    } else {
        EditOf(field)->setText(text);
    }
}

void TAddForm::SetRecord(const diary::DiaryRecord& record) {
    Cislo->setText(FromCp(record.number));
    for (int i = 0; i < diary::kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        SetFieldText(field, FromCp(record[field]));
    }
}

diary::DiaryRecord TAddForm::Record() const {
    diary::DiaryRecord record;
    record.number = ToCp(Cislo->text());
    for (int i = 0; i < diary::kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        record[field] = ToCp(FieldText(field));
    }
    record[Field::Bike] = ToCp(FieldText(Field::Bike).trimmed());
    return record;
}

bool TAddForm::AddRide(const diary::DiaryRecord& fields, const QString& caption) {
    SetRecord(fields);
    setWindowTitle(caption);
    save_ = [this](const diary::DiaryRecord& record) { return diary_.AddRide(this, record); };
    return exec() == kResultOk;
}

bool TAddForm::EditRide(const diary::RecordRow& ride) {
    SetRecord(ride.ToRecord());
    setWindowTitle(QStringLiteral("Editovat údaj"));
    save_ = [this, ride](const diary::DiaryRecord& record) {
        return diary_.EditRide(this, ride, record);
    };
    return exec() == kResultOk;
}

void TAddForm::SetPlaceLists(const std::vector<std::string>& from,
                             const std::vector<std::string>& to,
                             const std::vector<std::string>& via) {
    const auto fill = [](QComboBox* combo, const std::vector<std::string>& items) {
        combo->clear();
        for (const std::string& item : items) combo->addItem(FromCp(item));
        combo->setEditText(QString());
    };
    fill(od, from);
    fill(kam, to);
    fill(pres, via);
}

void TAddForm::SetBikeList(const std::vector<std::string>& bikes) {
    const QString text = Kolo->currentText();
    Kolo->clear();
    for (const std::string& bike : bikes) Kolo->addItem(FromCp(bike));
    Kolo->setEditText(text);
}

void TAddForm::FillToday() { Dat->setText(DateText(regional_, QDate::currentDate())); }

void TAddForm::PickDate() {
    // The picker has no cancel: whatever day it shows when it closes is taken.
    Dat->setText(DateText(regional_, helpers_.pickDate(this)));
}

void TAddForm::FillLastArrival() { Odj->setText(FromCp(diary::LastArrival(list_->table()))); }

namespace {

void Apply(TAddForm* form, QLineEdit* target, const diary::CalcResult& result) {
    switch (result.kind) {
        case diary::CalcResult::Kind::Value:
            target->setText(FromCp(result.text));
            break;
        case diary::CalcResult::Kind::Message:
            ShowError(form, QString::fromUtf8(result.text.data(),
                                              static_cast<qsizetype>(result.text.size())));
            break;
        case diary::CalcResult::Kind::Nothing:
            break;
    }
}

}  // namespace

void TAddForm::ComputeDistance() {
    Guarded(this,
            [&] { Apply(this, Ujeto, diary::CalcDistance(ToCp(Odj->text()), ToCp(Pri->text()))); });
}

void TAddForm::ComputeArrival() {
    Guarded(this,
            [&] { Apply(this, Pri, diary::CalcArrival(ToCp(Ujeto->text()), ToCp(Odj->text()))); });
}

void TAddForm::ComputeRideTime() {
    Guarded(this, [&] {
        Apply(this, Cj,
              diary::CalcRideTime(ToCp(Ujeto->text()), ToCp(Pr->text()), ToCp(Mr->text())));
    });
}

void TAddForm::ComputeAverageSpeed() {
    Guarded(this,
            [&] { Apply(this, Pr, diary::CalcAvgSpeed(ToCp(Ujeto->text()), ToCp(Cj->text()))); });
}

void TAddForm::AskRideTime() {
    if (const auto time = helpers_.askRideTime()) Cj->setText(*time);
}

void TAddForm::AcceptRide() {
    // A long text loaded from the diary may stay as it is, but once the user changed it the
    // typing limit applies; saying so beats cutting the text behind the user's back.
    for (int i = 0; i < diary::kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        const QString text = FieldText(field);
        if (text.size() > TypingLimit(field) && text != loaded_[static_cast<std::size_t>(i)]) {
            ShowError(this, QStringLiteral("Upravený text je příliš dlouhý: má %1 znaků, "
                                           "pole smí mít nejvýš %2. Zkraťte ho, prosím.")
                                .arg(text.size())
                                .arg(TypingLimit(field)));
            FieldWidget(field)->setFocus();
            return;
        }
    }
    // What the diary file could not hold as typed is refused here, while the typing can still
    // be mended.
    const diary::DiaryRecord record = Record();
    try {
        diary::CheckRideWritable(record);
    } catch (const diary::InvalidValueError& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    // The dialog stays open, with everything typed, until the ride is in the file.
    if (save_ && !save_(record)) return;
    done(kResultOk);
}

void TAddForm::reject() { done(kResultCancel); }

void TAddForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Every opening starts at "Datum:", whichever control the last one ended in (OK
        // clicked, or Esc in "Odkud"), with the date selected so that typing replaces it.
        FocusFirstField(Dat);
    }
    QDialog::showEvent(event);
}
