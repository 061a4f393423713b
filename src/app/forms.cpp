#include "forms.h"

#include <QComboBox>

#include "Add.h"
#include "Info.h"
#include "Statistic.h"
#include "Unit5.h"
#include "about.h"
#include "cas.h"
#include "diary/settings.h"
#include "platform/platform.h"
#include "skratky.h"
#include "textcodec.h"
#include "vamo.h"
#include "vyh.h"

AppContext& App() {
    static AppContext context;
    return context;
}

QString DefaultSettingsFolder() {
    const std::string folder = platform::SettingsFolder(platform::CurrentSettingsPlaces());
    // The configuration folder may not exist yet; the first write of settings or diary needs
    // it. If it cannot be made, that write reports the path.
    platform::MakeFolders(folder);
    return FromFsPath(folder);
}

std::string SettingsFile() { return diary::SettingsPath(ToFsPath(App().settingsFolder)); }

namespace {
QStringList ComboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
}

template <typename T>
void DeleteForm(T*& form) {
    delete form;
    form = nullptr;
}
}  // namespace

void CreateForms() {
    AppContext& app = App();
    if (app.settingsFolder.isEmpty()) app.settingsFolder = DefaultSettingsFolder();

    app.main = new TMainForm;
    app.mainWidget = app.main;
    app.seznam = app.main->model();
    app.currentDiaryPath = [] { return App().main->CurrentDiaryPath(); };

    app.add = new TAddForm;
    // The start-up load fills the entry dialog's place lists, so it runs once that exists and
    // before any window that copies them.
    app.main->FormCreate();

    app.about = new TAboutBox;
    app.find = new TFindForm;
    // The editor starts from the lists the start-up load gave the entry dialog.
    app.zkratky = new TZkratkyForm(ComboItems(app.add->od), ComboItems(app.add->kam),
                                   ComboItems(app.add->pres));
    app.cas = new TCasForm;
    app.calendar = new TCalendarForm;
    app.stat = new TStatForm;
    app.info = new TInfoForm;
}

void DestroyForms() {
    AppContext& app = App();
    DeleteForm(app.info);
    DeleteForm(app.stat);
    DeleteForm(app.calendar);
    DeleteForm(app.cas);
    DeleteForm(app.zkratky);
    DeleteForm(app.find);
    DeleteForm(app.about);
    DeleteForm(app.add);
    app.currentDiaryPath = nullptr;
    app.seznam = nullptr;
    app.mainWidget = nullptr;
    delete app.main;
    app.main = nullptr;
}
