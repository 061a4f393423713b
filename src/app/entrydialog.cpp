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
QPushButton* MakeFixedButton(QWidget* parent, const char* name, const QString& text, int width) {
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

    numberLabel = new QLabel(QStringLiteral("1"), this);
    numberLabel->setObjectName(QStringLiteral("Cislo"));
    QFont big(QStringLiteral("Arial"));
    big.setBold(true);
    big.setPixelSize(Scaled(this, 19));
    numberLabel->setFont(big);
    numberLabel->setAlignment(Qt::AlignCenter);
    numberLabel->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("0000000")));

    dateEdit = MakeFieldEdit(this, "Dat", 121);
    todayButton = MakeFixedButton(this, "DnesButton", QStringLiteral("Dnes"), 34);
    calendarButton =
        MakePictureButton(this, "SpeedButton1", icons::Calendar(), QStringLiteral("Kalendář"));
    fromCombo = MakeCombo(this, "od", 148);
    viaCombo = MakeCombo(this, "pres", 164);
    toCombo = MakeCombo(this, "kam", 148);
    departureKmEdit = MakeFieldEdit(this, "Odj", 101);
    lastArrivalButton = MakeFixedButton(this, "Button2", QStringLiteral("Posledni"), 55);
    lastArrivalButton->setToolTip(QStringLiteral("Poslední příjezdové km."));
    distanceKmEdit = MakeFieldEdit(this, "Ujeto", 101);
    distanceCalcButton =
        MakePictureButton(this, "SpeedButton3", icons::Calculator(), QStringLiteral("Výpočet"));
    arrivalKmEdit = MakeFieldEdit(this, "Pri", 101);
    arrivalCalcButton =
        MakePictureButton(this, "SpeedButton2", icons::Calculator(), QStringLiteral("Výpočet"));
    avgSpeedEdit = MakeFieldEdit(this, "Pr", 106);
    avgSpeedCalcButton =
        MakePictureButton(this, "SpeedButton5", icons::Calculator(), QStringLiteral("Výpočet"));
    rideTimeEdit = MakeFieldEdit(this, "Cj", 101);
    rideTimeButton = MakeFixedButton(this, "Button1", QStringLiteral("..."), 21);
    rideTimeCalcButton =
        MakePictureButton(this, "SpeedButton4", icons::Calculator(), QStringLiteral("Výpočet"));
    maxSpeedEdit = MakeFieldEdit(this, "Mr", 109);
    noteEdit = MakeFieldEdit(this, "Pozn", 469);
    noteEdit->setMaxLength(TypingLimit(Field::Note));
    bikeCombo = MakeCombo(this, "Kolo", 164);
    okButton = MakeFixedButton(this, "OKButton", QStringLiteral("OK"), 91);
    okButton->setIcon(icons::Ok());
    okButton->setFixedWidth(std::max(okButton->width(), Scaled(this, 91)));
    cancelButton = MakeFixedButton(this, "CancelButton", QStringLiteral("Storno"), 89);
    cancelButton->setIcon(icons::Cancel());
    const int cancelNeeded =
        cancelButton->fontMetrics().horizontalAdvance(QStringLiteral("Storno")) +
        cancelButton->iconSize().width() + 24;
    cancelButton->setFixedWidth(std::max(Scaled(this, 89), cancelNeeded));

    auto* root = new QVBoxLayout(this);
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(8);

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(numberLabel, 0, Qt::AlignBottom);
    dateRow->addSpacing(4);
    dateRow->addLayout(
        Group(this, "Label1", QStringLiteral("Datum:"), {dateEdit, todayButton, calendarButton}));
    dateRow->addStretch(1);
    root->addLayout(dateRow);

    auto* placeRow = new QHBoxLayout;
    placeRow->setSpacing(10);
    placeRow->addLayout(Group(this, "Label2", QStringLiteral("Odkud:"), {fromCombo}));
    placeRow->addLayout(Group(this, "Label3", QStringLiteral("Přes:"), {viaCombo}));
    placeRow->addLayout(Group(this, "Label4", QStringLiteral("Kam:"), {toCombo}));
    placeRow->addStretch(1);
    root->addLayout(placeRow);

    auto* kmRow = new QHBoxLayout;
    kmRow->setSpacing(10);
    kmRow->addLayout(Group(this, "Label5", QStringLiteral("Odjezd (km):"),
                           {departureKmEdit, lastArrivalButton}));
    kmRow->addLayout(
        Group(this, "Label6", QStringLiteral("Ujeto (km):"), {distanceKmEdit, distanceCalcButton}));
    kmRow->addLayout(
        Group(this, "Label7", QStringLiteral("Příjed (km):"), {arrivalKmEdit, arrivalCalcButton}));
    kmRow->addStretch(1);
    root->addLayout(kmRow);

    auto* speedRow = new QHBoxLayout;
    speedRow->setSpacing(10);
    speedRow->addLayout(Group(this, "Label8", QStringLiteral("Průmerná rychlost :"),
                              {avgSpeedEdit, avgSpeedCalcButton}));
    speedRow->addLayout(Group(this, "Label9", QStringLiteral("Čas jízdy:"),
                              {rideTimeEdit, rideTimeButton, rideTimeCalcButton}));
    speedRow->addLayout(
        Group(this, "Label10", QStringLiteral("Maximální rychlost"), {maxSpeedEdit}));
    speedRow->addStretch(1);
    root->addLayout(speedRow);

    root->addLayout(Group(this, "Label11", QStringLiteral("Poznámka:"), {noteEdit}));
    root->addLayout(Group(this, "Label12", QStringLiteral("Kolo:"), {bikeCombo}));

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(okButton);
    buttonRow->addSpacing(Scaled(this, 29));
    buttonRow->addWidget(cancelButton);
    buttonRow->addStretch(1);
    root->addLayout(buttonRow);

    QWidget* order[] = {dateEdit,        fromCombo,      viaCombo,      toCombo,
                        departureKmEdit, distanceKmEdit, arrivalKmEdit, avgSpeedEdit,
                        rideTimeEdit,    maxSpeedEdit,   noteEdit,      bikeCombo,
                        okButton,        cancelButton,   todayButton,   lastArrivalButton,
                        rideTimeButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(todayButton, &QPushButton::clicked, this, &TAddForm::FillToday);
    connect(calendarButton, &QToolButton::clicked, this, &TAddForm::PickDate);
    connect(lastArrivalButton, &QPushButton::clicked, this, &TAddForm::FillLastArrival);
    connect(distanceCalcButton, &QToolButton::clicked, this, &TAddForm::ComputeDistance);
    connect(arrivalCalcButton, &QToolButton::clicked, this, &TAddForm::ComputeArrival);
    connect(rideTimeCalcButton, &QToolButton::clicked, this, &TAddForm::ComputeRideTime);
    connect(avgSpeedCalcButton, &QToolButton::clicked, this, &TAddForm::ComputeAverageSpeed);
    connect(rideTimeButton, &QPushButton::clicked, this, &TAddForm::AskRideTime);
    connect(okButton, &QPushButton::clicked, this, &TAddForm::AcceptRide);
    connect(cancelButton, &QPushButton::clicked, this, &TAddForm::reject);
}

QWidget* TAddForm::FieldWidget(Field field) const {
    switch (field) {
        case Field::Date:
            return dateEdit;
        case Field::From:
            return fromCombo;
        case Field::To:
            return toCombo;
        case Field::Via:
            return viaCombo;
        case Field::DepartureKm:
            return departureKmEdit;
        case Field::ArrivalKm:
            return arrivalKmEdit;
        case Field::DistanceKm:
            return distanceKmEdit;
        case Field::AvgSpeed:
            return avgSpeedEdit;
        case Field::MaxSpeed:
            return maxSpeedEdit;
        case Field::RideTime:
            return rideTimeEdit;
        case Field::Note:
            return noteEdit;
        case Field::Bike:
            return bikeCombo;
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
    numberLabel->setText(FromCp(record.number));
    for (int i = 0; i < diary::kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        SetFieldText(field, FromCp(record[field]));
    }
}

diary::DiaryRecord TAddForm::Record() const {
    diary::DiaryRecord record;
    record.number = ToCp(numberLabel->text());
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
    fill(fromCombo, from);
    fill(toCombo, to);
    fill(viaCombo, via);
}

void TAddForm::SetBikeList(const std::vector<std::string>& bikes) {
    const QString text = bikeCombo->currentText();
    bikeCombo->clear();
    for (const std::string& bike : bikes) bikeCombo->addItem(FromCp(bike));
    bikeCombo->setEditText(text);
}

void TAddForm::FillToday() { dateEdit->setText(DateText(regional_, QDate::currentDate())); }

void TAddForm::PickDate() {
    // The picker has no cancel: whatever day it shows when it closes is taken.
    dateEdit->setText(DateText(regional_, helpers_.pickDate(this)));
}

void TAddForm::FillLastArrival() {
    departureKmEdit->setText(FromCp(diary::LastArrival(list_->table())));
}

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
    Guarded(this, [&] {
        Apply(this, distanceKmEdit,
              diary::CalcDistance(ToCp(departureKmEdit->text()), ToCp(arrivalKmEdit->text())));
    });
}

void TAddForm::ComputeArrival() {
    Guarded(this, [&] {
        Apply(this, arrivalKmEdit,
              diary::CalcArrival(ToCp(distanceKmEdit->text()), ToCp(departureKmEdit->text())));
    });
}

void TAddForm::ComputeRideTime() {
    Guarded(this, [&] {
        Apply(this, rideTimeEdit,
              diary::CalcRideTime(ToCp(distanceKmEdit->text()), ToCp(avgSpeedEdit->text()),
                                  ToCp(maxSpeedEdit->text())));
    });
}

void TAddForm::ComputeAverageSpeed() {
    Guarded(this, [&] {
        Apply(this, avgSpeedEdit,
              diary::CalcAvgSpeed(ToCp(distanceKmEdit->text()), ToCp(rideTimeEdit->text())));
    });
}

void TAddForm::AskRideTime() {
    if (const auto time = helpers_.askRideTime()) rideTimeEdit->setText(*time);
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
        FocusFirstField(dateEdit);
    }
    QDialog::showEvent(event);
}
