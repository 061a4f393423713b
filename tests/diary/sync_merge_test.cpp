#include "diary/sync_merge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/backup.h"
#include "diary/diary_file.h"
#include "diary/errors.h"

namespace {

using diary::MergeChoice;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// A ride in short: "12b" is a ride of 12 January 2026 with the note "b" (day 0: undated).
std::string Line(const std::string& ride) {
    const std::size_t digits = ride.find_first_not_of("0123456789");
    return testsupport::L(ride.substr(0, digits) + ".1.2026§Doma§Les§§§§§§§§" +
                          ride.substr(digits) + "§");
}

std::string Diary(const std::vector<std::string>& rides, const std::string& more = "") {
    std::string bytes = "[Data]\r\n";
    for (std::size_t i = 0; i < rides.size(); ++i)
        bytes += std::to_string(i + 1) + "=" + Line(rides[i]) + "\r\n";
    return bytes + more;
}

struct MergeCase {
    const char* name;
    std::vector<std::vector<std::string>> backups;  // oldest first
    std::vector<std::string> local;
    std::string copy;  // the copy's bytes
    std::vector<MergeChoice> choices;
    std::vector<std::string> result;
    std::size_t added, changed, removed, conflicts;
    int base = -1;  // which backup is the base; -1: none
    const char* refusal = "";
};

TEST(SyncMerge, FollowsEveryRule) {
    using C = MergeChoice;
    const std::vector<std::string> abc = {"1a", "2b", "3c"};
    const std::vector<MergeCase> cases = {
        {"unchanged on both", {abc}, abc, Diary(abc), {}, abc, 0, 0, 0, 0, 0},
        {"added on either side, new ones by date, undated last",
         {abc},
         {"1a", "2b", "3c", "9e"},
         Diary({"1a", "2b", "3c", "0z", "5d", "4c"}),
         {},
         {"1a", "2b", "3c", "9e", "4c", "5d", "0z"},
         3,
         0,
         0,
         0,
         0},
        {"changed in the copy only",
         {abc},
         abc,
         Diary({"1a", "2B", "3c"}),
         {},
         {"1a", "2B", "3c"},
         0,
         1,
         0,
         0,
         0},
        {"changed here only",
         {abc},
         {"1a", "2B", "3c"},
         Diary(abc),
         {},
         {"1a", "2B", "3c"},
         0,
         0,
         0,
         0,
         0},
        {"changed on both alike",
         {abc},
         {"1a", "2B", "3c"},
         Diary({"1a", "2B", "3c"}),
         {},
         {"1a", "2B", "3c"},
         0,
         0,
         0,
         0,
         0},
        {"deleted in the copy", {abc}, abc, Diary({"1a", "3c"}), {}, {"1a", "3c"}, 0, 0, 1, 0, 0},
        {"deleted here", {abc}, {"1a", "3c"}, Diary(abc), {}, {"1a", "3c"}, 0, 0, 0, 0, 0},
        {"changed on both: keep both",
         {abc},
         {"1a", "2x", "3c"},
         Diary({"1a", "2y", "3c"}),
         {},
         {"1a", "2x", "3c", "2y"},
         0,
         0,
         0,
         1,
         0},
        {"changed on both: local",
         {abc},
         {"1a", "2x", "3c"},
         Diary({"1a", "2y", "3c"}),
         {C::Local},
         {"1a", "2x", "3c"},
         0,
         0,
         0,
         1,
         0},
        {"changed on both: copy",
         {abc},
         {"1a", "2x", "3c"},
         Diary({"1a", "2y", "3c"}),
         {C::Copy},
         {"1a", "2y", "3c"},
         0,
         0,
         0,
         1,
         0},
        {"changed here, deleted in the copy: keep both",
         {abc},
         {"1a", "2x", "3c"},
         Diary({"1a", "3c"}),
         {},
         {"1a", "2x", "3c"},
         0,
         0,
         0,
         1,
         0},
        {"changed here, deleted in the copy: copy",
         {abc},
         {"1a", "2x", "3c"},
         Diary({"1a", "3c"}),
         {C::Copy},
         {"1a", "3c"},
         0,
         0,
         0,
         1,
         0},
        {"deleted here, changed in the copy: keep both",
         {abc},
         {"1a", "3c"},
         Diary({"1a", "2y", "3c"}),
         {},
         {"1a", "3c", "2y"},
         0,
         0,
         0,
         1,
         0},
        {"deleted here, changed in the copy: local",
         {abc},
         {"1a", "3c"},
         Diary({"1a", "2y", "3c"}),
         {C::Local},
         {"1a", "3c"},
         0,
         0,
         0,
         1,
         0},
        {"a duplicate added here",
         {{"1a", "2b"}},
         {"1a", "2b", "2b"},
         Diary({"1a", "2b", "3c"}),
         {},
         {"1a", "2b", "2b", "3c"},
         1,
         0,
         0,
         0,
         0},
        {"a duplicate added in the copy",
         {{"1a", "2b"}},
         {"1a", "2b"},
         Diary({"1a", "2b", "2b"}),
         {},
         {"1a", "2b", "2b"},
         1,
         0,
         0,
         0,
         0},
        {"one of two identical rides deleted in the copy",
         {{"1a", "1a", "2b"}},
         {"1a", "1a", "2b"},
         Diary({"1a", "2b"}),
         {},
         {"1a", "2b"},
         0,
         0,
         1,
         0,
         0},
        {"added alike on both: once",
         {{"1a"}},
         {"1a", "2b"},
         Diary({"1a", "2b"}),
         {},
         {"1a", "2b"},
         0,
         0,
         0,
         0,
         0},
        {"renumbered after a delete here, the last changed in the copy",
         {{"1a", "2b", "3c", "4d"}},
         {"1a", "3c", "4d"},
         Diary({"1a", "2b", "3c", "4D"}),
         {},
         {"1a", "3c", "4D"},
         0,
         1,
         0,
         0,
         0},
        {"a date changed in the copy between unchanged rides",
         {abc},
         abc,
         Diary({"1a", "5b", "3c"}),
         {},
         {"1a", "5b", "3c"},
         0,
         1,
         0,
         0,
         0},
        {"no backup: a union",
         {},
         abc,
         Diary({"1a", "1a", "2x", "4d"}),
         {},
         {"1a", "2b", "3c", "1a", "2x", "4d"},
         3,
         0,
         0,
         0,
         -1},
        {"no backup shares a ride: a union",
         {{"8q"}},
         {"1a"},
         Diary({"2b"}),
         {},
         {"1a", "2b"},
         1,
         0,
         0,
         0,
         -1},
        {"the base is where they parted, not a later or older backup",
         {{"1a"}, abc, {"1a", "2b", "3c", "6f"}},
         {"1a", "3c", "6f"},
         Diary({"1a", "2b", "3c", "4d"}),
         {},
         {"1a", "3c", "6f", "4d"},
         1,
         0,
         0,
         0,
         1},
        {"a tie: the newest",
         {abc, abc},
         abc,
         Diary({"1a", "3c"}),
         {},
         {"1a", "3c"},
         0,
         0,
         1,
         0,
         1},
        {"the local sections stay",
         {abc},
         abc,
         "[Cile]\r\n1=2026§100§§§§\r\n" + Diary({"1a"}),
         {},
         {"1a"},
         0,
         0,
         2,
         0,
         0},
        {"no diary: no rides' section",
         {abc},
         abc,
         "poznámky\r\n",
         {},
         abc,
         0,
         0,
         0,
         0,
         0,
         "není deník"},
        {"no diary: binary",
         {abc},
         abc,
         std::string("[Data]\r\n1=\0\x01", 12),
         {},
         abc,
         0,
         0,
         0,
         0,
         0,
         "není deník"},
        {"changed since the plan",
         {abc},
         abc,
         Diary({"1a"}),
         {},
         abc,
         0,
         0,
         2,
         0,
         0,
         "mezitím změnily"},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string diaryPath = dir.File("d.vam");
        const std::string folder = dir.File("zalohy");
        const std::string copyPath = dir.File("d.sync-conflict-20261209-101500-ABCDEF1.vam");
        for (std::size_t i = 0; i < c.backups.size(); ++i) {
            (void)diary::KeepDailyBackupOf(Diary(c.backups[i]), diaryPath, folder,
                                           {2026, 1, static_cast<int>(i) + 1});
        }
        const std::string other = "[Cile]\r\n1=2026§5000§§§§\r\n";
        const std::string localBytes = Diary(c.local, other);
        WriteFileBytes(diaryPath, localBytes);
        WriteFileBytes(copyPath, c.copy);
        const std::string refusal = c.refusal;
        diary::MergePlan plan;
        try {
            plan = diary::PlanMerge(diaryPath, copyPath, folder);
            EXPECT_TRUE(refusal.empty() || refusal == "mezitím změnily");
        } catch (const diary::ReadError& e) {
            EXPECT_NE(std::string(e.what()).find(refusal), std::string::npos) << e.what();
            EXPECT_FALSE(refusal.empty()) << e.what();
            EXPECT_EQ(ReadFileBytes(diaryPath), localBytes);
            continue;
        }
        EXPECT_EQ(plan.added, c.added);
        EXPECT_EQ(plan.changed, c.changed);
        EXPECT_EQ(plan.removed, c.removed);
        EXPECT_EQ(plan.conflicts.size(), c.conflicts);
        const auto backups = diary::BackupsByName(diaryPath, folder);
        EXPECT_EQ(plan.basePath,
                  c.base < 0 ? std::string() : backups[backups.size() - 1 - c.base].path);
        if (!refusal.empty()) WriteFileBytes(diaryPath, localBytes + "\r\n");
        const diary::MergeOutcome outcome =
            diary::ApplyMerge(plan, c.choices, folder, {2026, 2, 1});
        if (!refusal.empty()) {
            EXPECT_FALSE(outcome.applied);
            EXPECT_NE(outcome.message.find(refusal), std::string::npos) << outcome.message;
            EXPECT_EQ(ReadFileBytes(diaryPath), localBytes + "\r\n");
            EXPECT_TRUE(testsupport::FileExists(copyPath));
            continue;
        }
        ASSERT_TRUE(outcome.applied);
        EXPECT_EQ(ReadFileBytes(diaryPath), Diary(c.result, other));
        // Undone by restoring the numbered backup; the copy moved, not gone.
        EXPECT_EQ(ReadFileBytes(outcome.undoBackup), localBytes);
        EXPECT_FALSE(testsupport::FileExists(copyPath));
        EXPECT_EQ(ReadFileBytes(outcome.movedCopy), c.copy);
        EXPECT_EQ(std::filesystem::path(outcome.movedCopy).parent_path(), folder);
    }
}

TEST(SyncMerge, FindsTheThreeToolsCopies) {
    const struct {
        const char* name;
        bool copy;
    } cases[] = {
        {"d.sync-conflict-20261209-101500-ABCDEF1.vam", true},
        {"d (conflicted copy 2026-12-09 101500).vam", true},
        {"d (conflicted copy eva 2026-12-09 101500).vam", true},
        {"d (Eva's conflicted copy 2026-12-09).vam", true},
        {"d (Eva\xE2\x80\x99s conflicted copy 2026-12-09 (1)).vam", true},
        {"d.vam", false},
        {"dd.sync-conflict-20261209-101500-ABCDEF1.vam", false},
        {"d.sync-conflict-20261209-101500-ABCDEF1.vam.tmp", false},
        {"d.sync-conflict-2026129-101500-ABCDEF1.vam", false},
        {"d (conflicted copy).vam", false},
        {"d (Eva's conflicted copy 2026-12-09).dat", false},
    };
    const TempDir dir;
    std::filesystem::create_directory(dir.File("elsewhere"));
    WriteFileBytes(dir.File("elsewhere/d.vam"), Diary({"1a"}));
    const std::string there = std::filesystem::canonical(dir.File("elsewhere")).string() + "/";
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(diary::IsConflictCopyName("d.vam", c.name), c.copy);
        WriteFileBytes(dir.File("elsewhere/") + c.name, "");
        if (c.copy) expected.push_back(there + c.name);
    }
    // Reached through a link: the copies are beside the file it leads to, under its name.
    ASSERT_EQ(::symlink(dir.File("elsewhere/d.vam").c_str(), dir.File("link.vam").c_str()), 0);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(diary::FindConflictCopies(dir.File("link.vam")), expected);
}

}  // namespace
