#pragma once
// What the operating system answers: the user's regional settings, where the program lives,
// where its settings go, and starting a program. No Qt here: the core's types in, plain strings
// out.

#include <string>

#include "diary/regional.h"

namespace platform {

// The short date format and the decimal separator of the current locale. Call after
// setlocale(LC_ALL, "") (QApplication does it); a locale that answers nothing usable gives
// the Czech defaults.
diary::RegionalSettings ReadRegionalSettings();

// The running executable's full path and its folder (file system bytes, no trailing slash);
// empty when the system cannot tell.
std::string ExecutablePath();
std::string ExecutableFolder();

// Where the settings file and the default diary belong. Beside the executable only in a
// portable copy: a vamo2001.ini is there already, or the executable is the one a build folder
// of this project made. Never in a system folder (/usr, /usr/local, /opt and below), whoever
// runs it: an installed program keeps nothing in its own folder, so removing the package
// leaves nothing behind and takes nothing of the user's. Otherwise the user's configuration
// folder, "vamo2001" under $XDG_CONFIG_HOME or under $HOME/.config; a relative
// XDG_CONFIG_HOME is not a configuration folder and is passed over. With neither, a portable
// executable's folder still answers; an empty answer means there is nowhere to keep settings.
struct SettingsPlaces {
    std::string exeFolder;
    bool settingsBesideExe = false;  // a vamo2001.ini is in exeFolder
    bool buildFolder = false;        // exeFolder is inside a build folder of this project
    std::string xdgConfigHome;       // empty when unset
    std::string home;                // empty when unset
};
std::string SettingsFolder(const SettingsPlaces& places);

// What this process sees: the executable's folder and what is in and above it, the two
// environment variables (the password database's home when HOME is unset).
SettingsPlaces CurrentSettingsPlaces();

// Creates `path` and every missing folder above it (mode 0700 for new ones: the diary is
// personal). True when it exists as a folder afterwards.
bool MakeFolders(const std::string& path);

// Starts the program at `path` with no arguments and no shell in between. True when the new
// process was started; its outcome is not waited for.
bool StartProgram(const std::string& path);

}  // namespace platform
