// Every save that cannot be made fails loudly with WriteError and leaves the folder exactly as
// it was: the old file byte for byte, no temporary file, nothing created but the lock file,
// which every change takes and nobody removes. The error carries the system's reason, each
// produced for real: a full or read-only file system where this test may mount one.

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/diary_file.h"
#include "diary/errors.h"
#include "diary/record.h"
#include "diary/settings.h"

namespace {

using diary::DiaryRecord;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

constexpr uid_t kNobody = 65534;
// Smaller than every file these tests write, so a save runs out of room part way through.
constexpr rlim_t kDiskRoom = 4096;

enum class Condition {
    ReadOnlyFile,
    ReadOnlyFolder,
    ReadOnlyFolderNoFile,
    MissingFolder,
    ParentIsFile,
    FullDisk,
    SymlinkLoop,
    FullFileSystem,
    ReadOnlyFileSystem,
};

// How each condition is reported, in its order: the error ('W' WriteError, 'R' ReadError for a
// file the change must read first) and the errno whose reason the window words.
const std::pair<char, int> kExpected[] = {{'W', EACCES}, {'W', EACCES},  {'W', EACCES},
                                          {'W', ENOENT}, {'W', ENOTDIR}, {'W', EFBIG},
                                          {'R', ELOOP},  {'W', ENOSPC},  {'W', EROFS}};

enum class Operation {
    AddRecord,
    EditRecord,
    DeleteRecord,
    SaveDiary,
    WriteLastDiary,
    WritePlaceLists
};

const char* Name(Condition c) {
    switch (c) {
        case Condition::ReadOnlyFile:
            return "ReadOnlyFile";
        case Condition::ReadOnlyFolder:
            return "ReadOnlyFolder";
        case Condition::ReadOnlyFolderNoFile:
            return "ReadOnlyFolderNoFile";
        case Condition::MissingFolder:
            return "MissingFolder";
        case Condition::ParentIsFile:
            return "ParentIsFile";
        case Condition::FullDisk:
            return "FullDisk";
        case Condition::SymlinkLoop:
            return "SymlinkLoop";
        case Condition::FullFileSystem:
            return "FullFileSystem";
        case Condition::ReadOnlyFileSystem:
            return "ReadOnlyFileSystem";
    }
    return "";
}

const char* Name(Operation o) {
    switch (o) {
        case Operation::AddRecord:
            return "AddRecord";
        case Operation::EditRecord:
            return "EditRecord";
        case Operation::DeleteRecord:
            return "DeleteRecord";
        case Operation::SaveDiary:
            return "SaveDiary";
        case Operation::WriteLastDiary:
            return "WriteLastDiary";
        case Operation::WritePlaceLists:
            return "WritePlaceLists";
    }
    return "";
}

bool IsSettingsOperation(Operation o) {
    return o == Operation::WriteLastDiary || o == Operation::WritePlaceLists;
}

DiaryRecord Ride(int n) {
    DiaryRecord r;
    r[diary::Field::Date] = std::to_string(n % 28 + 1) + ".5.2001";
    r[diary::Field::From] = "Doma";
    r[diary::Field::To] =
        "L\xB9"
        "ta";  // cp1250 bytes must survive untouched too
    r[diary::Field::DistanceKm] = std::to_string(20 + n);
    r[diary::Field::RideTime] = "1 h 45 min";
    r[diary::Field::Note] =
        "v\xEDtr od z\xE1padu, jízda " + std::to_string(n) + std::string(120, '.');
    return r;
}

std::string DiaryBytes() {
    std::string out = "; kept as it is\r\n[Data]\r\n";
    for (int n = 1; n <= 30; ++n) {
        out += std::to_string(n) + "=" + diary::FormatRecordLine(Ride(n)) + "\r\n";
    }
    return out;
}

std::vector<std::string> Places(const std::string& stem) {
    std::vector<std::string> places;
    for (int n = 1; n <= 150; ++n) places.push_back(stem + " " + std::to_string(n));
    return places;
}

std::string SettingsBytes() {
    std::string out = "[soubor]\r\nfile=/home/jezdec/vylety.vam\r\n";
    const char* sections[] = {"odkud", "kam", "pres"};
    for (const char* section : sections) {
        out += std::string("[") + section + "]\r\n";
        int n = 0;
        for (const std::string& place : Places(section))
            out += std::to_string(++n) + "=" + place + "\r\n";
    }
    return out;
}

void Perform(Operation op, const std::string& path) {
    switch (op) {
        case Operation::AddRecord:
            testsupport::WriteRide(path, "31", Ride(31));
            break;
        case Operation::EditRecord:
            testsupport::WriteRide(path, "1", Ride(31));
            break;
        case Operation::DeleteRecord:
            testsupport::DeleteRide(path, "1");
            break;
        case Operation::SaveDiary: {
            std::vector<DiaryRecord> reversed;
            for (int n = 31; n >= 1; --n) reversed.push_back(Ride(n));
            diary::SaveDiary(path, reversed);
            break;
        }
        case Operation::WriteLastDiary:
            diary::WriteLastDiary(path, "/home/jezdec/jine.vam");
            break;
        case Operation::WritePlaceLists:
            diary::WritePlaceLists(path, Places("Lhota"), Places("Ves"), Places("Les"));
            break;
    }
}

// Everything under a folder: each entry's kind, mode, owner and bytes.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    std::error_code ec;  // a loop of links cannot be followed, only listed
    for (std::filesystem::recursive_directory_iterator it(root, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto& entry = *it;
        const std::string name = entry.path().filename().string();
        if (name.front() == '.' && name.ends_with(".lock")) continue;
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string facts = std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + " ";
        if (S_ISREG(st.st_mode)) facts += ReadFileBytes(entry.path());
        entries[entry.path().lexically_relative(root).string()] = facts;
    }
    return entries;
}

// What an operation run in a child process came to.
struct Outcome {
    char kind = '?';   // 'W' Write-, 'R' ReadError, 'E' another, 'K' no error, 'S' no set-up
    std::string text;  // what(), or why the set-up failed
    std::string path;  // WriteError::path()
    int error = 0;     // the error's errno
};

// Runs the operation in a child, so that dropping privileges and limiting file sizes stay there.
Outcome RunInChild(Condition condition, Operation op, const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0) return {'S', "pipe failed", ""};
    const pid_t pid = ::fork();
    if (pid < 0) return {'S', "fork failed", ""};
    if (pid == 0) {
        ::close(fds[0]);
        std::string message;
        auto send = [&](const std::string& text) {
            std::size_t done = 0;
            while (done < text.size()) {
                const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
                if (n <= 0) _exit(3);
                done += static_cast<std::size_t>(n);
            }
            _exit(0);
        };
        const bool dropToNobody = (condition == Condition::ReadOnlyFolder ||
                                   condition == Condition::ReadOnlyFolderNoFile) &&
                                  ::geteuid() == 0;
        if (dropToNobody &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            send("Scannot drop root privileges");
        }
        if (condition == Condition::FullDisk) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{kDiskRoom, kDiskRoom};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) send("Scannot limit the file size");
        }
        try {
            Perform(op, path);
            message = "K";
        } catch (const diary::WriteError& e) {
            message = "W" + std::to_string(e.error()) + " " + e.what() + '\n' + e.path();
        } catch (const diary::ReadError& e) {
            message = "R" + std::to_string(e.error()) + " " + e.what() + '\n' + e.path();
        } catch (const std::exception& e) {
            message = std::string("E") + e.what();
        }
        send(message);
    }
    ::close(fds[1]);
    std::string reply;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        reply.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || reply.empty()) {
        return {'E', "child ended with status " + std::to_string(status), ""};
    }
    Outcome outcome;
    outcome.kind = reply[0];
    std::string rest = reply.substr(1);
    if (outcome.kind == 'W' || outcome.kind == 'R') {
        std::size_t digits = 0;
        outcome.error = std::stoi(rest, &digits);
        rest.erase(0, digits + 1);
    }
    const auto newline = rest.find('\n');
    outcome.text = rest.substr(0, newline);
    if (newline != std::string::npos) outcome.path = rest.substr(newline + 1);
    return outcome;
}

// Unmounts at the end of a test what it mounted.
struct Unmount {
    std::string folder;
    ~Unmount() { ::umount2(folder.c_str(), MNT_DETACH); }
};

class FailedSave : public testing::TestWithParam<std::tuple<Condition, Operation>> {};

TEST_P(FailedSave, IsWriteErrorAndChangesNothing) {
    const auto [condition, op] = GetParam();
    TempDir dir;
    // A child without root must be able to reach the folder.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string folder = dir.File("rides");
    const std::string name = IsSettingsOperation(op) ? "vamo2001.ini" : "diary.vam";
    const std::string original = IsSettingsOperation(op) ? SettingsBytes() : DiaryBytes();
    ASSERT_GT(original.size(), kDiskRoom);
    std::string path = folder + "/" + name;
    bool fileExists = true;
    std::optional<Unmount> unmount;

    switch (condition) {
        case Condition::ReadOnlyFile:
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            WriteFileBytes(path, original);
            ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
            break;
        case Condition::ReadOnlyFolder:
        case Condition::ReadOnlyFolderNoFile:
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            if (condition == Condition::ReadOnlyFolder) {
                WriteFileBytes(path, original);
            } else {
                fileExists = false;
            }
            if (::geteuid() == 0) {
                // The folder stays root's; the file, when there is one, is the child's own.
                if (fileExists) {
                    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
                }
            } else {
                ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
            }
            break;
        case Condition::MissingFolder:
            path = dir.File("missing") + "/" + name;
            fileExists = false;
            break;
        case Condition::ParentIsFile:
            WriteFileBytes(folder, original);
            fileExists = false;
            break;
        case Condition::FullDisk:
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            WriteFileBytes(path, original);
            break;
        case Condition::SymlinkLoop:
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            ASSERT_EQ(::symlink(name.c_str(), path.c_str()), 0);
            fileExists = false;
            break;
        case Condition::FullFileSystem:
        case Condition::ReadOnlyFileSystem:
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
                GTEST_SKIP() << "no tmpfs can be mounted here";
            unmount.emplace(folder);
            WriteFileBytes(path, original);
            if (condition == Condition::FullFileSystem)
                std::ofstream(folder + "/filler") << std::string(64 << 10, 'x');  // what is left
            else
                ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, 0), 0);
            break;
    }

    const auto before = Snapshot(dir.path());
    const Outcome outcome = RunInChild(condition, op, path);
    if (outcome.kind == 'S') GTEST_SKIP() << outcome.text;

    const auto [kind, error] = kExpected[static_cast<int>(condition)];
    if ((op == Operation::DeleteRecord || op == Operation::EditRecord) && !fileExists &&
        kind == 'W') {
        // No diary, no record 1: there is nothing to delete and so nothing to save.
        EXPECT_TRUE(outcome.kind == 'K' || outcome.kind == 'W') << outcome.kind << outcome.text;
    } else {
        EXPECT_EQ(outcome.kind, kind) << outcome.text;
        EXPECT_EQ(outcome.path, path);
    }
    if (outcome.kind == 'W') {
        EXPECT_EQ(outcome.text, "Unable to write to " + path);
    }
    if (outcome.kind == kind) {
        EXPECT_EQ(outcome.error, error) << std::strerror(outcome.error);
    }
    EXPECT_EQ(Snapshot(dir.path()), before) << "the failed save changed the folder";
}

INSTANTIATE_TEST_SUITE_P(
    EveryWriter, FailedSave,
    testing::Combine(testing::Values(Condition::ReadOnlyFile, Condition::ReadOnlyFolder,
                                     Condition::ReadOnlyFolderNoFile, Condition::MissingFolder,
                                     Condition::ParentIsFile, Condition::FullDisk,
                                     Condition::SymlinkLoop, Condition::FullFileSystem,
                                     Condition::ReadOnlyFileSystem),
                     testing::Values(Operation::AddRecord, Operation::EditRecord,
                                     Operation::DeleteRecord, Operation::SaveDiary,
                                     Operation::WriteLastDiary, Operation::WritePlaceLists)),
    [](const testing::TestParamInfo<std::tuple<Condition, Operation>>& info) {
        return std::string(Name(std::get<0>(info.param))) + "_" + Name(std::get<1>(info.param));
    });

// After a save failed, the same call succeeds once the obstacle is gone: the failure left
// nothing behind that the next attempt trips over.
TEST(FailedSave, NextSaveSucceedsOnceThereIsRoomAgain) {
    TempDir dir;
    const std::string path = dir.File("diary.vam");
    WriteFileBytes(path, DiaryBytes());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Outcome outcome = RunInChild(Condition::FullDisk, Operation::AddRecord, path);
        ASSERT_EQ(outcome.kind, 'W') << outcome.text;
    }
    EXPECT_EQ(ReadFileBytes(path), DiaryBytes());
    testsupport::WriteRide(path, "31", Ride(31));
    const std::vector<DiaryRecord> read = diary::ReadDiary(path);
    ASSERT_EQ(read.size(), 31u);
    EXPECT_EQ(read[30].fields, Ride(31).fields);
    EXPECT_EQ(Snapshot(dir.path()).size(), 1u);
}

}  // namespace
