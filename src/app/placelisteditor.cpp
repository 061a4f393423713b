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

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(75);
    return button;
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

    auto* Label1 = new QLabel(QStringLiteral("Odkud"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* Label2 = new QLabel(QStringLiteral("Kam"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* Label3 = new QLabel(QStringLiteral("Přes"), this);
    Label3->setObjectName(QStringLiteral("Label3"));

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    for (QLineEdit* e : {Edit1, Edit2, Edit3}) {
        e->setFixedWidth(columnWidth);
        GuardCp1250(e);
    }
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Label3->setBuddy(Edit3);

    List1 = MakeList(this, "List1", od, columnWidth);
    List2 = MakeList(this, "List2", kam, columnWidth);
    List3 = MakeList(this, "List3", pres, columnWidth);

    Button1 = MakeButton(this, "Button1", QStringLiteral("Přidat"));
    Button2 = MakeButton(this, "Button2", QStringLiteral("Smazat"));
    Button3 = MakeButton(this, "Button3", QStringLiteral("Přidat"));
    Button4 = MakeButton(this, "Button4", QStringLiteral("Smazat"));
    Button5 = MakeButton(this, "Button5", QStringLiteral("Přidat"));
    Button6 = MakeButton(this, "Button6", QStringLiteral("Smazat"));

    OKButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(icons::Cancel(), QStringLiteral("Storno"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    // No default button: Enter in an edit must not save and restart.
    for (QPushButton* b : {OKButton, CancelButton}) {
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
    } columns[3] = {{Label1, Edit1, List1, Button1, Button2},
                    {Label2, Edit2, List2, Button3, Button4},
                    {Label3, Edit3, List3, Button5, Button6}};
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
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 12, 8, 12);
    root->setSpacing(20);
    root->addLayout(grid);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {List1,   List2,   List3,   Edit1,   Edit2,   Edit3,    Button1,
                        Button2, Button3, Button4, Button5, Button6, OKButton, CancelButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    // Each column's "Přidat" appends its edit's text, "Smazat" removes the selected place.
    connect(Button1, &QPushButton::clicked, this, [this] { Append(List1, Edit1); });
    connect(Button3, &QPushButton::clicked, this, [this] { Append(List2, Edit2); });
    connect(Button5, &QPushButton::clicked, this, [this] { Append(List3, Edit3); });
    connect(Button2, &QPushButton::clicked, this, [this] { DeleteSelected(List1); });
    connect(Button4, &QPushButton::clicked, this, [this] { DeleteSelected(List2); });
    connect(Button6, &QPushButton::clicked, this, [this] { DeleteSelected(List3); });
    // Enter in a column's edit adds the place as that column's "Přidat" does.
    connect(Edit1, &QLineEdit::returnPressed, Button1, &QPushButton::click);
    connect(Edit2, &QLineEdit::returnPressed, Button3, &QPushButton::click);
    connect(Edit3, &QLineEdit::returnPressed, Button5, &QPushButton::click);
    connect(OKButton, &QPushButton::clicked, this, &TZkratkyForm::SaveAndRestart);
    connect(CancelButton, &QPushButton::clicked, this, &QWidget::close);
}

void TZkratkyForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FocusFirstField(Edit1);
    }
    QDialog::showEvent(event);
}

void TZkratkyForm::SaveAndRestart() {
    diary::PlaceListsChange change;
    const bool saved = Guarded(this, [&] {
        change = diary::ReplacePlaceLists(settingsPath_, opened_,
                                          {ToCpList(List1), ToCpList(List2), ToCpList(List3)});
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
    fill(List1, lists.from);
    fill(List2, lists.to);
    fill(List3, lists.via);
}
