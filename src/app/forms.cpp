#include "forms.h"

#include "Add.h"
#include "about.h"
#include "diary/settings.h"
#include "platform/platform.h"
#include "textcodec.h"
#include "vamo.h"

AppContext& App() {
    static AppContext context;
    return context;
}

QString DefaultSettingsFolder() { return FromFsPath(platform::ExecutableFolder()); }

std::string SettingsFile() { return diary::SettingsPath(ToFsPath(App().settingsFolder)); }

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
}

void DestroyForms() {
    AppContext& app = App();
    delete app.about;
    app.about = nullptr;
    delete app.add;
    app.add = nullptr;
    app.currentDiaryPath = nullptr;
    app.seznam = nullptr;
    app.mainWidget = nullptr;
    delete app.main;
    app.main = nullptr;
}
