// The lock every change takes: a second program waits for it, gives up with a Czech message
// after the timeout having changed nothing, and gets it as soon as the holder ends, even when
// the holder was killed.

#include "diary/file_lock.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "TempDir.h"
#include "TestText.h"
#include "diary/bikes.h"
#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/errors.h"
#include "diary/settings.h"

namespace {

using namespace std::chrono_literals;
using diary::DiaryRecord;
using diary::LockedFile;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using Clock = std::chrono::steady_clock;

constexpr uid_t kNobody = 65534;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

DiaryRecord Ride(const std::string& note) {
    DiaryRecord r;
    r[diary::Field::Date] = "12.5.2001";
    r[diary::Field::Note] = note;
    return r;
}

// Another program holding the lock of `path`: a child process that takes it, says so, and keeps
// it until it is killed or `holdFor` has passed.
class Holder {
public:
    Holder(const std::string& path, LockedFile what, std::chrono::milliseconds holdFor = 1h) {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const diary::FileLock lock(path, what);
            if (::write(fds[1], "x", 1) != 1) _exit(2);
            std::this_thread::sleep_for(holdFor);
            _exit(0);
        }
        ::close(fds[1]);
        char c;
        const bool held = ::read(fds[0], &c, 1) == 1;
        ::close(fds[0]);
        if (!held) throw std::runtime_error("the holder did not get the lock");
    }
    ~Holder() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        Reap();
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    void Kill() {
        ::kill(pid_, SIGKILL);
        Reap();
    }

private:
    void Reap() {
        if (pid_ <= 0) return;
        int status;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
};

struct NameCase {
    const char* name;
    std::string file;      // the diary's name in the folder
    std::string lockName;  // its lock file's name
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class LockFileName : public testing::TestWithParam<NameCase> {};

TEST_P(LockFileName, IsHiddenBesideTheFileAndALegalName) {
    TempDir dir;
    EXPECT_EQ(diary::LockFilePath(dir.File(GetParam().file)), dir.File(GetParam().lockName));
}

// "jízda" `times` times and then `tail`: six bytes each in UTF-8, 'í' being two.
std::string Long(int times, const std::string& tail) {
    std::string name;
    for (int i = 0; i < times; ++i)
        name +=
            "j\xC3\xAD"
            "zda";
    return name + tail;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LockFileName,
    testing::Values(
        NameCase{"Plain", "rides.vam", ".rides.vam.lock"},
        NameCase{"Hidden", ".rides.vam", "..rides.vam.lock"},
        NameCase{"LongestKeptWhole", std::string(249, 'a'), "." + std::string(249, 'a') + ".lock"},
        NameCase{"TooLongIsCut", std::string(255, 'a'), "." + std::string(249, 'a') + ".lock"},
        // 249 bytes would end between the two bytes of the 42nd 'í'.
        NameCase{"CutAtCharacterBoundary", "a" + Long(50, ".vam"), ".a" + Long(41, "j") + ".lock"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

TEST(LockFileName, FollowsLinksToTheFileSaved) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    WriteFileBytes(dir.File("real/rides.vam"), "");
    std::filesystem::create_symlink("real/rides.vam", dir.File("link.vam"));
    std::filesystem::create_directory_symlink("real", dir.File("folder"));
    const std::string lock = diary::LockFilePath(dir.File("real/rides.vam"));
    EXPECT_EQ(diary::LockFilePath(dir.File("link.vam")), lock);
    EXPECT_EQ(diary::LockFilePath(dir.File("folder/rides.vam")), lock);
}

// ---------------------------------------------------------------------------------------------

// A change made while another program holds the lock of the diary or of the settings file.
struct LockedChange {
    const char* name;
    LockedFile held;
    std::function<void(const std::string& diary, const std::string& ini)> change;
};

void PrintTo(const LockedChange& c, std::ostream* os) { *os << c.name; }

class WhileAnotherHoldsTheLock : public testing::TestWithParam<LockedChange> {};

TEST_P(WhileAnotherHoldsTheLock, ChangeGivesUpAfterTimeoutAndChangesNothing) {
    const LockedChange& c = GetParam();
    TempDir dir;
    const std::string diaryPath = dir.File("rides.vam");
    const std::string ini = diary::SettingsPath(dir.path());
    diary::SaveDiary(diaryPath, std::vector<DiaryRecord>{Ride("a"), Ride("b")});
    diary::WritePlaceLists(ini, {"Doma"}, {"Lhota"}, {});
    const std::string diaryBefore = ReadFileBytes(diaryPath);
    const std::string iniBefore = ReadFileBytes(ini);
    const std::string held = c.held == LockedFile::Diary ? diaryPath : ini;

    const Holder holder(held, c.held);
    const auto start = Clock::now();
    try {
        c.change(diaryPath, ini);
        ADD_FAILURE() << "the change went through a held lock";
    } catch (const diary::BusyError& e) {
        const std::string subject = c.held == LockedFile::Diary ? "Deník " : "Soubor nastavení ";
        EXPECT_EQ(std::string(e.what()),
                  subject + held +
                      " právě používá jiný program. Nic nebylo změněno; zkuste to prosím za "
                      "chvíli znovu.");
        EXPECT_EQ(e.path(), held);
    }
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 0.3);
    EXPECT_LT(waited, 3.0);
    EXPECT_EQ(ReadFileBytes(diaryPath), diaryBefore);
    EXPECT_EQ(ReadFileBytes(ini), iniBefore);
}

const auto kWait = 300ms;

INSTANTIATE_TEST_SUITE_P(
    Table, WhileAnotherHoldsTheLock,
    testing::Values(LockedChange{"Lock", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     diary::FileLock(d, LockedFile::Diary, kWait);
                                 }},
                    LockedChange{"AddRecord", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     (void)diary::AddRecord(d, Ride("c"), kWait);
                                 }},
                    LockedChange{"ReplacePlaceLists", LockedFile::Settings,
                                 [](const std::string&, const std::string& ini) {
                                     (void)diary::ReplacePlaceLists(ini, diary::ReadPlaceLists(ini),
                                                                    {{"X"}, {}, {}}, kWait);
                                 }},
                    LockedChange{"RenameBikeInDiary", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     (void)diary::RenameBikeInDiary(d, "A", "B", {}, kWait);
                                 }}),
    [](const testing::TestParamInfo<LockedChange>& info) { return std::string(info.param.name); });

// The writers without a timeout of their own wait the default one, and go ahead as soon as the
// holder lets go.
class EveryWriter : public testing::TestWithParam<LockedChange> {};

TEST_P(EveryWriter, WaitsForTheHolderToFinish) {
    TempDir dir;
    const std::string diaryPath = dir.File("rides.vam");
    const std::string ini = diary::SettingsPath(dir.path());
    diary::SaveDiary(diaryPath, std::vector<DiaryRecord>{Ride("a"), Ride("b")});
    const Holder holder(GetParam().held == LockedFile::Diary ? diaryPath : ini, GetParam().held,
                        400ms);
    const auto start = Clock::now();
    GetParam().change(diaryPath, ini);
    EXPECT_GE(SecondsSince(start), 0.2) << "wrote while the lock was held";
}

INSTANTIATE_TEST_SUITE_P(
    Table, EveryWriter,
    testing::Values(LockedChange{"AddRecord", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     testsupport::WriteRide(d, "3", Ride("c"));
                                 }},
                    LockedChange{"DeleteRecord", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     testsupport::DeleteRide(d, "1");
                                 }},
                    LockedChange{"SaveDiary", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     diary::SaveDiary(d, std::vector<DiaryRecord>{});
                                 }},
                    LockedChange{"WriteLastDiary", LockedFile::Settings,
                                 [](const std::string& d, const std::string& ini) {
                                     diary::WriteLastDiary(ini, d);
                                 }},
                    LockedChange{"WritePlaceLists", LockedFile::Settings,
                                 [](const std::string&, const std::string& ini) {
                                     diary::WritePlaceLists(ini, {"A"}, {}, {});
                                 }},
                    LockedChange{"RemoveBikeFromDiary", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     (void)diary::RemoveBikeFromDiary(d, "A");
                                 }},
                    LockedChange{"WriteBikes", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     diary::WriteBikes(d, {{"A"}, {}});
                                 }},
                    LockedChange{"AddBikes", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     (void)diary::AddBikes(d, {"A"});
                                 }},
                    LockedChange{"ChangeServicePart", LockedFile::Diary,
                                 [](const std::string& d, const std::string&) {
                                     (void)diary::ChangeServicePart(
                                         d, std::nullopt,
                                         diary::ServicePart{"A", "x", {2024, 1, 1}, 1});
                                 }}),
    [](const testing::TestParamInfo<LockedChange>& info) { return std::string(info.param.name); });

TEST(KilledHolder, LetsGoOfTheLockAtOnce) {
    TempDir dir;
    const std::string path = dir.File("rides.vam");
    Holder holder(path, LockedFile::Diary);
    EXPECT_THROW(diary::FileLock(path, LockedFile::Diary, 50ms), diary::BusyError);
    holder.Kill();
    const auto start = Clock::now();
    const diary::FileLock lock(path, LockedFile::Diary, 2s);
    EXPECT_TRUE(lock.held());
    EXPECT_LT(SecondsSince(start), 0.5);
}

// ---------------------------------------------------------------------------------------------
// A folder that we may not write to: no lock file can be made there, and no save can land.

// Runs `work` as another user than the folder's owner (as root: nobody; otherwise with the
// folder made read-only) and returns what it threw: 'W' WriteError, 'B' BusyError, 'K' nothing.
char AsOtherUser(const std::string& folder, const std::function<void()>& work) {
    if (::geteuid() != 0) ::chmod(folder.c_str(), 0555);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            _exit('S');
        }
        try {
            work();
        } catch (const diary::WriteError&) {
            _exit('W');
        } catch (const diary::BusyError&) {
            _exit('B');
        } catch (...) {
            _exit('E');
        }
        _exit('K');
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::chmod(folder.c_str(), 0755);
    return WIFEXITED(status) ? static_cast<char>(WEXITSTATUS(status)) : '?';
}

TEST(ReadOnlyFolder, ChangeIsWriteErrorAndLeavesNoLockFile) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string path = dir.File("rides.vam");
    WriteFileBytes(path, "[Data]\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const char outcome = AsOtherUser(dir.path(), [&] { (void)diary::AddRecord(path, Ride("a")); });
    if (outcome == 'S') GTEST_SKIP() << "cannot change user";
    EXPECT_EQ(outcome, 'W');
    EXPECT_FALSE(testsupport::FileExists(diary::LockFilePath(path)));
    EXPECT_EQ(ReadFileBytes(path), "[Data]\r\n");
}

TEST(ReadOnlyFolder, ExistingLockFileStillExcludes) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string path = dir.File("rides.vam");
    const Holder holder(path, LockedFile::Diary);
    const char outcome = AsOtherUser(
        dir.path(), [&] { const diary::FileLock lock(path, LockedFile::Diary, 100ms); });
    if (outcome == 'S') GTEST_SKIP() << "cannot change user";
    EXPECT_EQ(outcome, 'B');
}

TEST(LockFile, ThatIsNoRegularFileIsWriteError) {
    TempDir dir;
    const std::string path = dir.File("rides.vam");
    ASSERT_EQ(::mkfifo(diary::LockFilePath(path).c_str(), 0644), 0);
    EXPECT_THROW(diary::FileLock(path, LockedFile::Diary, 100ms), diary::WriteError);
    ASSERT_EQ(::unlink(diary::LockFilePath(path).c_str()), 0);
    std::filesystem::create_symlink(dir.File("elsewhere"), diary::LockFilePath(path));
    EXPECT_THROW(diary::FileLock(path, LockedFile::Diary, 100ms), diary::WriteError);
    EXPECT_FALSE(testsupport::FileExists(dir.File("elsewhere")));
}

}  // namespace
