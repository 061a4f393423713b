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
