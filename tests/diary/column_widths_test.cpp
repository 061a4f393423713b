// The column widths the settings file remembers for each list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "diary/errors.h"
#include "diary/settings.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using Widths = std::vector<int>;

struct ReadCase {
    const char* name;
    const char* file;  // settings file bytes; nullptr = no file
    Widths expected;   // of list "seznam"
};

class ReadColumnWidths : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadColumnWidths, ReadsEachWidthOrZero) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    if (GetParam().file != nullptr) WriteFileBytes(ini, GetParam().file);
    EXPECT_EQ(diary::ReadColumnWidths(ini, "seznam"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadColumnWidths,
    ::testing::Values(
        ReadCase{"NoFile", nullptr, {}}, ReadCase{"NoSection", "[soubor]\r\nfile=/a.vam\r\n", {}},
        ReadCase{"OtherListOnly", "[sloupce]\r\nhledat=20,30\r\n", {}},
        ReadCase{"EmptyValue", "[sloupce]\r\nseznam=\r\n", {}},
        ReadCase{"Plain", "[sloupce]\r\nseznam=24,86,90\r\n", {24, 86, 90}},
        ReadCase{"NamesIgnoreCase", "[Sloupce]\r\nSEZNAM=5\r\n", {5}},
        ReadCase{"BlanksAroundItems", "[sloupce]\r\nseznam= 24 ,\t86\r\n", {24, 86}},
        ReadCase{"Bounds", "[sloupce]\r\nseznam=0,1,10000,10001,-5\r\n", {0, 1, 10000, 0, 0}},
        ReadCase{
            "NotWholeNumbers", "[sloupce]\r\nseznam=7.5,x,,1e2,+3,12px\r\n", {0, 0, 0, 0, 0, 0}},
        ReadCase{"HugeNumber", "[sloupce]\r\nseznam=99999999999999999999,4\r\n", {0, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteColumnWidths, AddsItsOwnSectionAndKeepsTheRest) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    const std::string before = "[soubor]\r\nfile=/a.vam\r\n; places\r\n[odkud]\r\n1=Doma\r\n";
    WriteFileBytes(ini, before);
    diary::WriteColumnWidths(ini, {{"seznam", {24, 86}}, {"hledat", {20}}});
    EXPECT_EQ(ReadFileBytes(ini), before + "[sloupce]\r\nseznam=24,86\r\nhledat=20\r\n");
    EXPECT_EQ(diary::ReadLastDiary(ini, "x"), "/a.vam");
    EXPECT_EQ(diary::ReadPlaceList(ini, "odkud"), std::vector<std::string>{"Doma"});
}

TEST(WriteColumnWidths, RewriteReplacesOnlyTheListsGiven) {
    TempDir dir;
    const std::string ini = diary::SettingsPath(dir.path());
    diary::WriteColumnWidths(ini, {{"seznam", {24, 86, 90}}, {"hledat", {20, 30}}});
    diary::WriteColumnWidths(ini, {{"seznam", {50}}});
    EXPECT_EQ(diary::ReadColumnWidths(ini, "seznam"), (Widths{50}));
    EXPECT_EQ(diary::ReadColumnWidths(ini, "hledat"), (Widths{20, 30}));
    // Place lists written later leave the widths alone, and the other way round.
    diary::WritePlaceLists(ini, {"Brno"}, {}, {});
    EXPECT_EQ(diary::ReadColumnWidths(ini, "hledat"), (Widths{20, 30}));
    EXPECT_EQ(diary::ReadPlaceList(ini, "odkud"), std::vector<std::string>{"Brno"});
}

TEST(WriteColumnWidths, FailedWriteLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string ini = dir.File("missing-folder/vamo2001.ini");
    EXPECT_THROW(diary::WriteColumnWidths(ini, {{"seznam", {1}}}), diary::WriteError);
    EXPECT_FALSE(testsupport::FileExists(ini));
}

}  // namespace
