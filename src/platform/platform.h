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

// Where the settings file and the default diary belong: beside the executable while its folder
// can be written to (a copy unpacked anywhere keeps everything in one place), else the user's
// configuration folder, "vamo2001" under $XDG_CONFIG_HOME or under $HOME/.config. A relative
// XDG_CONFIG_HOME is not a configuration folder and is passed over. With nowhere better
// known (no writable executable folder and no home), the executable's folder still answers,
// so the program runs and its writes report what went wrong.
struct SettingsPlaces {
    std::string exeFolder;
    bool exeFolderWritable = false;
    std::string xdgConfigHome;  // empty when unset
    std::string home;           // empty when unset
};
std::string SettingsFolder(const SettingsPlaces& places);

// What this process sees: the executable's folder, whether this user may create files in it,
// and the two environment variables.
SettingsPlaces CurrentSettingsPlaces();

// Creates `path` and every missing folder above it (mode 0700 for new ones: the diary is
// personal). True when it exists as a folder afterwards.
bool MakeFolders(const std::string& path);

// Starts the program at `path` with no arguments and no shell in between. True when the new
// process was started; its outcome is not waited for.
bool StartProgram(const std::string& path);

}  // namespace platform
