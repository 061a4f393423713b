#include "app/backupdialog.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/datepicker.h"
#include "app/icons.h"
#include "app/msgbox.h"

TBackupForm::TBackupForm(const diary::RegionalSettings& regional, QWidget* parent)
    : QDialog(parent), regional_(regional) {
    setObjectName(QStringLiteral("BackupForm"));
    setWindowTitle(QStringLiteral("Obnovit ze zálohy"));
    setModal(true);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Zalohy = new QTreeWidget(this);
    Zalohy->setObjectName(QStringLiteral("Zalohy"));
    Zalohy->setHeaderLabels({QStringLiteral("Záloha z"), QStringLiteral("Jízd")});
    Zalohy->setRootIsDecorated(false);
    Zalohy->setUniformRowHeights(true);
    Zalohy->setAllColumnsShowFocus(true);
    Zalohy->header()->setStretchLastSection(false);
    Zalohy->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    Zalohy->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    Zalohy->setMinimumSize(320, 220);
    Label1->setBuddy(Zalohy);

    ObnovitButton = new QPushButton(icons::Ok(), QStringLiteral("&Obnovit"), this);
    ObnovitButton->setObjectName(QStringLiteral("ObnovitButton"));
    ObnovitButton->setDefault(true);
    CancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ObnovitButton);
    buttons->addWidget(CancelButton);
    auto* root = new QVBoxLayout(this);
    root->addWidget(Label1);
    root->addWidget(Zalohy);
    root->addLayout(buttons);

    connect(ObnovitButton, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(kResultCancel); });
    connect(Zalohy, &QTreeWidget::itemDoubleClicked, this, [this] { done(kResultOk); });
}

QString TBackupForm::BackupName(const diary::BackupEntry& backup) const {
    const QString date =
        DateText(regional_, QDate(backup.date.year, backup.date.month, backup.date.day));
    if (backup.sequence == 0) return date;
    return QStringLiteral("%1 (před %2. obnovením)").arg(date).arg(backup.sequence);
}

std::optional<diary::BackupEntry> TBackupForm::Choose(
    const QString& diaryName, const std::vector<diary::BackupEntry>& backups) {
    Label1->setText(QStringLiteral("&Zálohy deníku „%1“:").arg(diaryName));
    Zalohy->clear();
    for (const diary::BackupEntry& backup : backups) {
        auto* item = new QTreeWidgetItem(Zalohy);
        item->setText(0, BackupName(backup));
        item->setText(1,
                      backup.rides ? QString::number(*backup.rides) : QStringLiteral("nečitelná"));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    Zalohy->setCurrentItem(Zalohy->topLevelItem(0));
    Zalohy->setFocus(Qt::OtherFocusReason);
    ObnovitButton->setEnabled(!backups.empty());
    if (exec() != kResultOk) return std::nullopt;
    const int chosen = Zalohy->indexOfTopLevelItem(Zalohy->currentItem());
    if (chosen < 0) return std::nullopt;
    return backups[static_cast<std::size_t>(chosen)];
}
