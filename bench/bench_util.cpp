#include "bench_util.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <utility>

#include "generator.h"

namespace bench {

namespace {
struct Folder {
    std::string path;
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vamo-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};
}  // namespace

const std::string& RunFolder() {
    static Folder folder;
    return folder.path;
}

const std::string& DiaryPath(std::size_t rides, bool withBikes) {
    static std::map<std::pair<std::size_t, bool>, std::string> paths;
    auto it = paths.find({rides, withBikes});
    if (it == paths.end()) {
        const std::string path =
            RunFolder() + (withBikes ? "/bikes-" : "/rides-") + std::to_string(rides) + ".vam";
        WriteDiary(path, rides, 2001, withBikes);
        it = paths.emplace(std::make_pair(rides, withBikes), path).first;
    }
    return it->second;
}

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::size_t ReadAndSplit(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    std::string bytes;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    std::size_t fields = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const char* eol =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (eol == nullptr) eol = end;
        const char* q = p;
        while (q < eol) {
            const char* sep =
                static_cast<const char*>(std::memchr(q, '\xA7', static_cast<std::size_t>(eol - q)));
            if (sep == nullptr) break;
            ++fields;
            q = sep + 1;
        }
        p = eol + 1;
    }
    return fields;
}

void PlainAtomicWrite(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".floor-tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + temp);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("write failed");
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) throw std::runtime_error("fsync failed");
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) throw std::runtime_error("rename failed");
}

namespace {
std::size_t StatusKilobytes(const char* field) {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char buf[8192];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return 0;
    buf[n] = '\0';
    const char* line = std::strstr(buf, field);
    if (line == nullptr) return 0;
    line += std::strlen(field);
    while (*line == ' ' || *line == '\t' || *line == ':') ++line;
    std::size_t kb = 0;
    while (*line >= '0' && *line <= '9') kb = kb * 10 + static_cast<std::size_t>(*line++ - '0');
    return kb;
}
}  // namespace

std::size_t PeakBytesAddedBy(const std::function<void()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        // Freed heap the parent left resident would hide the child's growth.
        ::malloc_trim(0);
        const int clear = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
        if (clear >= 0) {
            (void)!::write(clear, "5", 1);
            ::close(clear);
        }
        const std::size_t before = StatusKilobytes("VmRSS");
        work();
        const std::size_t peak = std::max(StatusKilobytes("VmHWM"), StatusKilobytes("VmRSS"));
        const std::size_t added = peak > before ? (peak - before) * 1024 : 0;
        (void)!::write(fds[1], &added, sizeof added);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::size_t added = 0;
    if (pid > 0) {
        if (::read(fds[0], &added, sizeof added) != static_cast<ssize_t>(sizeof added)) added = 0;
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    ::close(fds[0]);
    return added;
}

}  // namespace bench
