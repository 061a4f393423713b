#pragma once
// The program's windows and the few things they share. Every window is created once at start,
// in a fixed order, and lives for the whole run; they find each other through App().

#include <QString>
#include <functional>
#include <string>

#include "diary/regional.h"

class QWidget;
class RecordModel;
class TMainForm;
class TAddForm;
class TAboutBox;
class TFindForm;
class TZkratkyForm;
class TCasForm;
class TCalendarForm;
class TStatForm;
class TInfoForm;

struct AppContext {
    // Filled in creation order: main, add, about, find, zkratky, cas, calendar, stat, info.
    TMainForm* main = nullptr;
    TAddForm* add = nullptr;
    TAboutBox* about = nullptr;
    TFindForm* find = nullptr;
    TZkratkyForm* zkratky = nullptr;
    TCasForm* cas = nullptr;
    TCalendarForm* calendar = nullptr;
    TStatForm* stat = nullptr;
    TInfoForm* info = nullptr;

    // The main window as a plain widget (to disable it around modal dialogs) and its list.
    QWidget* mainWidget = nullptr;
    RecordModel* seznam = nullptr;

    // CurrentDiaryPath: the open diary as a file system path.
    std::function<QString()> currentDiaryPath;

    // The user's regional settings (short date format, decimal separator).
    diary::RegionalSettings regional;

    // Where the settings file and the default diary live.
    QString settingsFolder;
};

AppContext& App();

// Creates the windows in their order (main, entry dialog, then the rest), runs the start-up
// load once the entry dialog exists, and fills App(). App().settingsFolder and App().regional
// are kept when already set, so a test can point them elsewhere first.
void CreateForms();
// Deletes every window CreateForms made, in reverse order, and clears their App() pointers.
void DestroyForms();

// The folder of the settings file and of the default diary when nobody chose one.
QString DefaultSettingsFolder();
// The settings file as a file system path for the core.
std::string SettingsFile();
