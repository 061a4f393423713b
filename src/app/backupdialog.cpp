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

    titleLabel = new QLabel(this);
    titleLabel->setObjectName(QStringLiteral("Label1"));
    backupList = new QTreeWidget(this);
    backupList->setObjectName(QStringLiteral("Zalohy"));
    backupList->setHeaderLabels({QStringLiteral("Záloha z"), QStringLiteral("Jízd")});
    backupList->setRootIsDecorated(false);
    backupList->setUniformRowHeights(true);
    backupList->setAllColumnsShowFocus(true);
    backupList->header()->setStretchLastSection(false);
    backupList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    backupList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    backupList->setMinimumSize(320, 220);
    titleLabel->setBuddy(backupList);

    restoreButton = new QPushButton(icons::Ok(), QStringLiteral("&Obnovit"), this);
    restoreButton->setObjectName(QStringLiteral("ObnovitButton"));
    restoreButton->setDefault(true);
    cancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restoreButton);
    buttons->addWidget(cancelButton);
    auto* root = new QVBoxLayout(this);
    root->addWidget(titleLabel);
    root->addWidget(backupList);
    root->addLayout(buttons);

    connect(restoreButton, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(kResultCancel); });
    connect(backupList, &QTreeWidget::itemDoubleClicked, this, [this] { done(kResultOk); });
}

QString TBackupForm::BackupName(const diary::BackupEntry& backup) const {
    const QString date =
        DateText(regional_, QDate(backup.date.year, backup.date.month, backup.date.day));
    if (backup.sequence == 0) return date;
    return QStringLiteral("%1 (před %2. obnovením)").arg(date).arg(backup.sequence);
}

std::optional<diary::BackupEntry> TBackupForm::Choose(
    const QString& diaryName, const std::vector<diary::BackupEntry>& backups) {
    titleLabel->setText(QStringLiteral("&Zálohy deníku „%1“:").arg(diaryName));
    backupList->clear();
    for (const diary::BackupEntry& backup : backups) {
        auto* item = new QTreeWidgetItem(backupList);
        item->setText(0, BackupName(backup));
        item->setText(1,
                      backup.rides ? QString::number(*backup.rides) : QStringLiteral("nečitelná"));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    backupList->setCurrentItem(backupList->topLevelItem(0));
    backupList->setFocus(Qt::OtherFocusReason);
    restoreButton->setEnabled(!backups.empty());
    if (exec() != kResultOk) return std::nullopt;
    const int chosen = backupList->indexOfTopLevelItem(backupList->currentItem());
    if (chosen < 0) return std::nullopt;
    return backups[static_cast<std::size_t>(chosen)];
}
