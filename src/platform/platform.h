#pragma once
// What the operating system answers: the user's regional settings, where the program lives,
// and starting a program. No Qt here: the core's types in, plain strings out.

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

// Starts the program at `path` with no arguments and no shell in between. True when the new
// process was started; its outcome is not waited for.
bool StartProgram(const std::string& path);

}  // namespace platform
