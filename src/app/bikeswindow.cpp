#include "app/bikeswindow.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/controls.h"
#include "app/datepicker.h"
#include "app/firstfield.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/opendiary.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/errors.h"
#include "diary/record_table.h"

namespace {

const QChar kSeparator(u'\u00A7');
const QString kSeparatorMessage = QStringLiteral("Znak § nelze použít.");

QString Quoted(const std::string& name) {
    return QStringLiteral("„") + FromCp(name) + QStringLiteral("“");
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(width);
    GuardCp1250(edit);
    return edit;
}

// "OK" and "Storno" of a small dialog, centred under its fields.
QHBoxLayout* OkCancel(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton(icons::Ok(), QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    cancel = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), dialog);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    for (QPushButton* b : {ok, cancel}) b->setMinimumWidth(89);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addSpacing(20);
    row->addWidget(cancel);
    row->addStretch();
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

QTreeWidget* MakeGrid(QWidget* parent, const char* name,
                      std::initializer_list<std::string_view> captions) {
    auto* grid = new QTreeWidget(parent);
    grid->setObjectName(QString::fromLatin1(name));
    QStringList labels;
    for (std::string_view c : captions) {
        labels << FromUtf8(c);
    }
    grid->setHeaderLabels(labels);
    grid->setRootIsDecorated(false);
    grid->setItemsExpandable(false);
    grid->setUniformRowHeights(true);
    grid->setAllColumnsShowFocus(true);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->header()->setSectionsClickable(false);
    grid->header()->setStretchLastSection(true);
    const QFontMetrics fm(grid->header()->font());
    for (int c = 0; c < labels.size(); ++c) {
        grid->setColumnWidth(c, std::max(c == 0 ? 130 : 80, fm.horizontalAdvance(labels[c]) + 20));
    }
    return grid;
}

template <std::size_t N>
QTreeWidgetItem* AddRow(QTreeWidget* grid, const std::array<std::string, N>& texts) {
    auto* item = new QTreeWidgetItem(grid);
    for (std::size_t c = 0; c < N; ++c) {
        item->setText(static_cast<int>(c), FromCp(texts[c]));
        // Numbers and dates line up on the right, names on the left.
        if (c > 0) item->setTextAlignment(static_cast<int>(c), Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TKoloNameForm::TKoloNameForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("KoloNameForm"));
    setModal(true);
    nameEdit = MakeEdit(this, "Nazev", 220);
    auto* label = new QLabel(QStringLiteral("Název kola:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(nameEdit);
    auto* root = new QVBoxLayout(this);
    root->addWidget(label);
    root->addWidget(nameEdit);
    root->addSpacing(6);
    root->addLayout(OkCancel(this, okButton, cancelButton));
    root->setSizeConstraint(QLayout::SetFixedSize);
    connect(okButton, &QPushButton::clicked, this, &TKoloNameForm::Accept);
}

void TKoloNameForm::Start(const QString& caption, const QString& name) {
    setWindowTitle(caption);
    nameEdit->setText(name);
    FocusFirstField(nameEdit);
}

std::string TKoloNameForm::Name() const { return ToCp(nameEdit->text().trimmed()); }

void TKoloNameForm::Accept() {
    if (nameEdit->text().contains(kSeparator)) {
        ShowError(this, kSeparatorMessage);
        return;
    }
    try {
        diary::CheckBikeName(Name());
    } catch (const diary::InvalidValueError& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    done(kResultOk);
}

// ---------------------------------------------------------------------------------------------

TDilForm::TDilForm(const diary::RegionalSettings& regional, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      regional_(regional) {
    setObjectName(QStringLiteral("DilForm"));
    setModal(true);
    nameEdit = MakeEdit(this, "Nazev", 200);
    fittedEdit = MakeEdit(this, "Datum", 120);
    intervalEdit = MakeEdit(this, "Interval", 120);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Díl:"), nameEdit);
    form->addRow(QStringLiteral("Namontován:"), fittedEdit);
    form->addRow(QStringLiteral("Interval (km):"), intervalEdit);
    auto* root = new QVBoxLayout(this);
    root->addLayout(form);
    root->addSpacing(6);
    root->addLayout(OkCancel(this, okButton, cancelButton));
    root->setSizeConstraint(QLayout::SetFixedSize);
    connect(okButton, &QPushButton::clicked, this, &TDilForm::Accept);
}

void TDilForm::Start(const QString& caption, const diary::ServicePart& part) {
    setWindowTitle(caption);
    part_ = part;
    const diary::PartStatus status{part, 0, false};
    const auto texts = diary::PartStatusTexts(status, regional_);
    nameEdit->setText(FromCp(texts[0]));
    fittedEdit->setText(FromCp(texts[1]));
    intervalEdit->setText(FromCp(texts[2]));
    FocusFirstField(nameEdit);
}

void TDilForm::Accept() {
    for (const QLineEdit* edit : {nameEdit, fittedEdit, intervalEdit}) {
        if (edit->text().contains(kSeparator)) {
            ShowError(this, kSeparatorMessage);
            return;
        }
    }
    try {
        part_ =
            diary::ReadServicePart(part_.bike, ToCp(nameEdit->text().trimmed()),
                                   ToCp(fittedEdit->text()), ToCp(intervalEdit->text()), regional_);
    } catch (const diary::InvalidValueError& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    done(kResultOk);
}

// ---------------------------------------------------------------------------------------------

TKolaForm::TKolaForm(OpenDiary& diary, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      list_(&diary.model()),
      regional_(diary.regional()),
      diary_(diary) {
    setObjectName(QStringLiteral("KolaForm"));
    setWindowTitle(QStringLiteral("Kola"));

    const auto& b = diary::kBikeFigureCaptions;
    bikeList = MakeGrid(this, "SeznamKol", {b[0], b[1], b[2], b[3], b[4], b[5]});
    const auto& p = diary::kPartStatusCaptions;
    partList = MakeGrid(this, "SeznamDilu", {p[0], p[1], p[2], p[3], p[4]});

    PridatKolo = MakeButton(this, "PridatKolo", QStringLiteral("Přidat kolo"));
    PrejmenovatKolo = MakeButton(this, "PrejmenovatKolo", QStringLiteral("Přejmenovat"));
    SmazatKolo = MakeButton(this, "SmazatKolo", QStringLiteral("Smazat kolo"));
    PridatDil = MakeButton(this, "PridatDil", QStringLiteral("Přidat díl"));
    UpravitDil = MakeButton(this, "UpravitDil", QStringLiteral("Upravit díl"));
    SmazatDil = MakeButton(this, "SmazatDil", QStringLiteral("Smazat díl"));
    okButton = MakeButton(this, "OKButton", QStringLiteral("OK"));
    okButton->setIcon(icons::Ok());

    auto* bikeButtons = new QHBoxLayout;
    for (QPushButton* button : {PridatKolo, PrejmenovatKolo, SmazatKolo}) {
        bikeButtons->addWidget(button);
    }
    bikeButtons->addStretch();
    auto* partsCaption = new QLabel(QStringLiteral("Díly vybraného kola:"), this);
    partsCaption->setObjectName(QStringLiteral("Label1"));
    partsCaption->setBuddy(partList);
    auto* partButtons = new QHBoxLayout;
    for (QPushButton* button : {PridatDil, UpravitDil, SmazatDil}) partButtons->addWidget(button);
    partButtons->addStretch();
    partButtons->addWidget(okButton);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->addWidget(bikeList, 3);
    root->addLayout(bikeButtons);
    root->addSpacing(6);
    root->addWidget(partsCaption);
    root->addWidget(partList, 2);
    root->addLayout(partButtons);
    resize(std::max(660, sizeHint().width()), 440);

    nameForm_ = new TKoloNameForm(this);
    partForm_ = new TDilForm(regional_, this);

    connect(PridatKolo, &QPushButton::clicked, this, &TKolaForm::AddBike);
    connect(PrejmenovatKolo, &QPushButton::clicked, this, &TKolaForm::RenameBike);
    connect(SmazatKolo, &QPushButton::clicked, this, &TKolaForm::RemoveBike);
    connect(PridatDil, &QPushButton::clicked, this, &TKolaForm::AddPart);
    connect(UpravitDil, &QPushButton::clicked, this, &TKolaForm::EditPart);
    connect(SmazatDil, &QPushButton::clicked, this, &TKolaForm::RemovePart);
    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(bikeList, &QTreeWidget::currentItemChanged, this, &TKolaForm::ShowParts);
    connect(partList, &QTreeWidget::currentItemChanged, this, &TKolaForm::UpdateButtons);
    connect(partList, &QTreeWidget::itemDoubleClicked, this, &TKolaForm::EditPart);
    // The figures follow the list while the window is open: a ride added, edited, deleted or
    // reloaded from disk changes them.
    const auto follow = [this] {
        if (isVisible()) Refresh();
    };
    connect(&diary_, &OpenDiary::RidesChanged, this, follow);
    connect(&diary_, &OpenDiary::BikesChanged, this, follow);
    UpdateButtons();
}

TKolaForm::~TKolaForm() = default;

QString TKolaForm::DuePartsNote() const {
    const auto due = diary::DueParts(list_->table(), diary_.bikes().parts, regional_);
    return FromCp(diary::DuePartsNote(due, regional_));
}

void TKolaForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) Refresh();
    QWidget::showEvent(event);
}

void TKolaForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TKolaForm::Refresh(const std::optional<std::string>& select) {
    std::optional<std::string> keep = select;
    if (!keep) {
        if (const diary::BikeFigures* bike = SelectedBike()) keep = bike->bike;
    }
    figures_ = diary::ComputeBikeFigures(list_->table(), diary_.bikes().bikes, regional_);
    const QSignalBlocker quiet(bikeList);
    bikeList->clear();
    QTreeWidgetItem* current = nullptr;
    for (const diary::BikeFigures& f : figures_) {
        QTreeWidgetItem* item = AddRow(bikeList, diary::BikeFigureTexts(f, regional_));
        if (f.bike.empty())
            item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
        if (keep && f.bike == *keep) current = item;
    }
    if (current == nullptr) current = bikeList->topLevelItem(0);
    if (current != nullptr) bikeList->setCurrentItem(current);
    ShowParts();
}

const diary::BikeFigures* TKolaForm::SelectedBike() const {
    const int i = bikeList->indexOfTopLevelItem(bikeList->currentItem());
    if (i < 0 || i >= static_cast<int>(figures_.size())) return nullptr;
    return &figures_[static_cast<std::size_t>(i)];
}

const diary::PartStatus* TKolaForm::SelectedPart() const {
    const int i = partList->indexOfTopLevelItem(partList->currentItem());
    if (i < 0 || i >= static_cast<int>(parts_.size())) return nullptr;
    return &parts_[static_cast<std::size_t>(i)];
}

bool TKolaForm::HasBike(const std::string& name) const {
    return std::any_of(figures_.begin(), figures_.end(),
                       [&](const diary::BikeFigures& f) { return f.bike == name; });
}

void TKolaForm::ShowParts() {
    parts_.clear();
    const diary::BikeFigures* bike = SelectedBike();
    if (bike != nullptr && !bike->bike.empty()) {
        std::vector<diary::ServicePart> own;
        for (const diary::ServicePart& part : diary_.bikes().parts) {
            if (part.bike == bike->bike) own.push_back(part);
        }
        parts_ = diary::ComputePartStatus(list_->table(), own, regional_);
    }
    const QSignalBlocker quiet(partList);
    partList->clear();
    for (const diary::PartStatus& status : parts_) {
        QTreeWidgetItem* item = AddRow(partList, diary::PartStatusTexts(status, regional_));
        if (status.due) {
            // A part past its interval stands out in every column, not only by its state.
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int c = 0; c < partList->columnCount(); ++c) {
                item->setFont(c, bold);
                item->setForeground(c, QColor(0xB0, 0x00, 0x00));
            }
        }
    }
    if (partList->topLevelItemCount() > 0) partList->setCurrentItem(partList->topLevelItem(0));
    UpdateButtons();
}

void TKolaForm::UpdateButtons() {
    const diary::BikeFigures* bike = SelectedBike();
    const bool named = bike != nullptr && !bike->bike.empty();
    PrejmenovatKolo->setEnabled(named);
    SmazatKolo->setEnabled(named);
    PridatDil->setEnabled(named);
    UpravitDil->setEnabled(SelectedPart() != nullptr);
    SmazatDil->setEnabled(SelectedPart() != nullptr);
}

void TKolaForm::AddBike() {
    nameForm_->Start(QStringLiteral("Nové kolo"), QString());
    if (nameForm_->exec() != kResultOk) return;
    const std::string name = nameForm_->Name();
    const std::vector<std::string>& bikes = diary_.bikes().bikes;
    if (std::find(bikes.begin(), bikes.end(), name) != bikes.end()) {
        ShowError(this, QStringLiteral("Kolo %1 už v seznamu je.").arg(Quoted(name)));
        return;
    }
    diary_.AddBikes(this, {name});
    Refresh(name);
}

void TKolaForm::RenameBike() {
    const diary::BikeFigures* bike = SelectedBike();
    if (bike == nullptr || bike->bike.empty()) return;
    const std::string from = bike->bike;
    nameForm_->Start(QStringLiteral("Přejmenovat kolo"), FromCp(from));
    if (nameForm_->exec() != kResultOk) return;
    const std::string to = nameForm_->Name();
    if (to == from) return;
    if (HasBike(to) && !AskYesNo(this, MsgKind::Confirm,
                                 QStringLiteral("Kolo %1 už existuje. Sloučit s ním kolo %2?")
                                     .arg(Quoted(to), Quoted(from)))) {
        return;
    }
    // The rides, the list and the parts in one save of the diary: a busy or unwritable diary
    // leaves everything as it was.
    diary_.KeepDailyBackup(this);
    diary_.RenameBike(this, from, to);
    Refresh(to);
}

void TKolaForm::RemoveBike() {
    const diary::BikeFigures* bike = SelectedBike();
    if (bike == nullptr || bike->bike.empty()) return;
    const std::string name = bike->bike;
    const std::size_t rides = bike->rides;
    if (rides > 0 &&
        !AskYesNo(this, MsgKind::Confirm,
                  QStringLiteral("Na kole %1 je zapsáno jízd: %2. Smazat kolo a nechat tyto "
                                 "jízdy bez kola?")
                      .arg(Quoted(name))
                      .arg(rides))) {
        return;
    }
    // Only the rides the user was told of: one another program put on the bike meanwhile is
    // not stripped of it unasked.
    if (rides > 0) diary_.KeepDailyBackup(this);
    diary_.RenameBike(this, name, {}, rides);
    Refresh();
}

void TKolaForm::AddPart() {
    const diary::BikeFigures* bike = SelectedBike();
    if (bike == nullptr || bike->bike.empty()) return;
    const std::string name = bike->bike;
    partForm_->Start(QStringLiteral("Nový díl"), {name, {}, Today(), 0});
    if (partForm_->exec() != kResultOk) return;
    // A bike only rides named until now joins the list in the same save.
    diary_.ChangePart(this, std::nullopt, partForm_->Part());
    Refresh(name);
}

void TKolaForm::EditPart() {
    const diary::PartStatus* status = SelectedPart();
    if (status == nullptr) return;
    const diary::ServicePart old = status->part;
    partForm_->Start(QStringLiteral("Upravit díl"), old);
    if (partForm_->exec() != kResultOk) return;
    diary_.ChangePart(this, old, partForm_->Part());
    Refresh(old.bike);
}

void TKolaForm::RemovePart() {
    const diary::PartStatus* status = SelectedPart();
    if (status == nullptr) return;
    const diary::ServicePart old = status->part;
    if (!AskYesNo(this, MsgKind::Warning, QStringLiteral("Opravdu smazat?"))) return;
    diary_.ChangePart(this, old, std::nullopt);
    Refresh(old.bike);
}
