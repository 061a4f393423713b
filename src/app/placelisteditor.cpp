#include "app/placelisteditor.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/firstfield.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/textcodec.h"
#include "diary/settings.h"
#include "platform/platform.h"

namespace {

void RestartProcess(const QString& exe) {
    platform::StartProgram(ToFsPath(exe));
    // Every record change is already on disk and the settings were just saved; the close
    // query of the main window must not run and write anything after the new instance started.
    std::_Exit(0);
}

QListWidget* MakeList(QWidget* parent, const char* name, const QStringList& items, int width) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    list->addItems(items);
    list->setFixedSize(width, 113);
    return list;
}

void Append(QListWidget* list, const QLineEdit* edit) { list->addItem(edit->text()); }

void DeleteSelected(QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) return;
    delete list->takeItem(list->row(selected.first()));
}

std::vector<std::string> ToCpList(const QListWidget* list) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i) out.push_back(ToCp(list->item(i)->text()));
    return out;
}

std::vector<std::string> ToCpList(const QStringList& places) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(places.size()));
    for (const QString& place : places) out.push_back(ToCp(place));
    return out;
}

}  // namespace

std::function<void(const QString& exe)> TZkratkyForm::restarter = RestartProcess;

TZkratkyForm::TZkratkyForm(const QStringList& od, const QStringList& kam, const QStringList& pres,
                           std::string settingsPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      settingsPath_(std::move(settingsPath)),
      opened_{ToCpList(od), ToCpList(kam), ToCpList(pres)} {
    setObjectName(QStringLiteral("ZkratkyForm"));
    setWindowTitle(QStringLiteral("Zkratky"));
    setModal(false);

    const int columnWidth = std::max(121, fontMetrics().averageCharWidth() * 20);

    auto* fromLabel = new QLabel(QStringLiteral("Odkud"), this);
    fromLabel->setObjectName(QStringLiteral("Label1"));
    auto* toLabel = new QLabel(QStringLiteral("Kam"), this);
    toLabel->setObjectName(QStringLiteral("Label2"));
    auto* viaLabel = new QLabel(QStringLiteral("Přes"), this);
    viaLabel->setObjectName(QStringLiteral("Label3"));

    fromEdit = new QLineEdit(this);
    fromEdit->setObjectName(QStringLiteral("Edit1"));
    toEdit = new QLineEdit(this);
    toEdit->setObjectName(QStringLiteral("Edit2"));
    viaEdit = new QLineEdit(this);
    viaEdit->setObjectName(QStringLiteral("Edit3"));
    for (QLineEdit* e : {fromEdit, toEdit, viaEdit}) {
        e->setFixedWidth(columnWidth);
        GuardCp1250(e);
    }
    fromLabel->setBuddy(fromEdit);
    toLabel->setBuddy(toEdit);
    viaLabel->setBuddy(viaEdit);

    fromList = MakeList(this, "List1", od, columnWidth);
    toList = MakeList(this, "List2", kam, columnWidth);
    viaList = MakeList(this, "List3", pres, columnWidth);

    addFromButton = MakeButton(this, "Button1", QStringLiteral("Přidat"), 75);
    deleteFromButton = MakeButton(this, "Button2", QStringLiteral("Smazat"), 75);
    addToButton = MakeButton(this, "Button3", QStringLiteral("Přidat"), 75);
    deleteToButton = MakeButton(this, "Button4", QStringLiteral("Smazat"), 75);
    addViaButton = MakeButton(this, "Button5", QStringLiteral("Přidat"), 75);
    deleteViaButton = MakeButton(this, "Button6", QStringLiteral("Smazat"), 75);

    okButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    cancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    // No default button: Enter in an edit must not save and restart.
    for (QPushButton* b : {okButton, cancelButton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(81);
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(7);
    grid->setVerticalSpacing(3);
    const struct {
        QLabel* label;
        QLineEdit* edit;
        QListWidget* list;
        QPushButton* add;
        QPushButton* remove;
    } columns[3] = {{fromLabel, fromEdit, fromList, addFromButton, deleteFromButton},
                    {toLabel, toEdit, toList, addToButton, deleteToButton},
                    {viaLabel, viaEdit, viaList, addViaButton, deleteViaButton}};
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(columns[c].label, 0, c);
        grid->addWidget(columns[c].edit, 1, c);
        grid->addWidget(columns[c].list, 2, c);
        grid->addWidget(columns[c].add, 3, c, Qt::AlignHCenter);
        grid->addWidget(columns[c].remove, 4, c, Qt::AlignHCenter);
    }
    grid->setRowMinimumHeight(3, 32);
    grid->setRowMinimumHeight(4, 32);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(22);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 12, 8, 12);
    root->setSpacing(20);
    root->addLayout(grid);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {fromList,    toList,         viaList,       fromEdit,
                        toEdit,      viaEdit,        addFromButton, deleteFromButton,
                        addToButton, deleteToButton, addViaButton,  deleteViaButton,
                        okButton,    cancelButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    // Each column's "Přidat" appends its edit's text, "Smazat" removes the selected place.
    connect(addFromButton, &QPushButton::clicked, this, [this] { Append(fromList, fromEdit); });
    connect(addToButton, &QPushButton::clicked, this, [this] { Append(toList, toEdit); });
    connect(addViaButton, &QPushButton::clicked, this, [this] { Append(viaList, viaEdit); });
    connect(deleteFromButton, &QPushButton::clicked, this, [this] { DeleteSelected(fromList); });
    connect(deleteToButton, &QPushButton::clicked, this, [this] { DeleteSelected(toList); });
    connect(deleteViaButton, &QPushButton::clicked, this, [this] { DeleteSelected(viaList); });
    // Enter in a column's edit adds the place as that column's "Přidat" does.
    connect(fromEdit, &QLineEdit::returnPressed, addFromButton, &QPushButton::click);
    connect(toEdit, &QLineEdit::returnPressed, addToButton, &QPushButton::click);
    connect(viaEdit, &QLineEdit::returnPressed, addViaButton, &QPushButton::click);
    connect(okButton, &QPushButton::clicked, this, &TZkratkyForm::SaveAndRestart);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

void TZkratkyForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FocusFirstField(fromEdit);
    }
    QDialog::showEvent(event);
}

void TZkratkyForm::SaveAndRestart() {
    diary::PlaceListsChange change;
    const bool saved = Guarded(this, [&] {
        change = diary::ReplacePlaceLists(
            settingsPath_, opened_, {ToCpList(fromList), ToCpList(toList), ToCpList(viaList)});
    });
    if (!saved) return;
    if (!change.applied) {
        // Another program saved its lists since this editor opened: they are shown instead of
        // being overwritten, and the user can make the change again on top of them.
        opened_ = change.lists;
        ShowLists(opened_);
        ShowError(this, QString::fromUtf8(change.Message()));
        return;
    }
    if (restarter) restarter(QCoreApplication::applicationFilePath());
}

void TZkratkyForm::Open(const diary::PlaceLists& lists) {
    if (!isVisible()) {
        opened_ = lists;
        ShowLists(opened_);
    }
    show();
    raise();
    activateWindow();
}

void TZkratkyForm::ShowLists(const diary::PlaceLists& lists) {
    const auto fill = [](QListWidget* list, const std::vector<std::string>& places) {
        list->clear();
        for (const std::string& place : places) list->addItem(FromCp(place));
    };
    fill(fromList, lists.from);
    fill(toList, lists.to);
    fill(viaList, lists.via);
}
