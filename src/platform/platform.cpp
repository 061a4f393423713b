#include "platform/platform.h"

#include <langinfo.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
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

namespace {

bool IsSystemFolder(const std::string& folder) {
    for (const char* system : {"/usr", "/opt"}) {
        const std::string prefix = system;
        if (folder == prefix || folder.starts_with(prefix + '/')) return true;
    }
    return false;
}

// The program's build puts it at <build>/src/app/vamo2001, and CMake leaves its cache in
// <build> naming the project.
bool IsBuildFolder(const std::string& exeFolder) {
    const std::string tail = "/src/app";
    if (!exeFolder.ends_with(tail)) return false;
    const std::string cache =
        exeFolder.substr(0, exeFolder.size() - tail.size()) + "/CMakeCache.txt";
    std::ifstream in(cache);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "CMAKE_PROJECT_NAME:STATIC=vamo2001") return true;
    }
    return false;
}

}  // namespace

std::string SettingsFolder(const SettingsPlaces& places) {
    const bool portable = !places.exeFolder.empty() && !IsSystemFolder(places.exeFolder) &&
                          (places.settingsBesideExe || places.buildFolder);
    if (portable) return places.exeFolder;
    std::string base;
    if (!places.xdgConfigHome.empty() && places.xdgConfigHome.front() == '/') {
        base = places.xdgConfigHome;
    } else if (!places.home.empty()) {
        base = places.home;
        if (base.back() != '/') base += '/';
        base += ".config";
    } else {
        return IsSystemFolder(places.exeFolder) ? std::string() : places.exeFolder;
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base != "/") base += '/';
    return base + "vamo2001";
}

SettingsPlaces CurrentSettingsPlaces() {
    SettingsPlaces places;
    places.exeFolder = ExecutableFolder();
    if (!places.exeFolder.empty()) {
        places.settingsBesideExe = access((places.exeFolder + "/vamo2001.ini").c_str(), F_OK) == 0;
        places.buildFolder = IsBuildFolder(places.exeFolder);
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) places.xdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME")) {
        places.home = home;
    } else if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir) {
        places.home = user->pw_dir;
    }
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
