#include "platform/platform.h"

#include <langinfo.h>
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

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

bool StartProgram(const std::string& path) {
    if (path.empty()) return false;
    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace platform
