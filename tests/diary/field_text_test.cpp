#include "diary/field_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

using diary::CommaToDot;
using diary::DotToComma;
using diary::FormatGeneralReal;
using diary::FormatOneDecimal;
using diary::FormatRideTime;
using diary::ParseCommaNumber;
using diary::ParseNumber;
using diary::ParseRideTime;

namespace {

struct NumberCase {
    std::string text;
    std::optional<double> value;
};

// "0.000...0001e<exponent>" with `zeros` zeros after the point.
std::string TinyFraction(std::size_t zeros, const char* exponent) {
    return "0." + std::string(zeros, '0') + "1e" + exponent;
}

TEST(ParseNumber, FollowsTheNumberGrammar) {
    const NumberCase cases[] = {
        {"", std::nullopt},
        {" ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {".", 0.0},
        {"-.", 0.0},
        {"5.", 5.0},
        {".5", 0.5},
        {"+.5", 0.5},
        {"1e5", 1e5},
        {"1E+5", 1e5},
        {"2.5e-3", 2.5e-3},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"e5", std::nullopt},
        {".e1", 0.0},
        {"1 ", std::nullopt},
        {" 1", 1.0},
        {"   -12.75", -12.75},
        {"\t1", std::nullopt},
        {"1,5", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"infinity", std::nullopt},
        {"1E400", std::nullopt},
        {"-1E400", std::nullopt},
        {"1E-400", 0.0},
        {"12 km", std::nullopt},
        {"1.2.3", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"007", 7.0},
        {"1e99999999999999999999", std::nullopt},
        {"1e-99999999999999999999", 0.0},
        {"0e99999999999999999999", 0.0},
        {"1 200", std::nullopt},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"4.9e-324", 4.9e-324},
        // Leading zeros of the fraction place the digit: far below any double, or back in range.
        {TinyFraction(400, "5"), 0.0},
        {"-" + TinyFraction(400, "5"), -0.0},
        {TinyFraction(300, "5"), 1e-296},
        {TinyFraction(400, "450"), 1e49},
        {TinyFraction(3, "400"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseNumber(c.text), c.value);
    }
}

TEST(ParseNumber, UnderflowKeepsTheSign) {
    auto v = ParseNumber("-1E-400");
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, 0.0);
    EXPECT_TRUE(std::signbit(*v));
}

TEST(ParseNumber, IgnoresTheCLocale) {
    // A Czech LC_NUMERIC would make the C library read "1,5" and reject "1.5".
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    bool set = false;
    for (const char* name : {"cs_CZ.UTF-8", "cs_CZ.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"})
        if (!set && std::setlocale(LC_NUMERIC, name) != nullptr) set = true;
    if (!set) GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(ParseNumber("1.5"), 1.5);
    EXPECT_EQ(ParseNumber("1,5"), std::nullopt);
    EXPECT_EQ(FormatOneDecimal(1.25), "1.3");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// Short field texts take a quicker road than from_chars; it must land on the very same double.
TEST(ParseNumber, QuickReadingMatchesFromChars) {
    std::mt19937 rng(2001);
    auto digits = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) out += static_cast<char>('0' + rng() % 10);
        return out;
    };
    for (int i = 0; i < 200000; ++i) {
        const std::string whole = digits(static_cast<int>(rng() % 12));
        const std::string fraction = digits(static_cast<int>(rng() % 12));
        std::string text = (rng() % 4 == 0 ? "-" : "") + whole + "." + fraction;
        if (rng() % 3 == 0) text += "e" + std::to_string(static_cast<int>(rng() % 61) - 30);
        std::string canonical = text;
        if (canonical[0] == '-')
            canonical.insert(1, "0");
        else
            canonical.insert(0, "0");
        double expected = 0;
        const auto r =
            std::from_chars(canonical.data(), canonical.data() + canonical.size(), expected);
        const auto got = diary::ParseNumber(text);
        if (r.ec != std::errc() || (whole.empty() && fraction.empty())) continue;
        ASSERT_TRUE(got.has_value()) << text;
        ASSERT_EQ(std::signbit(*got), std::signbit(expected)) << text;
        ASSERT_EQ(*got, expected) << text;
    }
}

// Texts of up to eight characters read eight bytes at once must give what the text reader
// gives, whatever follows them in memory: every text of up to five characters drawn from
// digits, both points and their neighbours in the character table, a blank, a sign, a letter and
// bytes above 127, and longer ones at random, each followed by digits or other bytes.
TEST(CommaNumberOrNaN, EightBytesAtOnceReadAsTheTextReader) {
    // 0xB5 is a digit's byte with the top bit set.
    const std::string alphabet = std::string("019.,/:- x") + '\xE8' + '\xB5';
    std::mt19937 rng(8);
    auto any = [&](unsigned digitsIn4) {
        return rng() % 4 < digitsIn4 ? static_cast<char>('0' + rng() % 10)
                                     : alphabet[rng() % alphabet.size()];
    };
    auto check = [&](const std::string& text) {
        std::string buffer = text;
        for (int i = 0; i < 8; ++i) buffer += any(2);
        const double expected = diary::CommaNumberOrNaN(text);
        const double got = diary::CommaNumberOrNaN(std::string_view(buffer.data(), text.size()),
                                                   buffer.data() + buffer.size());
        ASSERT_TRUE(std::isnan(expected) ? std::isnan(got) : got == expected) << text;
    };
    for (std::size_t size = 1, count = alphabet.size(); size <= 5;
         ++size, count *= alphabet.size()) {
        for (std::size_t n = 0; n < count; ++n) {
            std::string text;
            for (std::size_t k = 0, m = n; k < size; ++k, m /= alphabet.size())
                text += alphabet[m % alphabet.size()];
            check(text);
        }
    }
    for (int i = 0; i < 200000; ++i) {
        std::string text(6 + rng() % 4, ' ');
        for (char& c : text) c = any(3);
        check(text);
    }
}

TEST(ParseCommaNumber, ReadsCommaAndPointAlike) {
    EXPECT_EQ(ParseCommaNumber("21,5"), 21.5);
    EXPECT_EQ(ParseCommaNumber("21.5"), 21.5);
    EXPECT_EQ(ParseCommaNumber(CommaToDot("1,234,5")), std::nullopt);
    EXPECT_EQ(ParseCommaNumber("1,234,5"), std::nullopt);
    EXPECT_EQ(ParseCommaNumber(","), 0.0);
}

TEST(CommaToDot, ChangesOnlyTheSeparators) {
    EXPECT_EQ(CommaToDot("1,234,5"), "1.234.5");
    EXPECT_EQ(DotToComma("1.5 km."), "1,5 km,");
    EXPECT_EQ(CommaToDot("\xC8\xE1slav,"), "\xC8\xE1slav.");
}

TEST(FormatRideTime, TruncatesHoursAndRoundsMinutesHalfToEven) {
    const struct {
        double hours;
        const char* text;
    } cases[] = {
        {1.75, "1 h 45 min"},
        {0.5, "0 h 30 min"},
        {2, "2 h 0 min"},
        {1.9999, "1 h 60 min"},
        {-0.5, "0 h -30 min"},
        {0.125, "0 h 8 min"},
        {0.375, "0 h 22 min"},
        {0, "0 h 0 min"},
        {-0.0, "0 h 0 min"},
        {-1.25, "-1 h -15 min"},
        {-1.0001, "-1 h 0 min"},
        {2147483647, "2147483647 h 0 min"},
        {1e20, "100000000000000000000 h 0 min"},
        {-1e19, "-10000000000000000000 h 0 min"},
        {std::numeric_limits<double>::quiet_NaN(), "?"},
        {std::numeric_limits<double>::infinity(), "?"},
        {-std::numeric_limits<double>::infinity(), "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hours);
        EXPECT_EQ(FormatRideTime(c.hours), c.text);
    }
}

TEST(ParseRideTime, DropsOneCharacterBeforeEachUnit) {
    const struct {
        const char* text;
        double fallback;
        double hours;
    } cases[] = {
        {"1 h 45 min", -1, 1.75},
        {"0 h 0 min", -1, 0},
        {"1h 45 min", -1, -1},
        {"1 h 45min", -1, 1 + 4.0 / 60},
        {"", 0, 0},
        {"abc", 0, 0},
        {"1,5 h 0 min", -1, -1},
        {"1.5 h 0 min", -1, 1.5},
        {"2 h 5 min", -1, 2 + 5.0 / 60},
        {" h  min", -1, -1},
        {"?", 7, 7},
        {"1 h 30", -1, 1 + 3.0 / 60},  // no "m": the minutes run to the end
        {"10 h 0 min", 2147483647, 10},
        {"-1 h -30 min", 0, -1.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ParseRideTime(c.text, c.fallback), c.hours);
    }
}

// Minutes take a quick road for the program's own form; every text must read as the rule reads it.
TEST(RideTimeMinutesOrNaN, ReadsWhatParseRideTimeReads) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const char* text :
         {"1 h 45 min", "01 h 05 min", "1 h 45 mhx", "1 h 45min", "1h 45 min", "1 h 45", "12 h 3 m",
          " 1 h 45 min", "1 h  45 min", "1 h 45 h min", "1 h x min", "", "1 h 4a min",
          "1234567890123456 h 0 min", "123456789012345 h 7 min", "-1 h 30 min", "1.5 h 0 min"}) {
        SCOPED_TRACE(text);
        const double hours = ParseRideTime(text, nan);
        const double minutes = diary::RideTimeMinutesOrNaN(text);
        ASSERT_EQ(std::isnan(minutes), std::isnan(hours));
        if (!std::isnan(hours)) {
            EXPECT_DOUBLE_EQ(minutes / 60, hours);
        }
    }
    EXPECT_EQ(diary::RideTimeMinutesOrNaN("0 h 10 min") * 6, 60);
}

TEST(ParseRideTime, ReadsBackWhatFormatRideTimeWrites) {
    for (int minutes = 0; minutes < 24 * 60; minutes += 7) {
        const double hours = minutes / 60.0;
        EXPECT_EQ(FormatRideTime(ParseRideTime(FormatRideTime(hours), -1)), FormatRideTime(hours));
    }
}

TEST(FormatOneDecimal, RoundsHalfAwayFromZeroOnTheExactValue) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {12.25, "12.3"}, {12.35, "12.3"},  {0.25, "0.3"},       {0.04, "0.0"},
        {0.05, "0.1"},   {0.15, "0.1"},    {35.5, "35.5"},      {0, "0.0"},
        {9.96, "10.0"},  {99.95, "100.0"}, {-12.25, "-12.3"},   {-0.25, "-0.3"},
        {-0.04, "0.0"},  {-0.0, "0.0"},    {1235.25, "1235.3"}, {1e20, "100000000000000000000.0"},
        {0.95, "0.9"},   {2.675, "2.7"},   {5e-324, "0.0"},     {1234.5, "1234.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatOneDecimal(c.value), c.text);
    }
}

TEST(FormatGeneralReal, FifteenDigitsFixedOrExponent) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {35, "35"},
        {12.5, "12,5"},
        {20.75, "20,75"},
        {2147483647, "2147483647"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {1e15, "1E15"},
        {999999999999999, "999999999999999"},
        {31.0 / 3, "10,3333333333333"},
        {0, "0"},
        {-0.0, "0"},
        {-3, "-3"},
        {-0.5, "-0,5"},
        {0.05, "0,05"},
        {1.5e-7, "1,5E-7"},
        {1.25e20, "1,25E20"},
        {123456789012345678.0, "1,23456789012346E17"},
        {0.1 + 0.2, "0,3"},
        {1e100, "1E100"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatGeneralReal(c.value, ","), c.text);
    }
    EXPECT_EQ(FormatGeneralReal(12.5, "."), "12.5");
}

}  // namespace
