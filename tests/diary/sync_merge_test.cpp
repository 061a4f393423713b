#include "diary/sync_merge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
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

// Rides in short, separated by blanks: "12b" is a ride of 12 January 2026 with the note "b"
// (day 0: undated).
std::vector<std::string> Rides(const std::string& shortRides) {
    std::vector<std::string> lines;
    std::istringstream in(shortRides);
    for (std::string ride; in >> ride;) {
        const std::size_t digits = ride.find_first_not_of("0123456789");
        lines.push_back(testsupport::L(ride.substr(0, digits) + ".1.2026§Doma§Les§§§§§§§§" +
                                       ride.substr(digits) + "§"));
    }
    return lines;
}

std::string Diary(const std::string& shortRides, const std::string& more = "") {
    std::string bytes = "[Data]\r\n";
    const std::vector<std::string> lines = Rides(shortRides);
    for (std::size_t i = 0; i < lines.size(); ++i)
        bytes += std::to_string(i + 1) + "=" + lines[i] + "\r\n";
    return bytes + more;
}

struct MergeCase {
    const char* name;
    const char* backups;  // oldest first, separated by "|"
    const char* local;
    const char* copy;
    const char* choices;  // per conflict: B both, L local, C copy
    const char* result;
    const char* counts;          // added, changed, removed, conflicts
    int base;                    // which backup is the base; -1: none
    std::string copyBytes = {};  // instead of `copy`: a file that is no diary
    const char* refusal = "";
    const char* resultMore = "";  // what the merged diary holds after the local sections
};

TEST(SyncMerge, FollowsEveryRule) {
    const std::string other = "[Cile]\r\n1=2026§5000§§§§\r\n";
    const MergeCase cases[] = {
        {"unchanged on both", "1a 2b 3c", "1a 2b 3c", "1a 2b 3c", "", "1a 2b 3c", "0000", 0},
        {"added on either side, new ones by date, undated last", "1a 2b 3c", "1a 2b 3c 9e",
         "1a 2b 3c 0z 5d 4c", "", "1a 2b 3c 9e 4c 5d 0z", "3000", 0},
        {"changed in the copy", "1a 2b 3c", "1a 2b 3c", "1a 2B 3c", "", "1a 2B 3c", "0100", 0},
        {"changed here", "1a 2b 3c", "1a 2B 3c", "1a 2b 3c", "", "1a 2B 3c", "0000", 0},
        {"changed alike on both", "1a 2b 3c", "1a 2B 3c", "1a 2B 3c", "", "1a 2B 3c", "0000", 0},
        {"deleted in the copy", "1a 2b 3c", "1a 2b 3c", "1a 3c", "", "1a 3c", "0010", 0},
        {"deleted here", "1a 2b 3c", "1a 3c", "1a 2b 3c", "", "1a 3c", "0000", 0},
        {"changed on both, both kept", "1a 2b 3c", "1a 2x 3c", "1a 2y 3c", "", "1a 2x 3c 2y",
         "0001", 0},
        {"changed on both, local", "1a 2b 3c", "1a 2x 3c", "1a 2y 3c", "L", "1a 2x 3c", "0001", 0},
        {"changed on both, copy", "1a 2b 3c", "1a 2x 3c", "1a 2y 3c", "C", "1a 2y 3c", "0001", 0},
        {"changed here, deleted there", "1a 2b 3c", "1a 2x 3c", "1a 3c", "B", "1a 2x 3c", "0001",
         0},
        {"changed here, deleted there, copy", "1a 2b 3c", "1a 2x 3c", "1a 3c", "C", "1a 3c", "0001",
         0},
        {"deleted here, changed there", "1a 2b 3c", "1a 3c", "1a 2y 3c", "", "1a 3c 2y", "0001", 0},
        {"deleted here, changed there, local", "1a 2b 3c", "1a 3c", "1a 2y 3c", "L", "1a 3c",
         "0001", 0},
        {"a duplicate added here", "1a 2b", "1a 2b 2b", "1a 2b 3c", "", "1a 2b 2b 3c", "1000", 0},
        {"a duplicate added there", "1a 2b", "1a 2b", "1a 2b 2b", "", "1a 2b 2b", "1000", 0},
        {"one of two alike deleted there", "1a 1a 2b", "1a 1a 2b", "1a 2b", "", "1a 2b", "0010", 0},
        {"added alike on both", "1a", "1a 2b", "1a 2b", "", "1a 2b", "0000", 0},
        {"renumbered after a delete here, the last changed there", "1a 2b 3c 4d", "1a 3c 4d",
         "1a 2b 3c 4D", "", "1a 3c 4D", "0100", 0},
        {"a date changed between unchanged rides", "1a 2b 3c", "1a 2b 3c", "1a 5b 3c", "",
         "1a 5b 3c", "0100", 0},
        {"no backup: a union", "", "1a 2b 3c", "1a 1a 2x 4d", "", "1a 2b 3c 1a 2x 4d", "3000", -1},
        {"no backup shares a ride", "8q", "1a", "2b", "", "1a 2b", "1000", -1},
        {"the base is where they parted", "1a|1a 2b 3c|1a 2b 3c 6f", "1a 3c 6f", "1a 2b 3c 4d", "",
         "1a 3c 6f 4d", "1000", 1},
        {"a tie: the newest", "1a 2b 3c|1a 2b 3c", "1a 2b 3c", "1a 3c", "", "1a 3c", "0010", 1},
        {"the local sections stay", "1a 2b 3c", "1a 2b 3c", "", "", "1a", "0020", 0,
         "[Cile]\r\n1=2026§100§§§§\r\n" + Diary("1a")},
        {"the copy's bikes and parts join the local ones", "1a", "1a", "", "", "1a", "0000", 0,
         Diary("1a", testsupport::L("[Kola]\r\n1=Favorit\r\n[Servis]\r\n"
                                    "1=Favorit§řetěz§2026-01-01§3000§\r\n")),
         "", "[Kola]\r\n1=Favorit\r\n[Servis]\r\n1=Favorit§řetěz§2026-01-01§3000§\r\n"},
        {"no rides' section", "1a", "1a", "", "", "1a", "", 0, "poznámky\r\n", "není deník"},
        {"binary", "1a", "1a", "", "", "1a", "", 0, std::string("[Data]\r\n1=\0\x01", 12),
         "není deník"},
        {"changed since the plan", "1a 2b 3c", "1a 2b 3c", "1a", "", "", "0020", 0, "",
         "mezitím změnily"},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string diaryPath = dir.File("d.vam");
        const std::string folder = dir.File("zalohy");
        const std::string copyPath = dir.File("d.sync-conflict-20261209-101500-ABCDEF1.vam");
        std::istringstream backups(c.backups);
        int day = 0;
        for (std::string rides; std::getline(backups, rides, '|');)
            (void)diary::KeepDailyBackupOf(Diary(rides), diaryPath, folder, {2026, 1, ++day});
        const std::string localBytes = Diary(c.local, other);
        const std::string copyBytes = c.copyBytes.empty() ? Diary(c.copy) : c.copyBytes;
        WriteFileBytes(diaryPath, localBytes);
        WriteFileBytes(copyPath, copyBytes);
        const std::string refusal = c.refusal;
        diary::MergePlan plan;
        try {
            plan = diary::PlanMerge(diaryPath, copyPath, folder);
        } catch (const diary::ReadError& e) {
            EXPECT_NE(std::string(e.what()).find(refusal), std::string::npos) << e.what();
            EXPECT_FALSE(refusal.empty()) << e.what();
            continue;
        }
        const std::string counts = {
            static_cast<char>('0' + plan.added), static_cast<char>('0' + plan.changed),
            static_cast<char>('0' + plan.removed), static_cast<char>('0' + plan.conflicts.size())};
        EXPECT_EQ(counts, c.counts);
        const auto kept = diary::BackupsByName(diaryPath, folder);
        EXPECT_EQ(plan.basePath, c.base < 0 ? "" : kept[kept.size() - 1 - c.base].path);
        std::vector<MergeChoice> choices;
        for (const char* k = c.choices; *k != '\0'; ++k)
            choices.push_back(*k == 'L'   ? MergeChoice::Local
                              : *k == 'C' ? MergeChoice::Copy
                                          : MergeChoice::KeepBoth);
        if (!refusal.empty()) WriteFileBytes(diaryPath, localBytes + "\r\n");
        const diary::MergeOutcome outcome = diary::ApplyMerge(plan, choices, folder, {2026, 2, 1});
        if (!refusal.empty()) {
            EXPECT_FALSE(outcome.applied);
            EXPECT_NE(outcome.message.find(refusal), std::string::npos) << outcome.message;
            EXPECT_EQ(ReadFileBytes(diaryPath), localBytes + "\r\n");
            EXPECT_TRUE(testsupport::FileExists(copyPath));
            continue;
        }
        ASSERT_TRUE(outcome.applied);
        EXPECT_EQ(ReadFileBytes(diaryPath), Diary(c.result, other) + testsupport::L(c.resultMore));
        // Undone by restoring the numbered backup; the copy moved, not gone.
        EXPECT_EQ(ReadFileBytes(outcome.undoBackup), localBytes);
        EXPECT_FALSE(testsupport::FileExists(copyPath));
        EXPECT_EQ(ReadFileBytes(outcome.movedCopy), copyBytes);
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
    WriteFileBytes(dir.File("elsewhere/d.vam"), Diary("1a"));
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
