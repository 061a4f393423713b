#include "diary/record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "TestText.h"
#include "diary/errors.h"
#include "diary/fields.h"
#include "diary/record_table.h"
#include "diary/regional.h"

namespace {

using namespace std::string_literals;
using diary::DiaryRecord;
using diary::Field;
using diary::RecordRow;

using testsupport::L;

DiaryRecord Make(std::string number, std::vector<std::string> fields, std::string bike = {}) {
    DiaryRecord r;
    r.number = std::move(number);
    for (std::size_t i = 0; i < fields.size(); ++i) r.fields[i] = std::move(fields[i]);
    r[Field::Bike] = std::move(bike);
    return r;
}

const std::vector<std::string> kAtoK = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};

// ---------------------------------------------------------------------------------------------

struct ParseCase {
    const char* name;
    std::string text;
    DiaryRecord expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseRecordLine : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseRecordLine, SplitsAtSeparators) {
    EXPECT_EQ(diary::ParseRecordLine(GetParam().text), GetParam().expected);
}

TEST_P(ParseRecordLine, RowFromLineSplitsTheSame) {
    // FromLine gets the key and the value; ParseRecordLine the two joined by "§".
    const std::string& text = GetParam().text;
    const auto sep = text.find(diary::kSeparator);
    if (sep == std::string::npos) return;  // no key part: nothing a file line could hold
    const RecordRow row = RecordRow::FromLine(std::string_view(text).substr(0, sep),
                                              std::string_view(text).substr(sep + 1));
    EXPECT_EQ(row.ToRecord(), GetParam().expected);
}

// The row finds separators sixteen bytes at a time, then in the line's last sixteen: every
// length and every place of a separator against those blocks splits as the line does.
TEST(RecordRow, SplitsAsTheLineWhereverTheSeparatorsFall) {
    for (std::size_t size = 0; size <= 48; ++size) {
        for (std::size_t every = 1; every <= 5; ++every) {
            std::string line(size, 'x');
            for (std::size_t i = every - 1; i < size; i += every) line[i] = diary::kSeparator;
            const RecordRow row = RecordRow::FromLine("5", line);
            ASSERT_EQ(row.ToRecord(), diary::ParseRecordLine("5\xA7" + line))
                << "size " << size << ", a separator every " << every;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseRecordLine,
    testing::Values(
        ParseCase{"SpecExample", L("3§a§b§c§d§1§2§1§4§5§0 h 10 min§note§"),
                  Make("3", {"a", "b", "c", "d", "1", "2", "1", "4", "5", "0 h 10 min", "note"})},
        ParseCase{"KeepsEmptyFields", L("1§§§§§§§§§§§§"), Make("1", {})},
        // Before rides had bikes, the text up to the thirteenth separator was ignored; it is
        // the bike now.
        ParseCase{"TwelfthFieldIsTheBike", L("1§a§b§c§d§e§f§g§h§i§j§k§extra§"),
                  Make("1", kAtoK, "extra")},
        ParseCase{"IgnoresTextAfterThirteenthSeparator",
                  L("1§a§b§c§d§e§f§g§h§i§j§k§Favorit§extra§more§"), Make("1", kAtoK, "Favorit")},
        ParseCase{"EmptyBikeBeforeIgnoredText", L("1§a§b§c§d§e§f§g§h§i§j§k§§extra§"),
                  Make("1", kAtoK)},
        ParseCase{"UnterminatedBikeIsNoBike", L("1§a§b§c§d§e§f§g§h§i§j§k§Favorit"),
                  Make("1", kAtoK)},
        ParseCase{"IgnoresUnterminatedTail", L("1§a§b§c§d§e§f§g§h§i§j§k§tail"),
                  Make("1", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"})},
        ParseCase{"FewerSeparatorsLeaveFieldsEmpty", L("7§a§b§c"), Make("7", {"a", "b"})},
        ParseCase{"OnlyNumber", L("7§"), Make("7", {})},
        ParseCase{"ErrorValueIsNoField", L("1§error"), Make("1", {})},
        ParseCase{"NoSeparatorAtAll", "abc", Make("", {})}, ParseCase{"Empty", "", Make("", {})},
        ParseCase{"Cp1250BytesKept", L("2§\x8A\xE8§\x81\x83§"),
                  Make("2", {"\x8A\xE8", "\x81\x83"})},
        ParseCase{"NulBytesKept", L("2§a\0b§"s), Make("2", {"a\0b"s})}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(FormatRecordLine, EachFieldFollowedBySeparator) {
    const DiaryRecord r = Make("9", {"12.5.2001", "Doma", "Lhota", "Ves", "1200", "1235", "35",
                                     "20", "41", "1 h 45 min", ""});
    EXPECT_EQ(diary::FormatRecordLine(r),
              L("12.5.2001§Doma§Lhota§Ves§1200§1235§35§20§41§1 h 45 min§§"));
    EXPECT_EQ(diary::FormatRecordLine(DiaryRecord{}), std::string(11, diary::kSeparator));
}

TEST(FormatRecordLine, AddsTheBikeFieldOnlyForARideWithABike) {
    const struct {
        const char* name;
        DiaryRecord record;
        std::string line;
    } cases[] = {
        {"NoBikeAsBefore", Make("1", kAtoK), L("a§b§c§d§e§f§g§h§i§j§k§")},
        {"Bike", Make("1", kAtoK, "Favorit"), L("a§b§c§d§e§f§g§h§i§j§k§Favorit§")},
        {"BikeOfEmptyRide", Make("1", {}, "\x8Ak\xE1"), std::string(11, '\xA7') + "\x8Ak\xE1\xA7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(diary::FormatRecordLine(c.record), c.line);
        EXPECT_EQ(diary::ParseRecordLine("1" + std::string(1, diary::kSeparator) + c.line),
                  c.record);
    }
}

// The reader before bikes: parts 0..11 of the line, each ended by its separator, the rest
// ignored.
std::vector<std::string> ElevenFieldReader(std::string_view text) {
    std::vector<std::string> parts(12);
    int counter = -1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != diary::kSeparator) continue;
        if (++counter <= 11)
            parts[static_cast<std::size_t>(counter)] = text.substr(start, i - start);
        start = i + 1;
    }
    return parts;
}

TEST(FormatRecordLine, ReaderOfElevenFieldsIgnoresTheBike) {
    const DiaryRecord rides[] = {
        Make("4",
             {"1.5.2001", "Doma", "Lhota", "", "1200", "1235", "35", "20", "41", "1 h 45 min",
              "v\xEDtr"},
             "Favorit"),
        Make("5", {}, "Author"),
        Make("6", {"1.5.2001"}),
    };
    for (const DiaryRecord& ride : rides) {
        SCOPED_TRACE(ride.number);
        const std::vector<std::string> old =
            ElevenFieldReader(ride.number + diary::kSeparator + diary::FormatRecordLine(ride));
        EXPECT_EQ(old[0], ride.number);
        EXPECT_EQ(std::vector<std::string>(old.begin() + 1, old.end()),
                  std::vector<std::string>(ride.fields.begin(),
                                           ride.fields.begin() + diary::kRequiredFieldCount));
    }
}

TEST(FormatRecordLine, RoundTripsThroughParse) {
    const DiaryRecord r =
        Make("12", {"1.1.2000", "", "c", "\x8E", "5", "", "7,5", "8", "", "x", "y z"});
    EXPECT_EQ(diary::ParseRecordLine("12" + std::string(1, diary::kSeparator) +
                                     diary::FormatRecordLine(r)),
              r);
}

// ---------------------------------------------------------------------------------------------

struct RefusedField {
    const char* name;
    std::string text;
    const char* message;
};

void PrintTo(const RefusedField& c, std::ostream* os) { *os << c.name; }

class CheckRecordFields : public testing::TestWithParam<RefusedField> {};

TEST_P(CheckRecordFields, RefusesTextThatWouldSplitTheLine) {
    for (int f = 0; f < diary::kFieldCount; ++f) {
        DiaryRecord r = Make("1", {"1.1.2001"});
        r.fields[static_cast<std::size_t>(f)] = "a" + GetParam().text + "b";
        try {
            diary::CheckRecordFields(r);
            FAIL() << "field " << f << " accepted";
        } catch (const diary::InvalidValueError& e) {
            EXPECT_STREQ(e.what(), GetParam().message);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckRecordFields,
    testing::Values(RefusedField{"Separator", std::string(1, diary::kSeparator),
                                 "Znak § nelze použít."},
                    RefusedField{"Cr", "\r", "Konec řádku nelze použít."},
                    RefusedField{"Lf", "\n", "Konec řádku nelze použít."},
                    RefusedField{"Nul", "\0"s, "Nulový znak nelze použít."}),
    [](const testing::TestParamInfo<RefusedField>& info) { return std::string(info.param.name); });

TEST(CheckRecordFields, RefusesABikeTheSettingsCouldNotHold) {
    const struct {
        std::string bike;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"", nullptr},
        {"Favorit", nullptr},
        {"\"Favorit", nullptr},
        {" Favorit", "Název kola nesmí začínat ani končit mezerou."},
        {"\"Favorit\"", "Název kola nesmí být celý v uvozovkách."},
        {L("a§b"), "Znak § nelze použít."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bike);
        const DiaryRecord r = Make("1", {"1.1.2001"}, c.bike);
        if (c.message == nullptr) {
            EXPECT_NO_THROW(diary::CheckRecordFields(r));
            continue;
        }
        try {
            diary::CheckRecordFields(r);
            ADD_FAILURE() << "accepted";
        } catch (const diary::InvalidValueError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_THROW(diary::CheckBikeName(""), diary::InvalidValueError);
}

TEST(CheckRecordFields, AcceptsEveryOtherByte) {
    DiaryRecord r;
    for (int b = 1; b < 256; ++b) {
        if (b == '\r' || b == '\n' || b == 0xA7) continue;
        r.fields[static_cast<std::size_t>(b % diary::kRequiredFieldCount)] += static_cast<char>(b);
    }
    EXPECT_NO_THROW(diary::CheckRecordFields(r));
}

// ---------------------------------------------------------------------------------------------

TEST(RecordRow, HoldsNumberAndFieldsOfRecord) {
    const DiaryRecord r =
        Make("42", {"d", "from", "to", "via", "dep", "arr", "dist", "avg", "max", "time", "note"});
    const RecordRow row(r);
    EXPECT_EQ(row.Number(), "42");
    EXPECT_EQ(row.Get(Field::Date), "d");
    EXPECT_EQ(row.Get(Field::Via), "via");
    EXPECT_EQ(row.Get(Field::Note), "note");
    EXPECT_EQ(row.ToRecord(), r);
}

TEST(RecordRow, ColumnsFollowDisplayOrder) {
    const RecordRow row(
        Make("5", {"d", "from", "to", "via", "dep", "arr", "dist", "avg", "max", "time", "note"}));
    const std::vector<std::string> expected = {"5",    "d",   "from", "via", "to",  "dep",
                                               "dist", "arr", "time", "avg", "max", "note"};
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(row.Column(c), expected[static_cast<std::size_t>(c)]) << c;
    EXPECT_EQ(row.Column(-1), "");
    EXPECT_EQ(row.Column(12), "");
}

TEST(RecordRow, BikeIsTheLastColumnAndSurvivesEveryCopy) {
    const DiaryRecord r = Make("5", {"d", "from"}, "Favorit");
    const std::string file = "[Data]\r\n5=" + L("d§from§§§§§§§§§§Favorit§tail§") + "\r\n";
    const auto bytes = std::make_shared<const std::string>(file);
    const std::string_view all(*bytes);
    const RecordRow rows[] = {
        RecordRow(r),
        RecordRow::FromShared(bytes, all.substr(8, 1), all.substr(10, all.size() - 12)),
        RecordRow(Make("7", {"d", "from"}, "Favorit")).WithNumber("5"),
    };
    for (const RecordRow& row : rows) {
        EXPECT_EQ(row.Column(diary::kColumnCount - 1), "Favorit");
        EXPECT_EQ(row.Get(Field::Bike), "Favorit");
        EXPECT_EQ(row.Column(11), "");  // the note
        EXPECT_EQ(row.ToRecord(), r);
        EXPECT_EQ(row, rows[0]);
    }
    EXPECT_FALSE(rows[0] == RecordRow(Make("5", {"d", "from"})));
    EXPECT_EQ(rows[0].Column(diary::kColumnCount), "");
}

TEST(RecordRow, EmptyRowHasEmptyTexts) {
    const RecordRow row;
    EXPECT_EQ(row.Number(), "");
    for (int c = 0; c < 12; ++c) EXPECT_EQ(row.Column(c), "");
    EXPECT_EQ(row.ToRecord(), DiaryRecord{});
}

TEST(RecordRow, WithNumberKeepsFields) {
    const DiaryRecord r = Make("10", {"d", "", "to", "", "", "", "", "", "", "", "n"});
    const RecordRow row = RecordRow(r).WithNumber("9");
    DiaryRecord expected = r;
    expected.number = "9";
    EXPECT_EQ(row.ToRecord(), expected);
}

TEST(RecordRow, FieldHoldingSeparatorKeepsItsText) {
    // No writer accepts such a field, but a row must carry it unchanged so the writer sees it.
    const DiaryRecord r = Make("1", {L("a§b"), "c"});
    const RecordRow row(r);
    EXPECT_EQ(row.Get(Field::Date), L("a§b"));
    EXPECT_EQ(row.Get(Field::From), "c");
    EXPECT_EQ(row.ToRecord(), r);
    EXPECT_EQ(row.WithNumber("2").Get(Field::Date), L("a§b"));
}

TEST(RecordRow, SharedBytesGiveTheSameRowAsACopy) {
    const std::string file = "[Data]\r\n12 = " + L("d§f§t§v§1§2§3§4§5§6§n§tail") + "\r\n";
    const auto bytes = std::make_shared<const std::string>(file);
    const std::string_view all(*bytes);
    const std::string_view number = all.substr(8, 2);
    const std::string_view line = all.substr(13, all.size() - 15);
    const RecordRow shared = RecordRow::FromShared(bytes, number, line);
    EXPECT_EQ(shared.ToRecord(), RecordRow::FromLine(number, line).ToRecord());
    EXPECT_EQ(shared.Number(), "12");
    EXPECT_EQ(shared.Get(Field::Note), "n");
}

TEST(RecordRow, CopiesOutliveTheRowsTheyCameFrom) {
    RecordRow copy;
    {
        const auto bytes = std::make_shared<const std::string>("7=" + L("a§b§"));
        const RecordRow row = RecordRow::FromShared(bytes, std::string_view(*bytes).substr(0, 1),
                                                    std::string_view(*bytes).substr(2));
        copy = row;
    }
    EXPECT_EQ(copy.Number(), "7");
    EXPECT_EQ(copy.Get(Field::From), "b");
}

TEST(RecordRow, MovedFromRowIsEmpty) {
    RecordRow row(Make("3", {"d"}));
    RecordRow taken(std::move(row));
    EXPECT_EQ(taken.Number(), "3");
    // NOLINTNEXTLINE(bugprone-use-after-move): the point of the test
    EXPECT_EQ(row.ToRecord(), DiaryRecord{});
    row = std::move(taken);
    EXPECT_EQ(row.Get(Field::Date), "d");
}

TEST(RecordRow, LongLineKeptWhole) {
    const std::string note(100'000, 'n');
    const std::string line = std::string(10, diary::kSeparator) + note + diary::kSeparator;
    EXPECT_EQ(RecordRow::FromLine("1", line).Get(Field::Note), note);
}

// ---------------------------------------------------------------------------------------------

diary::RecordTable Table(std::vector<std::string> numbers) {
    diary::RecordTable table;
    for (const auto& n : numbers) table.Append(RecordRow(Make(n, {"date of " + n})));
    return table;
}

std::vector<std::string> Numbers(const std::vector<RecordRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.emplace_back(r.Number());
    return out;
}

TEST(RecordTable, FindNumberMatchesWholeText) {
    const auto table = Table({"3", "1", "12"});
    EXPECT_EQ(table.FindNumber("1"), 1);
    EXPECT_EQ(table.FindNumber("12"), 2);
    EXPECT_EQ(table.FindNumber("2"), -1);
    EXPECT_EQ(table.FindNumber("01"), -1);
}

TEST(RecordTable, InNumberOrderSortsByValueNotText) {
    const auto table = Table({"10", "9", "2", "100", "1"});
    EXPECT_EQ(Numbers(table.InNumberOrder()),
              (std::vector<std::string>{"1", "2", "9", "10", "100"}));
    EXPECT_EQ(Numbers(table.Rows()), (std::vector<std::string>{"10", "9", "2", "100", "1"}));
}

TEST(RecordTable, InNumberOrderHandlesNumbersBeyondAnyInteger) {
    const auto table =
        Table({"100000000000000000000000000000", "99999999999999999999999999999", "7"});
    EXPECT_EQ(Numbers(table.InNumberOrder()),
              (std::vector<std::string>{"7", "99999999999999999999999999999",
                                        "100000000000000000000000000000"}));
}

TEST(RecordTable, RemoveAndRenumberKeepsListOrder) {
    auto table = Table({"4", "1", "10", "2", "3", "5", "6", "7", "8", "9", "11"});
    table.RemoveAndRenumber("2");
    EXPECT_EQ(Numbers(table.Rows()),
              (std::vector<std::string>{"3", "1", "9", "2", "4", "5", "6", "7", "8", "10"}));
    // Each row keeps its own fields under its new number.
    EXPECT_EQ(table[0].Get(Field::Date), "date of 4");
    EXPECT_EQ(table[2].Get(Field::Date), "date of 10");
}

TEST(RecordTable, RemoveAndRenumberLastAndOnly) {
    auto table = Table({"1", "2"});
    table.RemoveAndRenumber("2");
    EXPECT_EQ(Numbers(table.Rows()), (std::vector<std::string>{"1"}));
    table.RemoveAndRenumber("1");
    EXPECT_TRUE(table.empty());
}

TEST(RecordTable, RemoveAndRenumberOfUnknownNumberChangesNothing) {
    auto table = Table({"1", "2", "3"});
    table.RemoveAndRenumber("7");
    table.RemoveAndRenumber("02");
    EXPECT_EQ(Numbers(table.Rows()), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(RecordTable, RemoveAndRenumberCarriesAcrossDigits) {
    auto table = Table({"1", "100", "1000", "20"});
    table.RemoveAndRenumber("1");
    EXPECT_EQ(Numbers(table.Rows()), (std::vector<std::string>{"99", "999", "19"}));
}

// The values a table read once stay those of its rows through every change the list makes:
// each kind read so far equals what a table made afresh from the same rows reads.
TEST(RecordTable, ValuesFollowTheRowsThroughEveryChange) {
    const auto cz = diary::RegionalSettings::Czech();
    auto ride = [](int n, std::string date, std::string km, std::string time) {
        return RecordRow(Make(std::to_string(n), {date, "A", "B", "", "10", "2" + km, km, "20,5",
                                                  n % 3 == 0 ? "" : "41.5", time, ""}));
    };
    std::vector<RecordRow> rows;
    for (int n = 1; n <= 40; ++n)
        rows.push_back(ride(n, n % 7 == 0 ? "x" : std::to_string(n % 28 + 1) + ".3.2001",
                            n % 5 == 0 ? "?" : std::to_string(n * 37 % 19) + ",5",
                            std::to_string(n % 4) + " h " + std::to_string(n % 60) + " min"));
    // The first check reads every kind of every field, so all of them are kept through the rest.
    diary::RecordTable table;
    table.Assign(rows, cz);
    auto same = [](double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; };
    auto check = [&](const char* step) {
        SCOPED_TRACE(step);
        const diary::RecordTable fresh(table.Rows());
        for (const diary::FieldInfo& info : diary::kFields) {
            const Field f = info.field;
            for (std::size_t i = 0; i < table.size(); ++i) {
                ASSERT_TRUE(same(table.Decimals(f)[i], fresh.Decimals(f)[i])) << i;
                ASSERT_EQ(table.Dates(f, cz)[i].day, fresh.Dates(f, cz)[i].day) << i;
                ASSERT_TRUE(same(table.RideTimes(f)[i].Minutes(), fresh.RideTimes(f)[i].Minutes()));
                ASSERT_TRUE(same(table.SearchRideTimes(f)[i], fresh.SearchRideTimes(f)[i])) << i;
            }
        }
    };
    check("as opened");
    table.SortByColumn(6, cz);
    check("sorted by distance");
    table.Append(ride(41, "2.4.2001", "77", "9 h 9 min"));
    check("a ride added");
    table.Replace(3, ride(99, "5.5.2005", "1,25", "1 h 1 min"));
    check("a ride replaced");
    table.RemoveAndRenumber("7");
    table.RemoveAndRenumber("41");
    check("rides removed");
}

}  // namespace
