#include "platform/platform.h"

#include <langinfo.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace platform {

diary::RegionalSettings ReadRegionalSettings() {
    diary::RegionalSettings regional;
    // The C and POSIX locales answer "%m/%d/%y" and "."; those are real settings too, so only
    // an empty answer falls back to the defaults.
    if (const char* format = nl_langinfo(D_FMT); format != nullptr && *format != '\0') {
        regional.dateFormat = format;
    }
    if (const char* radix = nl_langinfo(RADIXCHAR); radix != nullptr && *radix != '\0') {
        regional.decimalSeparator = radix;
    }
    // An empty answer is a real one here: the C locale groups no digits.
    if (const char* group = nl_langinfo(THOUSEP); group != nullptr) {
        regional.thousandsSeparator = group;
    }
    return regional;
}

std::string ExecutablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string SettingsFolder(const SettingsPlaces& places) {
    if (places.exeFolderWritable && !places.exeFolder.empty()) return places.exeFolder;
    std::string base;
    if (!places.xdgConfigHome.empty() && places.xdgConfigHome.front() == '/') {
        base = places.xdgConfigHome;
    } else if (!places.home.empty()) {
        base = places.home;
        if (base.back() != '/') base += '/';
        base += ".config";
    } else {
        return places.exeFolder;
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base != "/") base += '/';
    return base + "vamo2001";
}

SettingsPlaces CurrentSettingsPlaces() {
    SettingsPlaces places;
    places.exeFolder = ExecutableFolder();
    places.exeFolderWritable =
        !places.exeFolder.empty() && access(places.exeFolder.c_str(), W_OK | X_OK) == 0;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) places.xdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME")) places.home = home;
    return places;
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) break;
    }
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool StartProgram(const std::string& path) {
    if (path.empty()) return false;
    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace platform
