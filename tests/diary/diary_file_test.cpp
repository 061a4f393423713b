#include "diary/diary_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/errors.h"

namespace {

using namespace std::string_literals;
using diary::DiaryRecord;
using diary::RecordRow;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

using testsupport::L;

DiaryRecord Ride(std::string number, std::string date, std::string note = "") {
    DiaryRecord r;
    r.number = std::move(number);
    r[diary::Field::Date] = std::move(date);
    r[diary::Field::From] = "Doma";
    r[diary::Field::To] = "Lhota";
    r[diary::Field::DistanceKm] = "35";
    r[diary::Field::RideTime] = "1 h 45 min";
    r[diary::Field::Note] = std::move(note);
    return r;
}

// "<date>§Doma§Lhota§§§§35§§§1 h 45 min§<note>§", the line of Ride().
std::string RideLine(const std::string& date, const std::string& note = "") {
    return L(date + "§Doma§Lhota§§§§35§§§1 h 45 min§" + note + "§");
}

std::vector<std::string> Dates(const std::vector<DiaryRecord>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(r[diary::Field::Date]);
    return out;
}

std::vector<std::string> NumbersOf(const std::vector<DiaryRecord>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(r.number);
    return out;
}

ino_t Inode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

// ---------------------------------------------------------------------------------------------
// Reading.

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> dates;  // the dates of the records read, in key order
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadDiary : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadDiary, ReadsKeysOneToFirstMissing) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, GetParam().bytes);
    const auto records = diary::ReadDiary(path);
    EXPECT_EQ(Dates(records), GetParam().dates);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].number, std::to_string(i + 1));
    }
    // The rows the lists use hold exactly the same records.
    const auto rows = diary::ReadDiaryRows(path);
    ASSERT_EQ(rows.size(), records.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].ToRecord(), records[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadDiary,
    testing::Values(
        ReadCase{
            "Crlf", "[data]\r\n1=" + RideLine("a") + "\r\n2=" + RideLine("b") + "\r\n", {"a", "b"}},
        ReadCase{"Lf", "[Data]\n1=" + RideLine("a") + "\n2=" + RideLine("b") + "\n", {"a", "b"}},
        ReadCase{"LoneCr", "[Data]\r1=" + RideLine("a") + "\r2=" + RideLine("b"), {"a", "b"}},
        ReadCase{"SectionNameAnyCase", "[DATA]\r\n1=" + RideLine("a") + "\r\n", {"a"}},
        ReadCase{"GapEndsDiary",
                 "[Data]\r\n1=" + RideLine("a") + "\r\n2=" + RideLine("b") +
                     "\r\n4=" + RideLine("d") + "\r\n",
                 {"a", "b"}},
        ReadCase{"KeysInAnyOrder",
                 "[Data]\r\n2=" + RideLine("b") + "\r\n3=" + RideLine("c") +
                     "\r\n1=" + RideLine("a") + "\r\n",
                 {"a", "b", "c"}},
        ReadCase{"FirstOfDuplicateKeysWins",
                 "[Data]\r\n1=" + RideLine("a") + "\r\n1=" + RideLine("x") + "\r\n",
                 {"a"}},
        ReadCase{"OnlyFirstDataSection",
                 "[Data]\r\n1=" + RideLine("a") + "\r\n[data]\r\n2=" + RideLine("b") + "\r\n",
                 {"a"}},
        ReadCase{"LeadingZeroIsNotTheKey", "[Data]\r\n01=" + RideLine("a") + "\r\n", {}},
        ReadCase{"BlanksAroundKeyAndValue",
                 "[Data]\r\n 1 = " + RideLine("a") + " \r\n\t2\t=" + RideLine("b") + "\r\n",
                 {"a", "b"}},
        ReadCase{"HugeKeyIgnored",
                 "[Data]\r\n1=" + RideLine("a") +
                     "\r\n123456789012345678901234567890=" + RideLine("z") + "\r\n",
                 {"a"}},
        ReadCase{"ErrorValueDoesNotEndDiary",
                 "[Data]\r\n1=error\r\n2=" + RideLine("b") + "\r\n",
                 {"", "b"}},
        ReadCase{
            "EmptyValueIsEmptyRecord", "[Data]\r\n1=\r\n2=" + RideLine("b") + "\r\n", {"", "b"}},
        ReadCase{"OtherSectionsAndCommentsIgnored",
                 "; diary\r\n[x]\r\n1=" + RideLine("no") + "\r\n[Data]\r\n; c\r\n\r\n1=" +
                     RideLine("a") + "\r\n[y]\r\n2=" + RideLine("no") + "\r\n",
                 {"a"}},
        ReadCase{"NoDataSection", "[soubor]\r\nfile=x\r\n", {}}, ReadCase{"EmptyFile", "", {}},
        ReadCase{"BomHidesFirstSection", "\xEF\xBB\xBF[Data]\r\n1=" + RideLine("a") + "\r\n", {}},
        ReadCase{"NulBytesDoNotEndTheLine", "[Data]\r\n1=a\0b"s + L("§") + "\r\n", {"a\0b"s}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(ReadDiary, MissingFileIsEmptyDiary) {
    TempDir dir;
    EXPECT_TRUE(diary::ReadDiary(dir.File("none.vam")).empty());
    EXPECT_TRUE(diary::ReadDiaryRows(dir.File("none.vam")).empty());
}

// A file that reads as no rides: an empty diary, or no diary at all, which the window says.
TEST(HasRideSection, TellsAnEmptyDiaryFromAFileThatIsNone) {
    for (const std::string& bytes : {"[Data]\r\n"s, "; x\r\n[Kola]\r\n1=F\r\n [data] x\r\n"s})
        EXPECT_TRUE(diary::HasRideSection(bytes)) << bytes;
    for (const std::string& bytes : {""s, "; [Data]\r\nData=1\r\n"s,
                                     "\x7F"
                                     "ELF\0[Dat\0a]\xFF"s})
        EXPECT_FALSE(diary::HasRideSection(bytes)) << bytes;
}

TEST(ReadDiary, FolderIsReadError) {
    TempDir dir;
    EXPECT_THROW(diary::ReadDiary(dir.path()), diary::ReadError);
    EXPECT_THROW(diary::ReadDiaryRows(dir.path()), diary::ReadError);
}

TEST(ReadDiary, SplitsRecordLineIntoFileOrderFields) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path,
                   L("[data]\r\n1=12.5.2001§Doma§Lhota§Ves§1200§1235§35§20§41§1 h 45 min§§\r\n"
                     "2=13.5.2001§Lhota§Doma§§1235§1270§35§21,5§38§1 h 38 min§v\xEDtr§\r\n"));
    const auto records = diary::ReadDiary(path);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], diary::ParseRecordLine(
                              L("1§12.5.2001§Doma§Lhota§Ves§1200§1235§35§20§41§1 h 45 min§§")));
    EXPECT_EQ(records[1][diary::Field::To], "Doma");
    EXPECT_EQ(records[1][diary::Field::Via], "");
    EXPECT_EQ(records[1][diary::Field::AvgSpeed], "21,5");
    EXPECT_EQ(records[1][diary::Field::Note], "v\xEDtr");
}

TEST(ReadDiary, LineWithFewerSeparatorsLeavesLastFieldsEmpty) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, L("[Data]\r\n1=d§f§t§v§1§2§3§4§5§6§n§\r\n2=x§y\r\n"));
    const auto records = diary::ReadDiary(path);
    ASSERT_EQ(records.size(), 2u);
    DiaryRecord expected;
    expected.number = "2";
    expected[diary::Field::Date] = "x";
    EXPECT_EQ(records[1], expected);  // nothing left over from record 1
}

TEST(ReadDiary, RecordLineOfAnyLengthReadWhole) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    const std::string note(100'000, 'n');
    WriteFileBytes(path, "[Data]\r\n1=" + RideLine("a", note) + "\r\n2=" + RideLine("b") + "\r\n");
    const auto records = diary::ReadDiary(path);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][diary::Field::Note], note);
    EXPECT_EQ(diary::ReadDiaryRows(path)[0].Get(diary::Field::Note), note);
}

// ---------------------------------------------------------------------------------------------
// Writing one record.

TEST(RecordCommand, CreatesFileWithDataSection) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    testsupport::WriteRide(path, "1", Ride("1", "12.5.2001"));
    EXPECT_EQ(ReadFileBytes(path), "[data]\r\n1=" + RideLine("12.5.2001") + "\r\n");
}

TEST(RecordCommand, AppendsAfterLastKeyAndReplacesInPlace) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    const std::string head = "; my diary\n[Data]\n1=" + RideLine("a") + "\n";
    const std::string tail = "; end of rides\n\n[other]\nx=1\n";
    WriteFileBytes(path, head + tail);
    testsupport::WriteRide(path, "2", Ride("2", "b"));
    EXPECT_EQ(ReadFileBytes(path), head + "2=" + RideLine("b") + "\r\n" + tail);
    testsupport::WriteRide(path, "1", Ride("1", "A", "changed"));
    EXPECT_EQ(ReadFileBytes(path), "; my diary\n[Data]\n1=" + RideLine("A", "changed") +
                                       "\r\n2=" + RideLine("b") + "\r\n" + tail);
    EXPECT_EQ(Dates(diary::ReadDiary(path)), (std::vector<std::string>{"A", "b"}));
}

TEST(RecordCommand, RoundTripsEveryByteAFieldMayHold) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    DiaryRecord r;
    r.number = "1";
    for (int b = 1; b < 256; ++b) {
        if (b == '\r' || b == '\n' || b == 0xA7) continue;
        r.fields[static_cast<std::size_t>(b % diary::kRequiredFieldCount)] += static_cast<char>(b);
    }
    r[diary::Field::Date] = "1.1.2001";  // a line may not start with a blank
    testsupport::WriteRide(path, "1", r);
    const auto records = diary::ReadDiary(path);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], r);
}

struct RefusedCase {
    const char* name;
    diary::Field field;
    std::string text;
    const char* message;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class WriteRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(WriteRefuses, FieldThatWouldCorruptTheLineBeforeWriting) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    const std::string before = "[Data]\r\n1=" + RideLine("a") + "\r\n";
    WriteFileBytes(path, before);
    DiaryRecord bad = Ride("2", "b");
    bad[GetParam().field] = GetParam().text;
    const auto expectRefusal = [&](auto&& call) {
        try {
            call();
            ADD_FAILURE() << "accepted";
        } catch (const diary::InvalidValueError& e) {
            EXPECT_STREQ(e.what(), GetParam().message);
        }
        EXPECT_EQ(ReadFileBytes(path), before);
    };
    expectRefusal([&] { testsupport::WriteRide(path, "2", bad); });
    expectRefusal([&] { testsupport::WriteRide(dir.File("new.vam"), "1", bad); });
    expectRefusal([&] { diary::SaveDiary(path, std::vector<DiaryRecord>{Ride("1", "a"), bad}); });
    expectRefusal([&] { diary::SaveDiary(path, std::vector<RecordRow>{RecordRow(bad)}); });
    EXPECT_FALSE(testsupport::FileExists(dir.File("new.vam")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteRefuses,
    testing::Values(
        RefusedCase{"SeparatorInNote", diary::Field::Note, L("a§b"), "Znak § nelze použít."},
        RefusedCase{"SeparatorInDate", diary::Field::Date, L("§"), "Znak § nelze použít."},
        RefusedCase{"LfInFrom", diary::Field::From, "a\nb", "Konec řádku nelze použít."},
        RefusedCase{"CrInNote", diary::Field::Note, "a\r", "Konec řádku nelze použít."},
        RefusedCase{"NulInVia", diary::Field::Via, "a\0b"s, "Nulový znak nelze použít."},
        RefusedCase{"LeadingBlankOfDate", diary::Field::Date, " 1.1.2001",
                    "Hodnota nesmí začínat ani končit mezerou nebo tabulátorem."}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(RecordCommand, ReadOnlyDiaryIsWriteErrorAndStaysWhole) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    const std::string before = "[Data]\r\n1=" + RideLine("a") + "\r\n";
    WriteFileBytes(path, before);
    ::chmod(path.c_str(), 0444);
    try {
        testsupport::WriteRide(path, "2", Ride("2", "b"));
        FAIL() << "no error";
    } catch (const diary::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_THROW(testsupport::DeleteRide(path, "1"), diary::WriteError);
    EXPECT_THROW(diary::SaveDiary(path, std::vector<DiaryRecord>{}), diary::WriteError);
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST(RecordCommand, MissingFolderIsWriteError) {
    TempDir dir;
    const std::string path = dir.File("gone/a.vam");
    EXPECT_THROW(testsupport::WriteRide(path, "1", Ride("1", "a")), diary::WriteError);
    EXPECT_THROW(diary::SaveDiary(path, std::vector<DiaryRecord>{Ride("1", "a")}),
                 diary::WriteError);
}

// ---------------------------------------------------------------------------------------------
// Deleting.

std::string FiveRides() {
    std::string s = "; my rides\r\n[other]\r\nk=v\r\n[Data]\r\n";
    for (int i = 1; i <= 5; ++i) {
        s += std::to_string(i) + "=" + RideLine(std::string(1, static_cast<char>('a' + i - 1))) +
             "\r\n";
    }
    return s + "; tail\r\n[last]\r\nz=1\r\n";
}

TEST(DeleteRecord, MovesLaterRecordsDownByOne) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, FiveRides());
    testsupport::DeleteRide(path, "2");
    std::string expected = "; my rides\r\n[other]\r\nk=v\r\n[Data]\r\n1=" + RideLine("a") +
                           "\r\n2=" + RideLine("c") + "\r\n3=" + RideLine("d") +
                           "\r\n4=" + RideLine("e") + "\r\n; tail\r\n[last]\r\nz=1\r\n";
    EXPECT_EQ(ReadFileBytes(path), expected);
    const auto records = diary::ReadDiary(path);
    EXPECT_EQ(Dates(records), (std::vector<std::string>{"a", "c", "d", "e"}));
    EXPECT_EQ(NumbersOf(records), (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST(DeleteRecord, FirstLastAndOnly) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, FiveRides());
    testsupport::DeleteRide(path, "1");
    EXPECT_EQ(Dates(diary::ReadDiary(path)), (std::vector<std::string>{"b", "c", "d", "e"}));
    testsupport::DeleteRide(path, "4");
    EXPECT_EQ(Dates(diary::ReadDiary(path)), (std::vector<std::string>{"b", "c", "d"}));
    testsupport::DeleteRide(path, "1");
    testsupport::DeleteRide(path, "1");
    testsupport::DeleteRide(path, "1");
    EXPECT_TRUE(diary::ReadDiary(path).empty());
    EXPECT_EQ(ReadFileBytes(path),
              "; my rides\r\n[other]\r\nk=v\r\n[Data]\r\n; tail\r\n[last]\r\nz=1\r\n");
}

TEST(DeleteRecord, KeepsTheRestOfEachRenumberedLine) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(
        path, "[Data]\n1=" + RideLine("a") + "\n  2 = " + RideLine("b") + "\r3=" + RideLine("c"));
    testsupport::DeleteRide(path, "1");
    EXPECT_EQ(ReadFileBytes(path), "[Data]\n  1 = " + RideLine("b") + "\r2=" + RideLine("c"));
}

TEST(DeleteRecord, LeavesKeysOutsideTheRun) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    const std::string stray = "01=zero\r\nx=note\r\n9=after the gap\r\nnoequals\r\n";
    WriteFileBytes(path,
                   "[Data]\r\n1=" + RideLine("a") + "\r\n" + stray + "2=" + RideLine("b") + "\r\n");
    testsupport::DeleteRide(path, "1");
    EXPECT_EQ(ReadFileBytes(path), "[Data]\r\n" + stray + "1=" + RideLine("b") + "\r\n");
}

TEST(DeleteRecord, DropsShadowedCopiesThatWouldResurface) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    // The second "2" is unreachable now, but once "3" became "2" after it, a reader would
    // have found the stale copy first had it stayed.
    WriteFileBytes(path, "[Data]\r\n1=" + RideLine("a") + "\r\n2=" + RideLine("b") +
                             "\r\n2=" + RideLine("stale") + "\r\n3=" + RideLine("c") + "\r\n");
    ASSERT_EQ(Dates(diary::ReadDiary(path)), (std::vector<std::string>{"a", "b", "c"}));
    testsupport::DeleteRide(path, "1");
    EXPECT_EQ(Dates(diary::ReadDiary(path)), (std::vector<std::string>{"b", "c"}));
}

TEST(DeleteRecord, NumberNotInDiaryWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, FiveRides());
    const ino_t before = Inode(path);
    for (const char* n : {"0", "6", "01", "", "x", "99999999999999999999999"}) {
        testsupport::DeleteRide(path, n);
    }
    EXPECT_EQ(Inode(path), before);
    EXPECT_EQ(ReadFileBytes(path), FiveRides());
    testsupport::DeleteRide(dir.File("none.vam"), "1");
    EXPECT_FALSE(testsupport::FileExists(dir.File("none.vam")));
}

// ---------------------------------------------------------------------------------------------
// Saving a whole diary.

TEST(SaveDiary, NewFileHoldsDataSectionOnly) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    diary::SaveDiary(path, std::vector<DiaryRecord>{Ride("7", "a"), Ride("3", "b")});
    EXPECT_EQ(ReadFileBytes(path),
              "[Data]\r\n1=" + RideLine("a") + "\r\n2=" + RideLine("b") + "\r\n");
    diary::SaveDiary(dir.File("empty.vam"), std::vector<DiaryRecord>{});
    EXPECT_EQ(ReadFileBytes(dir.File("empty.vam")), "[Data]\r\n");
}

TEST(SaveDiary, ReplacesEveryKeyLineAndKeepsEverythingElse) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, "; mine\r\n[soubor]\r\nfile=x\r\n[data]\r\n; rides\r\n1=" +
                             RideLine("old1") + "\r\n2=" + RideLine("old2") +
                             "\r\nstray=1\r\n; between\r\n3=" + RideLine("old3") +
                             "\r\n[Data]\r\n1=" + RideLine("dup") + "\r\n[z]\r\nq=1");
    diary::SaveDiary(path, std::vector<DiaryRecord>{Ride("1", "new")});
    EXPECT_EQ(ReadFileBytes(path),
              "; mine\r\n[soubor]\r\nfile=x\r\n[data]\r\n; rides\r\n1=" + RideLine("new") +
                  "\r\n; between\r\n[Data]\r\n1=" + RideLine("dup") + "\r\n[z]\r\nq=1");
    EXPECT_EQ(Dates(diary::ReadDiary(path)), (std::vector<std::string>{"new"}));
}

TEST(SaveDiary, RowsAndRecordsGiveTheSameBytes) {
    TempDir dir;
    const std::vector<DiaryRecord> records = {Ride("1", "a", "x"), Ride("2", "b"), Ride("3", "")};
    std::vector<RecordRow> rows;
    for (const auto& r : records) rows.emplace_back(r);
    diary::SaveDiary(dir.File("records.vam"), records);
    diary::SaveDiary(dir.File("rows.vam"), rows);
    EXPECT_EQ(ReadFileBytes(dir.File("records.vam")), ReadFileBytes(dir.File("rows.vam")));
    EXPECT_EQ(diary::ReadDiary(dir.File("rows.vam")), records);
}

// A ride with a bike gains one field; one without stays byte for byte as it always was.
TEST(SaveDiary, EveryWriterKeepsTheBike) {
    DiaryRecord withBike = Ride("1", "a");
    withBike[diary::Field::Bike] = "Favorit";
    const DiaryRecord without = Ride("2", "b");
    const std::string expected =
        "[Data]\r\n1=" + RideLine("a") + L("Favorit§") + "\r\n2=" + RideLine("b") + "\r\n";
    const std::vector<DiaryRecord> records = {withBike, without};
    const std::vector<RecordRow> rows = {RecordRow(withBike), RecordRow(without)};
    const struct {
        const char* name;
        std::function<void(const std::string&)> save;
    } writers[] = {
        {"SaveDiaryRecords", [&](const std::string& p) { diary::SaveDiary(p, records); }},
        {"SaveDiaryRows", [&](const std::string& p) { diary::SaveDiary(p, rows); }},
        {"WriteRecord",
         [&](const std::string& p) {
             WriteFileBytes(p, "[Data]\r\n");
             for (const DiaryRecord& r : records) testsupport::WriteRide(p, r.number, r);
         }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        TempDir dir;
        const std::string path = dir.File("kola.vam");
        w.save(path);
        EXPECT_EQ(ReadFileBytes(path), expected);
        EXPECT_EQ(diary::ReadDiary(path), records);
    }
}

TEST(SaveDiary, RoundTripsManyRecords) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    std::vector<DiaryRecord> records;
    for (int i = 1; i <= 2000; ++i) records.push_back(Ride(std::to_string(i), std::to_string(i)));
    diary::SaveDiary(path, records);
    EXPECT_EQ(diary::ReadDiary(path), records);
    testsupport::DeleteRide(path, "1000");
    records.erase(records.begin() + 999);
    for (std::size_t i = 0; i < records.size(); ++i) records[i].number = std::to_string(i + 1);
    EXPECT_EQ(diary::ReadDiary(path), records);
}

}  // namespace
