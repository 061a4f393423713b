#include "diary/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "diary/errors.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using List = std::vector<std::string>;

TEST(SettingsPath, JoinsFolderAndFileName) {
    EXPECT_EQ(diary::SettingsPath("/opt/vamo"), "/opt/vamo/vamo2001.ini");
    EXPECT_EQ(diary::SettingsPath("/opt/vamo/"), "/opt/vamo/vamo2001.ini");
    EXPECT_EQ(diary::DefaultDiaryPath("/opt/vamo"), "/opt/vamo/vamo2001.vam");
    EXPECT_EQ(diary::SettingsPath(""), "vamo2001.ini");
}

TEST(LastDiary, DefaultWhenFileOrKeyIsMissing) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    EXPECT_EQ(diary::ReadLastDiary(ini, "/d/vamo2001.vam"), "/d/vamo2001.vam");
    WriteFileBytes(ini, "[soubor]\r\nother=1\r\n[odkud]\r\nfile=no\r\n");
    EXPECT_EQ(diary::ReadLastDiary(ini, "/d/vamo2001.vam"), "/d/vamo2001.vam");
}

TEST(LastDiary, WrittenPathReadsBack) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    diary::WriteLastDiary(ini, "/home/jan/jaro.vam");
    EXPECT_EQ(ReadFileBytes(ini), "[soubor]\r\nfile=/home/jan/jaro.vam\r\n");
    EXPECT_EQ(diary::ReadLastDiary(ini, "x"), "/home/jan/jaro.vam");
}

TEST(LastDiary, RewriteKeepsPlaceListsAndLayout) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    const std::string lists = "[odkud]\r\n1=Doma\r\n[kam]\r\n1=Lhota\r\n";
    WriteFileBytes(ini, "[Soubor]\r\nFile=/old.vam\r\n" + lists);
    diary::WriteLastDiary(ini, "/new.vam");
    EXPECT_EQ(ReadFileBytes(ini), "[Soubor]\r\nFile=/new.vam\r\n" + lists);
}

TEST(LastDiary, PathThatWouldNotReadBackIsRefused) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    EXPECT_THROW(diary::WriteLastDiary(ini, "/a\nb.vam"), diary::InvalidValueError);
    EXPECT_FALSE(testsupport::FileExists(ini));
}

// ---------------------------------------------------------------------------------------------

struct PlaceCase {
    const char* name;
    std::string bytes;
    List expected;  // section "odkud"
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class ReadPlaceList : public testing::TestWithParam<PlaceCase> {};

TEST_P(ReadPlaceList, ReadsKeysOneToFirstMissing) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    WriteFileBytes(ini, GetParam().bytes);
    EXPECT_EQ(diary::ReadPlaceList(ini, "odkud"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadPlaceList,
    testing::Values(
        PlaceCase{"InOrder", "[odkud]\r\n1=Doma\r\n2=Lhota\r\n", {"Doma", "Lhota"}},
        PlaceCase{"ErrorIsAPlace", "[odkud]\r\n1=A\r\n2=error\r\n3=B\r\n", {"A", "error", "B"}},
        PlaceCase{"GapEndsList", "[odkud]\r\n1=A\r\n3=C\r\n", {"A"}},
        PlaceCase{
            "DuplicatesAndEmptyEntriesKept", "[odkud]\r\n1=A\r\n2=\r\n3=A\r\n", {"A", "", "A"}},
        PlaceCase{"SectionNameAnyCase", "[ODKUD]\r\n1=A\r\n", {"A"}},
        PlaceCase{
            "OtherListsIgnored", "[kam]\r\n1=K\r\n[odkud]\r\n1=O\r\n[pres]\r\n1=P\r\n", {"O"}},
        PlaceCase{"QuotedPlaceUnquoted", "[odkud]\r\n1=\" Na Kopci \"\r\n", {" Na Kopci "}},
        PlaceCase{"Cp1250Kept",
                  "[odkud]\r\n1=P\xF8\xED"
                  "bram\r\n",
                  {"P\xF8\xED"
                   "bram"}},
        PlaceCase{"NoSection", "[soubor]\r\nfile=x\r\n", {}}, PlaceCase{"EmptyFile", "", {}}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(ReadPlaceList, MissingFileIsEmpty) {
    TempDir dir;
    EXPECT_TRUE(diary::ReadPlaceList(diary::SettingsPath(dir.path()), "kam").empty());
}

// ---------------------------------------------------------------------------------------------

TEST(WritePlaceLists, FreshFileHoldsThreeSectionsInOrder) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    diary::WritePlaceLists(ini, {"Doma", "Lhota"}, {"Ves"}, {"Most", "Most"});
    EXPECT_EQ(ReadFileBytes(ini),
              "[odkud]\r\n1=Doma\r\n2=Lhota\r\n[kam]\r\n1=Ves\r\n[pres]\r\n1=Most\r\n2=Most\r\n");
}

TEST(WritePlaceLists, EmptyListLeavesSectionAbsent) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    WriteFileBytes(ini, "[kam]\r\n1=Old\r\n");
    diary::WritePlaceLists(ini, {}, {}, {"P"});
    EXPECT_EQ(ReadFileBytes(ini), "[pres]\r\n1=P\r\n");
    diary::WritePlaceLists(ini, {}, {}, {});
    EXPECT_EQ(ReadFileBytes(ini), "");
}

TEST(WritePlaceLists, ReplacesOldListsAndKeepsTheRest) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    WriteFileBytes(ini,
                   "; settings\r\n[soubor]\r\nfile=/a.vam\r\n[odkud]\r\n1=A\r\n2=B\r\n3=C\r\n"
                   "[kam]\r\n; my comment\r\n1=K\r\n[pres]\r\n1=P\r\n[odkud]\r\n1=stale\r\n");
    diary::WritePlaceLists(ini, {"X"}, {"Y", "error"}, {});
    EXPECT_EQ(ReadFileBytes(ini),
              "; settings\r\n[soubor]\r\nfile=/a.vam\r\n; my comment\r\n"
              "[odkud]\r\n1=X\r\n[kam]\r\n1=Y\r\n2=error\r\n");
    EXPECT_EQ(diary::ReadPlaceList(ini, "odkud"), List{"X"});
    EXPECT_EQ(diary::ReadPlaceList(ini, "kam"), (List{"Y", "error"}));
    EXPECT_TRUE(diary::ReadPlaceList(ini, "pres").empty());
    EXPECT_EQ(diary::ReadLastDiary(ini, ""), "/a.vam");
}

TEST(WritePlaceLists, ListsRoundTripWithOrderAndDuplicates) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    const List from = {"B", "A", "B", "", "error", "\x8Akoda \"u\" lesa", "a=b", ";x"};
    diary::WritePlaceLists(ini, from, {"K"}, {"P"});
    EXPECT_EQ(diary::ReadPlaceList(ini, "odkud"), from);
    EXPECT_EQ(diary::ReadPlaceList(ini, "kam"), List{"K"});
    EXPECT_EQ(diary::ReadPlaceList(ini, "pres"), List{"P"});
}

TEST(WritePlaceLists, RefusedPlaceWritesNothing) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    const std::string before = "[odkud]\r\n1=A\r\n";
    WriteFileBytes(ini, before);
    for (const std::string& bad : {std::string(" lead"), std::string("a\r\nb"),
                                   std::string("\"q\""), std::string("tail\t")}) {
        EXPECT_THROW(diary::WritePlaceLists(ini, {"ok"}, {"ok"}, {bad}), diary::InvalidValueError);
        EXPECT_EQ(ReadFileBytes(ini), before);
    }
}

TEST(WritePlaceLists, FailedWriteLeavesOldListsWhole) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    const std::string before = "[odkud]\r\n1=A\r\n[kam]\r\n1=B\r\n";
    WriteFileBytes(ini, before);
    ::chmod(ini.c_str(), 0444);
    try {
        diary::WritePlaceLists(ini, {"X"}, {"Y"}, {"Z"});
        FAIL() << "no error";
    } catch (const diary::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + ini);
    }
    EXPECT_EQ(ReadFileBytes(ini), before);
    EXPECT_THROW(diary::WriteLastDiary(ini, "/x.vam"), diary::WriteError);
    EXPECT_EQ(ReadFileBytes(ini), before);
}

// ---------------------------------------------------------------------------------------------
// The place lists editor saves only over the lists it was opened with.

struct EditorCase {
    const char* name;
    std::function<void(const std::string& ini)> other;  // what another program does meanwhile
    bool applied;
};

void PrintTo(const EditorCase& c, std::ostream* os) { *os << c.name; }

class PlaceListsEditor : public testing::TestWithParam<EditorCase> {};

TEST_P(PlaceListsEditor, SavesOnlyOverTheListsItOpened) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    diary::WritePlaceLists(ini, {"Doma", "Lhota"}, {"Ves"}, {"Most"});
    diary::WriteLastDiary(ini, "/a.vam");
    const diary::PlaceLists opened = diary::ReadPlaceLists(ini);
    GetParam().other(ini);
    const diary::PlaceLists theirs = diary::ReadPlaceLists(ini);
    const std::string lastDiary = diary::ReadLastDiary(ini, "");

    const diary::PlaceLists mine{{"Doma"}, {"Ves", "Les"}, {}};
    const diary::PlaceListsChange change = diary::ReplacePlaceLists(ini, opened, mine);
    EXPECT_EQ(change.applied, GetParam().applied);
    EXPECT_EQ(diary::ReadPlaceLists(ini), GetParam().applied ? mine : theirs);
    EXPECT_EQ(change.lists, diary::ReadPlaceLists(ini));
    EXPECT_EQ(change.Message().empty(), GetParam().applied);
    EXPECT_EQ(diary::ReadLastDiary(ini, ""), lastDiary);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlaceListsEditor,
    testing::Values(
        EditorCase{"NobodyElse", [](const std::string&) {}, true},
        EditorCase{"OtherOnlyOpenedAnotherDiary",
                   [](const std::string& ini) { diary::WriteLastDiary(ini, "/b.vam"); }, true},
        EditorCase{"OtherSavedTheSameLists",
                   [](const std::string& ini) {
                       diary::WritePlaceLists(ini, {"Doma", "Lhota"}, {"Ves"}, {"Most"});
                   },
                   true},
        EditorCase{"OtherAddedAPlace",
                   [](const std::string& ini) {
                       diary::WritePlaceLists(ini, {"Doma", "Lhota", "Hora"}, {"Ves"}, {"Most"});
                   },
                   false},
        EditorCase{"OtherReorderedAList",
                   [](const std::string& ini) {
                       diary::WritePlaceLists(ini, {"Lhota", "Doma"}, {"Ves"}, {"Most"});
                   },
                   false},
        EditorCase{"OtherEmptiedTheLists",
                   [](const std::string& ini) { diary::WritePlaceLists(ini, {}, {}, {}); }, false}),
    [](const testing::TestParamInfo<EditorCase>& info) { return std::string(info.param.name); });

}  // namespace
