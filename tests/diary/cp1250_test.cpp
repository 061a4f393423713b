#include "diary/cp1250.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <ostream>
#include <string>

namespace {

using namespace std::string_literals;

std::string AllBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
}

TEST(Cp1250, EveryByteRoundTripsThroughUtf16) {
    const std::u16string wide = diary::Cp1250ToUtf16(AllBytes());
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(diary::Utf16ToCp1250(wide), AllBytes());
}

TEST(Cp1250, EveryByteRoundTripsThroughUtf8) {
    EXPECT_EQ(diary::Utf8ToCp1250(diary::Cp1250ToUtf8(AllBytes())), AllBytes());
}

TEST(Cp1250, UndefinedBytesStandForC1Controls) {
    for (unsigned char b : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(diary::Cp1250ToUtf16(byte), std::u16string(1, char16_t{b})) << int{b};
        EXPECT_TRUE(diary::IsCp1250Representable(char16_t{b}));
    }
}

TEST(Cp1250, AsciiIsItself) {
    for (int b = 0; b < 0x80; ++b) {
        EXPECT_EQ(diary::Cp1250ToUtf16(std::string(1, static_cast<char>(b))),
                  std::u16string(1, static_cast<char16_t>(b)));
    }
}

struct LetterCase {
    const char* name;
    unsigned char byte;
    char16_t unit;
};

void PrintTo(const LetterCase& c, std::ostream* os) { *os << c.name; }

class Cp1250Letter : public testing::TestWithParam<LetterCase> {};

TEST_P(Cp1250Letter, MapsBothWays) {
    const std::string byte(1, static_cast<char>(GetParam().byte));
    EXPECT_EQ(diary::Cp1250ToUtf16(byte), std::u16string(1, GetParam().unit));
    EXPECT_EQ(diary::Utf16ToCp1250(std::u16string(1, GetParam().unit)), byte);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1250Letter,
    testing::Values(LetterCase{"Euro", 0x80, 0x20AC}, LetterCase{"SCaron", 0x8A, 0x0160},
                    LetterCase{"sCaron", 0x9A, 0x0161}, LetterCase{"ZCaron", 0x8E, 0x017D},
                    LetterCase{"zCaron", 0x9E, 0x017E}, LetterCase{"Section", 0xA7, 0x00A7},
                    LetterCase{"NoBreakSpace", 0xA0, 0x00A0}, LetterCase{"Caron", 0xA1, 0x02C7},
                    LetterCase{"CCaron", 0xC8, 0x010C}, LetterCase{"eCaron", 0xEC, 0x011B},
                    LetterCase{"rCaron", 0xF8, 0x0159}, LetterCase{"uRing", 0xF9, 0x016F},
                    LetterCase{"yAcute", 0xFD, 0x00FD}, LetterCase{"DotAbove", 0xFF, 0x02D9},
                    LetterCase{"TradeMark", 0x99, 0x2122}, LetterCase{"EnDash", 0x96, 0x2013}),
    [](const testing::TestParamInfo<LetterCase>& info) { return std::string(info.param.name); });

// The C library's own table agrees on every byte the code page defines.
TEST(Cp1250, AgreesWithIconvOnEveryDefinedByte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1250");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no CP1250 converter in this libc";
    int compared = 0;
    for (int b = 0x80; b < 0x100; ++b) {
        char in = static_cast<char>(b);
        char out[4] = {};
        char* inp = &in;
        char* outp = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1)) {
            continue;  // one of the five holes
        }
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                static_cast<unsigned char>(out[1]) << 8);
        EXPECT_EQ(diary::Cp1250ToUtf16(std::string(1, in)), std::u16string(1, unit)) << b;
        ++compared;
    }
    iconv_close(cd);
    EXPECT_EQ(compared, 123);
}

struct MissingCase {
    const char* name;
    char16_t unit;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class Cp1250Missing : public testing::TestWithParam<MissingCase> {};

TEST_P(Cp1250Missing, CharacterOutsideTheCodePageIsRefused) {
    EXPECT_FALSE(diary::IsCp1250Representable(GetParam().unit));
    EXPECT_EQ(diary::Utf16ToCp1250(u"ab" + std::u16string(1, GetParam().unit)), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1250Missing,
    testing::Values(MissingCase{"C1Euro", 0x0080}, MissingCase{"C1Other", 0x0085},
                    MissingCase{"AE", 0x00C6}, MissingCase{"ATilde", 0x00C3},
                    MissingCase{"Cyrillic", 0x0416}, MissingCase{"Han", 0x65E5},
                    MissingCase{"LoneHighSurrogate", 0xD83D}, MissingCase{"Replacement", 0xFFFD},
                    MissingCase{"Last", 0xFFFF}),
    [](const testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

TEST(Cp1250, Utf8TextsOfTheProgram) {
    EXPECT_EQ(diary::Utf8ToCp1250("Znak § nelze použít."), "Znak \xA7 nelze pou\x9E\xEDt.");
    EXPECT_EQ(diary::Utf8ToCp1250("Přes"),
              "P\xF8"
              "es");
    EXPECT_EQ(diary::Cp1250ToUtf8("\x8Akoda \x80"), "Škoda €");
}

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::string expected;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class Utf8ToCp1250 : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToCp1250, IllFormedOrForeignBecomesQuestionMark) {
    EXPECT_EQ(diary::Utf8ToCp1250(GetParam().utf8), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8ToCp1250,
                         testing::Values(Utf8Case{"Foreign", "a日b", "a?b"},
                                         Utf8Case{"Emoji", "a\xF0\x9F\x9A\xB2!", "a?!"},
                                         Utf8Case{"LoneContinuation", "a\x80z", "a?z"},
                                         Utf8Case{"CutShortAtEnd", "a\xC5", "a?"},
                                         Utf8Case{"CutShortBeforeAscii", "\xE2\x82z", "??z"},
                                         Utf8Case{"Overlong", "\xC0\xAF", "??"},
                                         Utf8Case{"Surrogate", "\xED\xA0\x80", "???"},
                                         Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", "????"},
                                         Utf8Case{"FiveByteLead", "\xF8\x88\x80\x80\x80", "?????"},
                                         Utf8Case{"NulKept", "a\0b"s, "a\0b"s},
                                         Utf8Case{"Empty", "", ""}),
                         [](const testing::TestParamInfo<Utf8Case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
