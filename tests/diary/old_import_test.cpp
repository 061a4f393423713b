#include "diary/old_import.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "diary/errors.h"

using diary::DiaryRecord;
using diary::Field;
using diary::ImportTargetPath;
using diary::OldLineToRecord;
using diary::ReadOldDiary;
using diary::SplitOldLine;

namespace {

using Fields = std::array<std::string, 10>;

const Fields kRide = {"1.5.1999", "Doma", "Les", "Ves", "100", "120", "20", "18", "35", "hezky"};

TEST(SplitOldLine, FieldsEndAtStarAndStartAfterTheLastLabel) {
    const struct {
        const char* line;
        Fields fields;
    } cases[] = {
        {"Datum=1.5.1999*Odkud=Doma*Kam=Les*P\xF8"
         "es=Ves*Odjezd=100*P\xF8\xED"
         "jezd=120*"
         "Ujeto=20*Pr\xF9m=18*Max=35*Pozn=hezky*",
         kRide},
        {"1.5.1999*Doma*Les*Ves*100*120*20*18*35*hezky*", kRide},
        {"1.5.1999*Doma*Les*Ves*100*120*20*18*35*hezky*extra*more*", kRide},
        {"1.5.1999*Doma*", {"1.5.1999", "Doma"}},
        {"1.5.1999*Doma", {"1.5.1999"}},
        {"", {}},
        {"no stars at all", {}},
        {"**", {"", ""}},
        {"a=b=c*d*", {"c", "d"}},
        {"=*x=*", {"", ""}},
        {"Pozn=a*b*", {"a", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SplitOldLine(c.line), c.fields);
    }
}

TEST(OldLineToRecord, UnknownRideTimeAndNoteLast) {
    const DiaryRecord r = OldLineToRecord("1.5.1999*Doma*Les*Ves*100*120*20*18*35*hezky*");
    EXPECT_EQ(r[Field::Date], "1.5.1999");
    EXPECT_EQ(r[Field::From], "Doma");
    EXPECT_EQ(r[Field::To], "Les");
    EXPECT_EQ(r[Field::Via], "Ves");
    EXPECT_EQ(r[Field::DepartureKm], "100");
    EXPECT_EQ(r[Field::ArrivalKm], "120");
    EXPECT_EQ(r[Field::DistanceKm], "20");
    EXPECT_EQ(r[Field::AvgSpeed], "18");
    EXPECT_EQ(r[Field::MaxSpeed], "35");
    EXPECT_EQ(r[Field::RideTime], "?");
    EXPECT_EQ(r[Field::Note], "hezky");

    const DiaryRecord shortLine = OldLineToRecord("1.5.1999*Doma*");
    EXPECT_EQ(shortLine[Field::To], "");
    EXPECT_EQ(shortLine[Field::RideTime], "?");
    EXPECT_EQ(shortLine[Field::Note], "");
}

TEST(ImportTargetPath, ReplacesDatOrAppends) {
    const struct {
        const char* source;
        const char* target;
    } cases[] = {
        {"C:\\jizdy\\stare.dat", "C:\\jizdy\\stare.vam"},
        {"/home/jan/stare.DAT", "/home/jan/stare.vam"},
        {"/home/jan/stare.Dat", "/home/jan/stare.vam"},
        {"/home/jan/stare.txt", "/home/jan/stare.txt.vam"},
        {"/home/jan/stare", "/home/jan/stare.vam"},
        {".dat", ".vam"},
        {"dat", "dat.vam"},
        {"", ".vam"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(ImportTargetPath(c.source), c.target);
    }
}

TEST(ReadOldDiary, NumbersTheLinesThatHoldFields) {
    testsupport::TempDir dir;
    const std::string path = dir.File("stare.dat");
    const std::string longNote(1000, 'x');
    testsupport::WriteFileBytes(path,
                                "1.5.1999*Doma*Les*Ves*100*120*20*18*35*hezky*\r\n"
                                "\r\n"
                                "2.5.1999*Les*Doma*\n"
                                "\n\n"
                                "3.5.1999*a*b*c*1*2*3*4*5*" +
                                    longNote +
                                    "*\r"
                                    "4.5.1999*\x1A");
    const auto records = ReadOldDiary(path);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].number, "1");
    EXPECT_EQ(records[0][Field::Note], "hezky");
    EXPECT_EQ(records[1].number, "2");
    EXPECT_EQ(records[1][Field::From], "Les");
    EXPECT_EQ(records[1][Field::Via], "");
    EXPECT_EQ(records[2].number, "3");
    EXPECT_EQ(records[2][Field::Note], longNote);
    EXPECT_EQ(records[3].number, "4");
    EXPECT_EQ(records[3][Field::Date], "4.5.1999");
    EXPECT_EQ(records[3][Field::From], "");
}

TEST(ReadOldDiary, EmptyFileGivesNoRecords) {
    testsupport::TempDir dir;
    const std::string path = dir.File("prazdne.dat");
    testsupport::WriteFileBytes(path, "");
    EXPECT_TRUE(ReadOldDiary(path).empty());
}

TEST(ReadOldDiary, MissingOrUnreadableSourceIsAnError) {
    testsupport::TempDir dir;
    EXPECT_THROW(ReadOldDiary(dir.File("chybi.dat")), diary::ReadError);
    EXPECT_THROW(ReadOldDiary(dir.path()), diary::ReadError);

    const std::string locked = dir.File("zamceno.dat");
    testsupport::WriteFileBytes(locked, "1.5.1999*\r\n");
    ::chmod(locked.c_str(), 0);
    if (::access(locked.c_str(), R_OK) == 0) GTEST_SKIP() << "running with rights to read anything";
    EXPECT_THROW(ReadOldDiary(locked), diary::ReadError);
}

}  // namespace
