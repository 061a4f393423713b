#include "diary/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>
#include <random>

#include "diary/field_text.h"
#include "diary/record_table.h"
#include "diary/regional.h"

using diary::CompareTexts;
using diary::DiaryRecord;
using diary::Field;
using diary::RecordRow;
using diary::RecordTable;
using diary::RegionalSettings;

namespace {

// List columns as the window numbers them.
constexpr int kNumberColumn = 0, kDateColumn = 1, kFromColumn = 2, kDepartureColumn = 5,
              kDistanceColumn = 6, kRideTimeColumn = 8, kBikeColumn = 12;

RecordRow Row(std::string number, Field field, std::string text) {
    DiaryRecord r;
    r.number = std::move(number);
    r[field] = std::move(text);
    return RecordRow(r);
}

std::vector<std::string> ColumnTexts(const RecordTable& table, int column) {
    std::vector<std::string> out;
    for (const RecordRow& row : table.Rows()) out.emplace_back(row.Column(column));
    return out;
}

// The sort's rule applied to one pair, from the texts themselves rather than the keys SortOrder
// reads ahead: positive when `first` goes after `second` in list column `column`.
int PairRule(const RecordRow& first, const RecordRow& second, int column,
             const RegionalSettings& regional) {
    const std::string_view a = first.Column(column);
    const std::string_view b = second.Column(column);
    auto values = [](std::optional<double> x, std::optional<double> y) {
        return x && y ? (*x >= *y ? 1 : -1) : 0;
    };
    auto whole = [](std::string_view t) -> std::optional<double> {
        long long n = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), n);
        if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
        return static_cast<double>(n);
    };
    switch (column) {
        case 0:
            return values(whole(a), whole(b));
        case 1:
            return values(diary::ReadDateDays(regional, a), diary::ReadDateDays(regional, b));
        case 2:
        case 3:
        case 4:
        case 8:
        case 11:
        case 12:
            return CompareTexts(a, b);
        case 5:
        case 6:
        case 7:
        case 9:
        case 10:
            return values(diary::ParseCommaNumber(a), diary::ParseCommaNumber(b));
        default:
            return 0;
    }
}

// Whether sorting the list [first, second] by `column` puts `second` before `first`.
bool Swaps(const RecordRow& first, const RecordRow& second, int column) {
    const auto order =
        diary::SortOrder(RecordTable({first, second}), column, RegionalSettings::Czech());
    EXPECT_TRUE(order == (std::vector<std::uint32_t>{0, 1}) ||
                order == (std::vector<std::uint32_t>{1, 0}));
    return order == std::vector<std::uint32_t>{1, 0};
}

bool IsPermutation(const std::vector<std::uint32_t>& order, std::size_t count) {
    if (order.size() != count) return false;
    std::vector<bool> seen(count);
    for (std::uint32_t i : order) {
        if (i >= count || seen[i]) return false;
        seen[i] = true;
    }
    return true;
}

TEST(CompareTexts, FoldsOnlyAsciiLetters) {
    const struct {
        const char* a;
        const char* b;
        int result;
    } cases[] = {
        {"brno", "Brno", 0},
        {"Zl\xEDn", "\xC8\xE1slav", 'Z' - 0xC8},
        {"\xC8\xE1slav", "\xE8\xE1slav", 0xC8 - 0xE8},
        {"\xE1", "\xC1", 0xE1 - 0xC1},
        {"abc", "abd", -1},
        {"", "abc", -3},
        {"Praha ", "praha", 1},
        {"a[", "A{", '[' - '{'},
        {"10 h 0 min", "2 h 15 min", '1' - '2'},
        {"10 h 0 min", "9 h 30 min", '1' - '9'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(CompareTexts(c.a, c.b), c.result);
    }
}

// A number goes after another when it is greater or equal; a text that is no number moves
// nothing, on either side.
TEST(SortOrder, NumberColumnsReadCommaOrPoint) {
    const struct {
        const char* a;
        const char* b;
        bool swaps;
    } cases[] = {
        {"9.3", "12,5", false}, {"12,5", "100", false}, {"100", "9.3", true},
        {"12,5", "12.5", true}, {"12.5", "12,5", true}, {"", "1", false},
        {"1", "", false},       {"12 km", "1", false},  {"-3", "-2", false},
        {"1e2", "99", true},    {".", "0", true},       {"1E400", "1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(Swaps(Row("1", Field::DistanceKm, c.a), Row("2", Field::DistanceKm, c.b),
                        kDistanceColumn),
                  c.swaps);
    }
}

TEST(SortOrder, EachColumnHasItsOwnRule) {
    const struct {
        RecordRow first;
        RecordRow second;
        int column;
        bool swaps;
    } cases[] = {
        {Row("2", Field::Note, ""), Row("10", Field::Note, ""), 0, false},
        {Row("10", Field::Note, ""), Row("2", Field::Note, ""), 0, true},
        {Row("3", Field::Note, ""), Row("3", Field::Note, ""), 0, true},
        {Row("x", Field::Note, ""), Row("3", Field::Note, ""), 0, false},
        {Row("3", Field::Note, ""), Row("x", Field::Note, ""), 0, false},
        {Row("1", Field::Date, "2.5.2001"), Row("2", Field::Date, "10.4.2001"), 1, true},
        {Row("1", Field::Date, "1.5.2001"), Row("2", Field::Date, "1.5.2001"), 1, true},
        {Row("1", Field::Date, "9.4.2001"), Row("2", Field::Date, "10.4.2001"), 1, false},
        {Row("1", Field::Date, "2001-04-09"), Row("2", Field::Date, "10.4.2001"), 1, false},
        {Row("1", Field::Date, "31.2.2001"), Row("2", Field::Date, "10.4.2001"), 1, false},
        {Row("1", Field::From, "brno"), Row("2", Field::From, "Brno"), 2, false},
        {Row("1", Field::Via, "Zl\xEDn"), Row("2", Field::Via, "\xC8\xE1slav"), 3, false},
        {Row("1", Field::Via, "\xC8\xE1slav"), Row("2", Field::Via, "Zl\xEDn"), 3, true},
        {Row("1", Field::To, "b"), Row("2", Field::To, "a"), 4, true},
        {Row("1", Field::DepartureKm, "100"), Row("2", Field::DepartureKm, "25"), 5, true},
        {Row("1", Field::DepartureKm, "1 200"), Row("2", Field::DepartureKm, "5"), 5, false},
        {Row("1", Field::DistanceKm, "9.3"), Row("2", Field::DistanceKm, "12,5"), 6, false},
        {Row("1", Field::ArrivalKm, "35"), Row("2", Field::ArrivalKm, "35,0"), 7, true},
        // Ride times are texts: "2 h" after "10 h".
        {Row("1", Field::RideTime, "2 h 15 min"), Row("2", Field::RideTime, "10 h 0 min"), 8, true},
        {Row("1", Field::AvgSpeed, "10"), Row("2", Field::AvgSpeed, "9,5"), 9, true},
        {Row("1", Field::MaxSpeed, "41"), Row("2", Field::MaxSpeed, ""), 10, false},
        {Row("1", Field::Note, "b"), Row("2", Field::Note, "A"), 11, true},
        {Row("1", Field::Note, "b"), Row("2", Field::Note, "A"), 13, false},
        // The bike sorts as a text; the note column does not look at it.
        {Row("1", Field::Bike, "favorit"), Row("2", Field::Bike, "Favorit"), 12, false},
        {Row("1", Field::Bike, "b"), Row("2", Field::Bike, "A"), 12, true},
        {Row("1", Field::Bike, ""), Row("2", Field::Bike, "Author"), 12, false},
        {Row("1", Field::Bike, "\x8Akoda"), Row("2", Field::Bike, "Zeta"), 12, true},
        {Row("1", Field::Bike, "b"), Row("2", Field::Bike, "a"), 11, false},
        {Row("1", Field::Note, "b"), Row("2", Field::Note, "A"), -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(Swaps(c.first, c.second, c.column), c.swaps);
    }
}

TEST(MergeSortOrder, ReturnsAPermutationWhateverTheComparisonAnswers) {
    std::mt19937 rng(7);
    for (std::size_t count : {0u, 1u, 2u, 3u, 5u, 16u, 17u, 100u, 1000u}) {
        for (int trial = 0; trial < 20; ++trial) {
            std::uniform_int_distribution<int> answer(-2, 2);
            auto order = diary::MergeSortOrder(count, [&](std::uint32_t a, std::uint32_t b) {
                EXPECT_LT(a, count);
                EXPECT_LT(b, count);
                return answer(rng);
            });
            EXPECT_TRUE(IsPermutation(order, count)) << count;
        }
    }
}

TEST(MergeSortOrder, SortsStablyOnTheSignAlone) {
    const std::vector<int> keys = {5, 3, 5, 1, 3, 9, 0, 5};
    auto order = diary::MergeSortOrder(keys.size(), [&](std::uint32_t a, std::uint32_t b) {
        return keys[a] > keys[b] ? 1000 : (keys[a] < keys[b] ? -7 : 0);
    });
    EXPECT_EQ(order, (std::vector<std::uint32_t>{6, 3, 1, 4, 0, 2, 7, 5}));

    // Equal keys answering 1 both ways still sort; only their relative order is free.
    auto order2 = diary::MergeSortOrder(
        keys.size(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] >= keys[b] ? 1 : -1; });
    ASSERT_TRUE(IsPermutation(order2, keys.size()));
    for (std::size_t i = 1; i < order2.size(); ++i) EXPECT_LE(keys[order2[i - 1]], keys[order2[i]]);
}

// The pre-parsed keys of SortOrder must give exactly the answers of the rule applied pair by
// pair, so the two orders agree element for element under the same merge.
TEST(SortOrder, AgreesWithTheRuleAppliedPairByPair) {
    const std::vector<std::string> dates = {"1.5.2001",   "01.05.2001", "31.12.1999",
                                            "29.2.2000",  "31.2.2001",  "",
                                            "2001-05-01", "5.1.01",     "x"};
    const std::vector<std::string> texts = {
        "brno", "Brno", "Zl\xEDn", "\xC8\xE1slav", "\xE8\xE1slav", "", "a", "A ", "10 h 0 min",
        "9 h 30 min", "Prefix123456a", "PREFIX123456B", "prefix123456", "prefix12", "pref",
        // around the sixteen bytes a sort key holds
        "prefix123456789", "Prefix1234567890", "prefix1234567890x", "PREFIX1234567890A",
        std::string("prefix1234567890\0", 17), std::string("ab\0", 3), "ab"};
    const std::vector<std::string> numbers = {"9.3",
                                              "12,5",
                                              "100",
                                              "",
                                              "1 200",
                                              "-1",
                                              "35",
                                              "35,0",
                                              ".",
                                              "1e3",
                                              "x",
                                              "1E400",
                                              "9007199254740993",
                                              "1e22",
                                              "1e23",
                                              "0,1",
                                              "-0",
                                              "123456789012345678901"};
    const std::vector<std::string> wholes = {"1", "2", "10", "2", "x", "-3", ""};
    // Columns where every value reads take another way to the same order.
    const std::vector<std::string> readableDates = {"1.5.2001", "31.12.1999", "29.2.2000"};
    const std::vector<std::string> readableNumbers = {"9.3",  "12,5", "100", "-1",   "35",
                                                      "35,0", "0",    "-0",  "1E400"};
    const std::vector<std::string> readableWholes = {"1", "2", "10", "2", "-3"};
    std::mt19937 rng(42);
    auto pick = [&](const std::vector<std::string>& pool) {
        return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng)];
    };
    const RegionalSettings cz = RegionalSettings::Czech();
    for (const bool readable : {false, true}) {
        std::vector<RecordRow> rows;
        for (int i = 0; i < 300; ++i) {
            DiaryRecord r;
            r.number = pick(readable ? readableWholes : wholes);
            r[Field::Date] = pick(readable ? readableDates : dates);
            for (Field f :
                 {Field::From, Field::To, Field::Via, Field::RideTime, Field::Note, Field::Bike})
                r[f] = pick(texts);
            // Texts that hardly repeat take another way to the same order.
            if (readable) r[Field::Note] += std::to_string(i % 150);
            for (Field f : {Field::DepartureKm, Field::ArrivalKm, Field::DistanceKm,
                            Field::AvgSpeed, Field::MaxSpeed})
                r[f] = pick(readable ? readableNumbers : numbers);
            rows.emplace_back(r);
        }
        // A table sorted before sorts its list order further, as the list does.
        RecordTable sorted(rows);
        for (int column = 0; column <= kBikeColumn; ++column) {
            SCOPED_TRACE(std::to_string(column) + (readable ? " readable" : ""));
            auto expected =
                diary::MergeSortOrder(rows.size(), [&](std::uint32_t a, std::uint32_t b) {
                    return PairRule(rows[a], rows[b], column, cz);
                });
            EXPECT_EQ(diary::SortOrder(RecordTable(rows), column, cz), expected);
            const std::vector<RecordRow> before = sorted.Rows();
            auto expectedRows =
                diary::MergeSortOrder(before.size(), [&](std::uint32_t a, std::uint32_t b) {
                    return PairRule(before[a], before[b], column, cz);
                });
            sorted.SortByColumn(column, cz);
            for (std::size_t i = 0; i < expectedRows.size(); ++i)
                ASSERT_EQ(sorted[i], before[expectedRows[i]]) << i;
        }
    }
}

// Unreadable numbers are walls the merge sort never moves a key past; where each key ends
// depends on the runs and merges, which long columns with few or many walls all exercise.
TEST(SortOrder, UnreadableNumbersEndWhereTheMergeSortLeavesThem) {
    struct Case {
        int rows;
        int wallEvery;  // one unreadable text in about this many
        int rising;     // 0: values at random; 1: rising with ties now and then; 2: rising
    };
    const RegionalSettings cz = RegionalSettings::Czech();
    std::mt19937 rng(7);
    for (const Case c : {Case{17, 2, 0}, Case{100, 1, 0}, Case{1000, 3, 0}, Case{1000, 40, 0},
                         Case{5000, 200, 0}, Case{4099, 1000, 0}, Case{3000, 7, 0}, Case{600, 9, 1},
                         Case{600, 100000, 1}, Case{600, 9, 2}}) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, a wall in " + std::to_string(c.wallEvery));
        std::vector<RecordRow> rows;
        for (int i = 0; i < c.rows; ++i) {
            // Few distinct values, so equal keys meet in every merge; -0 equals 0.
            const auto value = c.rising == 0   ? static_cast<int>(rng() % 40) - 3
                               : c.rising == 1 ? i - static_cast<int>(rng() % 50 == 0)
                                               : i;
            std::string text = rng() % static_cast<unsigned>(c.wallEvery) == 0 ? "?"
                               : value == -3                                   ? "-0"
                                             : std::to_string(value);
            if (value > 30) text += ",5";
            rows.push_back(Row(std::to_string(i + 1), Field::DistanceKm, text));
        }
        const auto expected =
            diary::MergeSortOrder(rows.size(), [&](std::uint32_t a, std::uint32_t b) {
                return PairRule(rows[a], rows[b], kDistanceColumn, cz);
            });
        EXPECT_EQ(diary::SortOrder(RecordTable(rows), kDistanceColumn, cz), expected);
    }
}

TEST(SortByColumn, ReordersRowsAscending) {
    const RegionalSettings cz = RegionalSettings::Czech();
    RecordTable table({Row("1", Field::DistanceKm, "100"), Row("2", Field::DistanceKm, "12,5"),
                       Row("3", Field::DistanceKm, "9.3")});
    table.SortByColumn(kDistanceColumn, cz);
    EXPECT_EQ(ColumnTexts(table, kDistanceColumn),
              (std::vector<std::string>{"9.3", "12,5", "100"}));
    EXPECT_EQ(ColumnTexts(table, kNumberColumn), (std::vector<std::string>{"3", "2", "1"}));

    table.SortByColumn(kDistanceColumn, cz);
    EXPECT_EQ(ColumnTexts(table, kNumberColumn), (std::vector<std::string>{"3", "2", "1"}));

    table.SortByColumn(kNumberColumn, cz);
    EXPECT_EQ(ColumnTexts(table, kNumberColumn), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(ColumnTexts(table, kDistanceColumn),
              (std::vector<std::string>{"100", "12,5", "9.3"}));
}

TEST(SortByColumn, TextAndDateColumns) {
    const RegionalSettings cz = RegionalSettings::Czech();
    RecordTable places({Row("1", Field::From, "\xE8\xE1slav"), Row("2", Field::From, "Zl\xEDn"),
                        Row("3", Field::From, "\xC8\xE1slav")});
    places.SortByColumn(kFromColumn, cz);
    EXPECT_EQ(ColumnTexts(places, kFromColumn),
              (std::vector<std::string>{"Zl\xEDn", "\xC8\xE1slav", "\xE8\xE1slav"}));

    RecordTable times(
        {Row("1", Field::RideTime, "2 h 15 min"), Row("2", Field::RideTime, "10 h 0 min")});
    times.SortByColumn(kRideTimeColumn, cz);
    EXPECT_EQ(ColumnTexts(times, kRideTimeColumn),
              (std::vector<std::string>{"10 h 0 min", "2 h 15 min"}));

    RecordTable dates({Row("1", Field::Date, "2.5.2001"), Row("2", Field::Date, "10.4.2001"),
                       Row("3", Field::Date, "1.1.2002")});
    dates.SortByColumn(kDateColumn, cz);
    EXPECT_EQ(ColumnTexts(dates, kDateColumn),
              (std::vector<std::string>{"10.4.2001", "2.5.2001", "1.1.2002"}));

    RecordTable bikes({Row("1", Field::Bike, "\x8Akoda"), Row("2", Field::Bike, "author"),
                       Row("3", Field::Bike, ""), Row("4", Field::Bike, "Zeta"),
                       Row("5", Field::Bike, "Author")});
    bikes.SortByColumn(kBikeColumn, cz);
    EXPECT_EQ(ColumnTexts(bikes, kBikeColumn),
              (std::vector<std::string>{"", "author", "Author", "Zeta", "\x8Akoda"}));
    EXPECT_EQ(ColumnTexts(bikes, kNumberColumn),
              (std::vector<std::string>{"3", "2", "5", "4", "1"}));

    RecordTable unchanged({Row("2", Field::Note, "b"), Row("1", Field::Note, "a")});
    unchanged.SortByColumn(13, cz);
    EXPECT_EQ(ColumnTexts(unchanged, kNumberColumn), (std::vector<std::string>{"2", "1"}));
}

// Any number text is taken (a list can be handed rows from anywhere); leading zeros count for
// nothing in the order, and renumbering goes down to 0.
TEST(RecordTable, InNumberOrderAndRenumberingReadNumbersByValue) {
    const RecordTable table({Row("10", Field::Note, "d"), Row("002", Field::Note, "b"),
                             Row("1", Field::Note, "a"), Row("09", Field::Note, "c")});
    std::vector<std::string> order;
    for (const RecordRow& row : table.InNumberOrder()) order.emplace_back(row.Number());
    EXPECT_EQ(order, (std::vector<std::string>{"1", "002", "09", "10"}));

    RecordTable fromZero({Row("0", Field::Note, "a"), Row("1", Field::Note, "b")});
    fromZero.RemoveAndRenumber("0");
    EXPECT_EQ(ColumnTexts(fromZero, kNumberColumn), (std::vector<std::string>{"0"}));
    EXPECT_EQ(fromZero[0].Get(Field::Note), "b");

    RecordTable padded(
        {Row("1", Field::Note, "a"), Row("02", Field::Note, "b"), Row("010", Field::Note, "c")});
    padded.RemoveAndRenumber("1");
    EXPECT_EQ(ColumnTexts(padded, kNumberColumn), (std::vector<std::string>{"1", "9"}));
}

TEST(SortByColumn, HundredThousandRowsSortQuickly) {
    std::mt19937 rng(1);
    std::vector<RecordRow> rows;
    rows.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        DiaryRecord r;
        r.number = std::to_string(i + 1);
        r[Field::Date] = std::to_string(rng() % 28 + 1) + "." + std::to_string(rng() % 12 + 1) +
                         "." + std::to_string(1990 + rng() % 30);
        r[Field::From] = "Place " + std::to_string(rng() % 5000);
        r[Field::DepartureKm] = std::to_string(rng() % 100000) + "," + std::to_string(rng() % 10);
        rows.emplace_back(r);
    }
    RecordTable table(std::move(rows));
    const RegionalSettings cz = RegionalSettings::Czech();
    for (int column : {kDateColumn, kFromColumn, kDepartureColumn, kNumberColumn}) {
        const auto start = std::chrono::steady_clock::now();
        table.SortByColumn(column, cz);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        EXPECT_LT(ms, 1000) << "column " << column;
    }
    EXPECT_EQ(table[0].Number(), "1");
    EXPECT_EQ(table[99999].Number(), "100000");
}

}  // namespace
