#include "app/syncmerge.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/icons.h"
#include "app/msgbox.h"
#include "app/textcodec.h"
#include "diary/record.h"

namespace {

// The columns a ride is known by in both lists, after the first.
const diary::Field kShown[] = {diary::Field::Date, diary::Field::From, diary::Field::To,
                               diary::Field::DistanceKm, diary::Field::Note};

// A ride in one line: "12.5.2026 Doma – Les, 35 km, vítr"; "smazaná" where there is none.
QString RideText(const std::optional<std::string_view>& line) {
    if (!line) return QStringLiteral("smazaná");
    const diary::RecordRow row = diary::RecordRow::FromLine({}, *line);
    QString text = FromCp(row.Get(diary::Field::Date)) + QLatin1Char(' ') +
                   FromCp(row.Get(diary::Field::From)) + QStringLiteral(" – ") +
                   FromCp(row.Get(diary::Field::To));
    if (!row.Get(diary::Field::DistanceKm).empty())
        text += QStringLiteral(", %1 km").arg(FromCp(row.Get(diary::Field::DistanceKm)));
    if (!row.Get(diary::Field::Note).empty())
        text += QStringLiteral(", ") + FromCp(row.Get(diary::Field::Note));
    return text;
}

void AddRide(QTreeWidget* list, const QString& change, std::string_view line) {
    auto* item = new QTreeWidgetItem(list);
    item->setText(0, change);
    const diary::RecordRow row = diary::RecordRow::FromLine({}, line);
    for (int c = 0; c < 5; ++c) item->setText(c + 1, FromCp(row.Get(kShown[c])));
}

}  // namespace

TSyncMergeForm::TSyncMergeForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SyncMergeForm"));
    setWindowTitle(QStringLiteral("Sloučit kopii deníku"));
    setModal(true);

    titleLabel = new QLabel(this);
    titleLabel->setObjectName(QStringLiteral("Label1"));
    titleLabel->setWordWrap(true);
    countsLabel = new QLabel(this);
    countsLabel->setObjectName(QStringLiteral("Pocty"));
    changeList = new QTreeWidget(this);
    changeList->setObjectName(QStringLiteral("Zmeny"));
    changeList->setHeaderLabels({QStringLiteral("Změna"), QStringLiteral("Datum"),
                                 QStringLiteral("Odkud"), QStringLiteral("Kam"),
                                 QStringLiteral("Ujeto"), QStringLiteral("Poznámky")});
    changeList->setRootIsDecorated(false);
    changeList->setUniformRowHeights(true);
    changeList->setMinimumSize(560, 200);
    conflictLabel = new QLabel(
        QStringLiteral("Jízdy změněné na obou stranách (nebo na jedné změněné a na druhé "
                       "smazané) – co ponechat:"),
        this);
    conflictLabel->setObjectName(QStringLiteral("Label2"));
    conflictLabel->setWordWrap(true);
    conflictList = new QTreeWidget(this);
    conflictList->setObjectName(QStringLiteral("Sporne"));
    conflictList->setHeaderLabels(
        {QStringLiteral("V deníku"), QStringLiteral("V kopii"), QStringLiteral("Ponechat")});
    conflictList->setRootIsDecorated(false);
    conflictList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    mergeButton = new QPushButton(icons::Ok(), QStringLiteral("&Sloučit"), this);
    mergeButton->setObjectName(QStringLiteral("SloucitButton"));
    mergeButton->setDefault(true);
    cancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mergeButton);
    buttons->addWidget(cancelButton);
    auto* root = new QVBoxLayout(this);
    root->addWidget(titleLabel);
    root->addWidget(countsLabel);
    root->addWidget(changeList, 2);
    root->addWidget(conflictLabel);
    root->addWidget(conflictList, 1);
    root->addLayout(buttons);

    connect(mergeButton, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

std::optional<std::vector<diary::MergeChoice>> TSyncMergeForm::Ask(const QString& copyName,
                                                                   const diary::MergePlan& plan) {
    titleLabel->setText(
        plan.basePath.empty()
            ? QStringLiteral("Kopie „%1“ nemá s deníkem společnou zálohu: sloučí se jízdy "
                             "obou, každá jednou.")
                  .arg(copyName)
            : QStringLiteral("Kopie „%1“ a deník porovnané s poslední společnou zálohou:")
                  .arg(copyName));
    countsLabel->setText(QStringLiteral("Přibude: %1, změní se: %2, ubude: %3, sporné: %4.")
                             .arg(plan.added)
                             .arg(plan.changed)
                             .arg(plan.removed)
                             .arg(plan.conflicts.size()));
    changeList->clear();
    conflictList->clear();
    for (const diary::MergeItem& item : plan.items) {
        switch (item.kind) {
            case diary::MergeItem::Kind::Added:
                AddRide(changeList, QStringLiteral("přibude"), *item.copy);
                break;
            case diary::MergeItem::Kind::Changed:
                AddRide(changeList, QStringLiteral("změní se na"), *item.copy);
                AddRide(changeList, QStringLiteral("dosud"), *item.local);
                break;
            case diary::MergeItem::Kind::Removed:
                AddRide(changeList, QStringLiteral("ubude"), *item.local);
                break;
            case diary::MergeItem::Kind::Conflict:
                break;
        }
    }
    std::vector<QComboBox*> choices;
    for (const std::size_t k : plan.conflicts) {
        const diary::MergeItem& item = plan.items[k];
        auto* row = new QTreeWidgetItem(conflictList);
        row->setText(0, RideText(item.local));
        row->setText(1, RideText(item.copy));
        auto* choice = new QComboBox(conflictList);
        choice->setObjectName(QStringLiteral("Volba%1").arg(choices.size() + 1));
        choice->addItems(
            {QStringLiteral("obě"), QStringLiteral("z deníku"), QStringLiteral("z kopie")});
        conflictList->setItemWidget(row, 2, choice);
        choices.push_back(choice);
    }
    conflictLabel->setVisible(!choices.empty());
    conflictList->setVisible(!choices.empty());
    for (int c = 0; c < changeList->columnCount(); ++c) changeList->resizeColumnToContents(c);
    mergeButton->setFocus(Qt::OtherFocusReason);
    if (exec() != kResultOk) return std::nullopt;
    std::vector<diary::MergeChoice> chosen;
    for (const QComboBox* choice : choices)
        chosen.push_back(static_cast<diary::MergeChoice>(choice->currentIndex()));
    return chosen;
}
