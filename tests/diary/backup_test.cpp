#include "diary/backup.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/atomic_file.h"
#include "diary/errors.h"
#include "diary/file_lock.h"

namespace {

using diary::BackupEntry;
using diary::BackupResult;
using diary::Date;
using testsupport::FolderNames;
using testsupport::L;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

std::string Diary(int rides) {
    std::string bytes = "[Data]\r\n";
    for (int i = 1; i <= rides; ++i)
        bytes += std::to_string(i) + "=" +
                 L("1.5.2001§A§B§§1§2§1§§§§ride " + std::to_string(i) + "§") + "\r\n";
    return bytes;
}

Date Day(int day) { return Date{2026, 1 + (day - 1) / 28, 1 + (day - 1) % 28}; }

std::vector<std::string> Bytes(const std::vector<BackupEntry>& entries) {
    std::vector<std::string> bytes;
    for (const BackupEntry& e : entries) bytes.push_back(ReadFileBytes(e.path));
    return bytes;
}

// What `cp old.vam d.vam` does: the same file, truncated and written again.
void WriteInPlace(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(KeepDailyBackup, FirstCallOfTheDayKeepsTheDiaryAsItWas) {
    TempDir dir;
    const std::string diary = dir.File("vamo2001.vam");
    const std::string folder = dir.File("zalohy");
    WriteFileBytes(diary, Diary(2));

    const BackupResult first = diary::KeepDailyBackup(diary, folder, Day(1));
    EXPECT_EQ(first.action, BackupResult::Action::Kept);
    EXPECT_EQ(std::filesystem::path(first.path).parent_path(), folder);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Another program writes the diary in place: the backup is a file of its own.
    WriteInPlace(diary, Diary(3));
    const BackupResult second = diary::KeepDailyBackup(diary, folder, Day(1));
    EXPECT_EQ(second.action, BackupResult::Action::AlreadyKept);
    EXPECT_EQ(second.path, first.path);

    const std::vector<BackupEntry> list = diary::ListBackups(diary, folder);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, first.path);
    EXPECT_EQ(list[0].date, Day(1));
    EXPECT_EQ(list[0].sequence, 0);
    EXPECT_EQ(list[0].rides, 2u);
    EXPECT_EQ(ReadFileBytes(list[0].path), Diary(2));
    EXPECT_EQ(ReadFileBytes(diary), Diary(3));
    EXPECT_EQ(std::filesystem::path(first.path).filename().string().rfind("vamo2001.vam.", 0), 0u)
        << first.path;
}

// Inside a change's transaction, under the lock it holds: the bytes the change read are kept,
// whatever the change then comes to, and with the diary's access.
TEST(KeepDailyBackupOf, KeepsTheBytesTheChangeReadUnderItsLock) {
    TempDir dir;
    const std::string diary = dir.File("a.vam");
    WriteFileBytes(diary, Diary(3));
    ASSERT_EQ(::chmod(diary.c_str(), 0604), 0);
    const diary::FileLock lock(diary, diary::LockedFile::Diary);
    const BackupResult kept = diary::KeepDailyBackupOf(Diary(3), diary, dir.File("z"), Day(1));
    EXPECT_EQ(kept.action, BackupResult::Action::Kept);
    EXPECT_EQ(diary::KeepDailyBackupOf(Diary(4), diary, dir.File("z"), Day(1)).path, kept.path);
    WriteInPlace(diary, Diary(1));
    EXPECT_EQ(ReadFileBytes(kept.path), Diary(3));
    struct stat st {};
    ASSERT_EQ(::stat(kept.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
}

// The earlier version linked the day's backup to the diary; reading the list parts them.
TEST(ListBackups, TurnsHardLinkedBackupsIntoCopies) {
    TempDir dir;
    const std::string diary = dir.File("a.vam");
    WriteFileBytes(diary, Diary(2));
    const std::string linked = diary::KeepDailyBackup(diary, dir.File("z"), Day(1)).path;
    ASSERT_EQ(::unlink(linked.c_str()), 0);
    ASSERT_EQ(::link(diary.c_str(), linked.c_str()), 0);
    EXPECT_EQ(diary::ListBackups(diary, dir.File("z")).at(0).rides, 2u);
    WriteInPlace(diary, Diary(5));
    EXPECT_EQ(ReadFileBytes(linked), Diary(2));
    EXPECT_EQ(FolderNames(dir.File("z")).size(), 1u);
}

TEST(KeepDailyBackup, NoDiaryNoBackup) {
    TempDir dir;
    const BackupResult r = diary::KeepDailyBackup(dir.File("none.vam"), dir.File("b"), Day(1));
    EXPECT_EQ(r.action, BackupResult::Action::NoDiary);
    EXPECT_FALSE(std::filesystem::exists(dir.File("b")));
    EXPECT_TRUE(diary::ListBackups(dir.File("none.vam"), dir.File("b")).empty());
    EXPECT_THROW(diary::KeepDailyBackup(dir.File("none.vam"), dir.File("b"), Date{2026, 2, 30}),
                 diary::InvalidValueError);
}

TEST(KeepDailyBackup, ThirtyOneDaysKeepThirty) {
    TempDir dir;
    const std::string diary = dir.File("a.vam");
    const std::string folder = dir.File("zalohy");
    WriteFileBytes(dir.File("zalohy.keep"), "not ours");
    std::filesystem::create_directory(folder);
    WriteFileBytes(folder + "/unrelated.vam", "not ours");
    for (int day = 1; day <= 31; ++day) {
        diary::AtomicWriteFile(diary, Diary(day));
        const BackupResult r = diary::KeepDailyBackup(diary, folder, Day(day));
        EXPECT_EQ(r.action, BackupResult::Action::Kept) << day;
        EXPECT_EQ(r.pruned, day == 31 ? 1u : 0u) << day;
    }
    const std::vector<BackupEntry> list = diary::ListBackups(diary, folder);
    ASSERT_EQ(list.size(), diary::kBackupsKept);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int day = 31 - static_cast<int>(i);
        EXPECT_EQ(list[i].date, Day(day));
        EXPECT_EQ(list[i].rides, static_cast<std::size_t>(day));
    }
    EXPECT_EQ(FolderNames(folder).size(), diary::kBackupsKept + 1);  // and unrelated.vam
}

TEST(KeepDailyBackup, SameNameInTwoFoldersKeepsTwoBackups) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("doma"));
    std::filesystem::create_directory(dir.File("prace"));
    const std::string home = dir.File("doma/vamo2001.vam");
    const std::string work = dir.File("prace/vamo2001.vam");
    const std::string folder = dir.File("zalohy");
    WriteFileBytes(home, Diary(1));
    WriteFileBytes(work, Diary(5));
    EXPECT_EQ(diary::KeepDailyBackup(home, folder, Day(1)).action, BackupResult::Action::Kept);
    EXPECT_EQ(diary::KeepDailyBackup(work, folder, Day(1)).action, BackupResult::Action::Kept);
    EXPECT_EQ(FolderNames(folder).size(), 2u);
    EXPECT_EQ(Bytes(diary::ListBackups(home, folder)), std::vector<std::string>{Diary(1)});
    EXPECT_EQ(Bytes(diary::ListBackups(work, folder)), std::vector<std::string>{Diary(5)});
    // The same diary by another spelling of its path, or through a link, is the same diary.
    ASSERT_EQ(::symlink("doma/vamo2001.vam", dir.File("odkaz.vam").c_str()), 0);
    EXPECT_EQ(diary::ListBackups(dir.File("prace/../doma/./vamo2001.vam"), folder).size(), 1u);
    EXPECT_EQ(Bytes(diary::ListBackups(dir.File("odkaz.vam"), folder)),
              std::vector<std::string>{Diary(1)});
}

TEST(KeepDailyBackup, LongestDiaryNameFits) {
    TempDir dir;
    const std::size_t max = diary::MaxNameLength(dir.path());
    const std::string a = dir.File(std::string(max - 4, 'a') + ".vam");
    const std::string b = dir.File(std::string(max - 5, 'a') + "b.vam");
    WriteFileBytes(a, Diary(1));
    WriteFileBytes(b, Diary(2));
    for (int day = 1; day <= 2; ++day) {
        EXPECT_EQ(diary::KeepDailyBackup(a, dir.File("z"), Day(day)).action,
                  BackupResult::Action::Kept);
        EXPECT_EQ(diary::KeepDailyBackup(b, dir.File("z"), Day(day)).action,
                  BackupResult::Action::Kept);
    }
    const std::string restored = diary::RestoreBackup(
        diary::ListBackups(a, dir.File("z")).back().path, a, dir.File("z"), Day(2));
    for (const std::string& name : FolderNames(dir.File("z"))) EXPECT_LE(name.size(), max);
    EXPECT_EQ(diary::ListBackups(a, dir.File("z")).size(), 3u);
    EXPECT_EQ(diary::ListBackups(b, dir.File("z")).size(), 2u);
    EXPECT_EQ(diary::ListBackups(a, dir.File("z")).front().path, restored);
}

TEST(RestoreBackup, RestoresAndCanBeUndone) {
    TempDir dir;
    const std::string diary = dir.File("a.vam");
    const std::string folder = dir.File("zalohy");
    WriteFileBytes(diary, Diary(1));
    ASSERT_EQ(::chmod(diary.c_str(), 0640), 0);
    diary::KeepDailyBackup(diary, folder, Day(1));
    diary::AtomicWriteFile(diary, Diary(4));
    diary::KeepDailyBackup(diary, folder, Day(2));
    diary::AtomicWriteFile(diary, Diary(7));

    const std::string dayOne = diary::ListBackups(diary, folder).back().path;
    const std::string undo = diary::RestoreBackup(dayOne, diary, folder, Day(2));
    EXPECT_EQ(ReadFileBytes(diary), Diary(1));
    EXPECT_EQ(ReadFileBytes(undo), Diary(7));
    struct stat st {};
    ASSERT_EQ(::stat(diary.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    std::vector<BackupEntry> list = diary::ListBackups(diary, folder);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].path, undo);
    EXPECT_EQ(list[0].date, Day(2));
    EXPECT_EQ(list[0].sequence, 1);
    EXPECT_EQ(list[1].sequence, 0);
    // The day's backup is not made again: today already has one.
    EXPECT_EQ(diary::KeepDailyBackup(diary, folder, Day(2)).action,
              BackupResult::Action::AlreadyKept);

    const std::string redo = diary::RestoreBackup(undo, diary, folder, Day(2));
    EXPECT_EQ(ReadFileBytes(diary), Diary(7));
    EXPECT_EQ(ReadFileBytes(redo), Diary(1));
    list = diary::ListBackups(diary, folder);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].path, redo);
    EXPECT_EQ(list[0].sequence, 2);

    EXPECT_THROW(diary::RestoreBackup(dir.File("gone.vam"), diary, folder, Day(2)),
                 diary::ReadError);
    EXPECT_EQ(ReadFileBytes(diary), Diary(7));
    // Another program's change in progress: the restore waits for it and then gives up.
    {
        const diary::FileLock other(diary, diary::LockedFile::Diary);
        EXPECT_THROW(
            diary::RestoreBackup(undo, diary, folder, Day(2), std::chrono::milliseconds(50)),
            diary::BusyError);
    }
    EXPECT_EQ(ReadFileBytes(diary), Diary(7));
    EXPECT_EQ(diary::ListBackups(diary, folder).size(), 4u);
}

TEST(ListBackups, UnreadableBackupIsListedWithoutACount) {
    TempDir dir;
    const std::string diary = dir.File("a.vam");
    const std::string folder = dir.File("zalohy");
    WriteFileBytes(diary, Diary(2));
    const std::string kept = diary::KeepDailyBackup(diary, folder, Day(2)).path;
    // A backup name that holds a folder: it cannot be read, but it is there.
    std::string other = kept;
    other.replace(other.size() - 6, 2, "01");
    ASSERT_NE(other, kept);
    std::filesystem::create_directory(other);
    const std::vector<BackupEntry> list = diary::ListBackups(diary, folder);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].rides, 2u);
    EXPECT_EQ(list[1].path, other);
    EXPECT_EQ(list[1].date, Day(1));
    EXPECT_FALSE(list[1].rides.has_value());
}

// On another file system a backup is a copy, written like a save, with the diary's access.
TEST(KeepDailyBackup, CopiesAcrossFileSystems) {
    std::string shm = "/dev/shm/vamo-test-XXXXXX";
    if (::mkdtemp(shm.data()) == nullptr) GTEST_SKIP() << "no /dev/shm to put backups on";
    TempDir dir;
    struct stat a {
    }, b{};
    ::stat(dir.path().c_str(), &a);
    ::stat(shm.c_str(), &b);
    if (a.st_dev == b.st_dev) {
        std::filesystem::remove_all(shm);
        GTEST_SKIP() << "/dev/shm is on the same file system as the temporary folder";
    }
    const std::string diary = dir.File("a.vam");
    WriteFileBytes(diary, Diary(3));
    ASSERT_EQ(::chmod(diary.c_str(), 0604), 0);
    const std::string folder = shm + "/zalohy";
    const BackupResult r = diary::KeepDailyBackup(diary, folder, Day(5));
    EXPECT_EQ(r.action, BackupResult::Action::Kept);
    EXPECT_EQ(ReadFileBytes(r.path), Diary(3));
    struct stat st {};
    ASSERT_EQ(::stat(r.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(FolderNames(folder).size(), 1u);
    std::filesystem::remove_all(shm);
}

}  // namespace
