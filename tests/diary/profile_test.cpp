#include "diary/profile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "diary/errors.h"

namespace {

using namespace std::string_literals;
using diary::Profile;

// ---------------------------------------------------------------------------------------------
// Reading, as the Windows profile functions read.

struct ReadCase {
    const char* name;
    std::string bytes;
    std::string section;
    std::string key;
    std::optional<std::string> expected;  // nullopt: the key is not found
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

std::string PrintReadCase(const testing::TestParamInfo<ReadCase>& info) { return info.param.name; }

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsWhatWindowsFinds) {
    const ReadCase& c = GetParam();
    Profile profile(c.bytes);
    const auto found = profile.Find(c.section, c.key);
    if (c.expected) {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(std::string(*found), *c.expected);
        EXPECT_EQ(profile.Get(c.section, c.key, "fallback"), *c.expected);
    } else {
        EXPECT_FALSE(found.has_value()) << "found \"" << std::string(*found) << "\"";
        EXPECT_EQ(profile.Get(c.section, c.key, "fallback"), "fallback");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileRead,
    testing::Values(
        // Line ends.
        ReadCase{"Crlf", "[s]\r\na=1\r\nb=2\r\n", "s", "b", "2"},
        ReadCase{"Lf", "[s]\na=1\nb=2\n", "s", "b", "2"},
        ReadCase{"LoneCr", "[s]\ra=1\rb=2\r", "s", "b", "2"},
        ReadCase{"MixedEnds", "[s]\ra=1\nb=2\r\nc=3", "s", "c", "3"},
        ReadCase{"LastLineWithoutEnd", "[s]\r\na=1", "s", "a", "1"},
        ReadCase{"CrBeforeLfIsOneEnd", "[s]\r\na=1\r\n", "s", "a", "1"},
        ReadCase{"EmptyFile", "", "s", "a", std::nullopt},
        ReadCase{"OnlyBracketAtEnd", "[", "", "a", std::nullopt},
        // Comments.
        ReadCase{"CommentLineIsNoKey", "[s]\r\n;a=1\r\n", "s", ";a", std::nullopt},
        ReadCase{"IndentedCommentIsNoKey", "[s]\r\n  \t;a=1\r\n", "s", ";a", std::nullopt},
        ReadCase{"CommentDoesNotHideLaterKey", "[s]\r\n;a=1\r\na=2\r\n", "s", "a", "2"},
        ReadCase{"NoInlineComment", "[s]\r\na=1 ;not a comment\r\n", "s", "a", "1 ;not a comment"},
        ReadCase{"HashIsNoComment", "[s]\r\n#a=1\r\n", "s", "#a", "1"},
        // Section headers.
        ReadCase{"HeaderWithoutBracket", "[data\r\n1=x\r\n", "data", "1", "x"},
        ReadCase{"HeaderTrimmedAndTailIgnored", "[ Data ]x\r\n1=x\r\n", "Data", "1", "x"},
        ReadCase{"HeaderEndsAtFirstBracket", "[a]b]\r\nk=v\r\n", "a", "k", "v"},
        ReadCase{"IndentedHeader", "  [s]\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"EmptySectionName", "[]\r\nk=v\r\n", "", "k", "v"},
        ReadCase{"LinesBeforeFirstSectionUnreachable", "k=v\r\n[s]\r\n", "", "k", std::nullopt},
        ReadCase{"KeyOfOtherSectionNotFound", "[a]\r\nk=v\r\n[s]\r\n", "s", "k", std::nullopt},
        // Case.
        ReadCase{"SectionCaseIgnored", "[DaTa]\r\nk=v\r\n", "data", "k", "v"},
        ReadCase{"KeyCaseIgnored", "[s]\r\nKEY=v\r\n", "s", "key", "v"},
        ReadCase{"ValueCaseKept", "[s]\r\nk=MiXeD\r\n", "s", "k", "MiXeD"},
        ReadCase{"OnlyAsciiCaseFolded", "[s]\r\n\x8A=v\r\n", "s", "\x9A", std::nullopt},
        // Blanks.
        ReadCase{"KeyAndValueTrimmed", "[s]\r\n \t k \t = \t v \t \r\n", "s", "k", "v"},
        ReadCase{"ValueLosesVerticalTab", "[s]\r\nk=\vv\v\r\n", "s", "k", "v"},
        ReadCase{"InnerBlanksKept", "[s]\r\nk=a  b\r\n", "s", "k", "a  b"},
        ReadCase{"CallerArgumentsLoseSpaces", "[s]\r\nk=v\r\n", "  s ", " k  ", "v"},
        ReadCase{"CallerArgumentsKeepTabs", "[s]\r\nk=v\r\n", "s", "\tk", std::nullopt},
        // Quotes.
        ReadCase{"DoubleQuotesRemoved", "[s]\r\nk=\"  v  \"\r\n", "s", "k", "  v  "},
        ReadCase{"SingleQuotesRemoved", "[s]\r\nk='v'\r\n", "s", "k", "v"},
        ReadCase{"QuotesAfterTrimRemoved", "[s]\r\nk=  \"v\"  \r\n", "s", "k", "v"},
        ReadCase{"OnlyOnePairRemoved", "[s]\r\nk=\"\"v\"\"\r\n", "s", "k", "\"v\""},
        ReadCase{"MismatchedQuotesKept", "[s]\r\nk=\"v'\r\n", "s", "k", "\"v'"},
        ReadCase{"LoneQuoteKept", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        ReadCase{"EmptyQuotesGiveEmpty", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
        ReadCase{"NamesNeverUnquoted", "[s]\r\n\"k\"=v\r\n", "s", "k", std::nullopt},
        // Keys.
        ReadCase{"EmptyValueIsFound", "[s]\r\nk=\r\n", "s", "k", ""},
        ReadCase{"LineWithoutEqualsIsNoKey", "[s]\r\nk\r\n", "s", "k", std::nullopt},
        ReadCase{"EqualsAtStartIsEmptyKey", "[s]\r\n=v\r\n", "s", "", "v"},
        ReadCase{"ValueMayHoldEquals", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        // Duplicates.
        ReadCase{"FirstKeyWins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
        ReadCase{"OnlyFirstSectionSearched", "[s]\r\na=1\r\n[s]\r\nk=2\r\n", "s", "k",
                 std::nullopt},
        ReadCase{"FirstSectionWinsAcrossCase", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "S", "k", "1"},
        // Odd bytes.
        ReadCase{"NulInsideValueKept", "[s]\r\nk=a\0b\r\n"s, "s", "k", "a\0b"s},
        ReadCase{"NulBeforeFirstSection", "\0\0\r\n[s]\r\nk=v\r\n"s, "s", "k", "v"},
        ReadCase{"Utf8BomBelongsToLineOne", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", std::nullopt},
        ReadCase{"Utf8BomDoesNotHideLaterSections", "\xEF\xBB\xBF[a]\r\n[s]\r\nk=v\r\n", "s", "k",
                 "v"},
        ReadCase{"Cp1250ValueKept", "[s]\r\nk=\x8E\xE1\x9A\xA7\r\n", "s", "k", "\x8E\xE1\x9A\xA7"}),
    PrintReadCase);

TEST(ProfileRead, ValueHasNoLengthLimit) {
    const std::string value(100'000, 'x');
    Profile profile("[s]\r\nk=" + value + "\r\n");
    EXPECT_EQ(profile.Get("s", "k", ""), value);
}

TEST(ProfileEntries, ListsKeyLinesOfFirstSectionInOrderWithDuplicates) {
    Profile profile(
        "k=0\r\n[s]\r\nb=2\r\n;c=3\r\nnoequals\r\n\r\na = 1 "
        "\r\nb=4\r\n[t]\r\nz=9\r\n[s]\r\nq=5\r\n");
    const auto entries = profile.Entries("S");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].key, "b");
    EXPECT_EQ(entries[0].value, "2");
    EXPECT_EQ(entries[1].key, "a");
    EXPECT_EQ(entries[1].value, "1");
    EXPECT_EQ(entries[2].key, "b");
    EXPECT_EQ(entries[2].value, "4");
    EXPECT_TRUE(profile.Entries("missing").empty());
}

// ---------------------------------------------------------------------------------------------
// The numbered runs that diaries and place lists are made of.

struct RunCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> expected;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class NumberedKeys : public testing::TestWithParam<RunCase> {};

TEST_P(NumberedKeys, ReadsKeysOneByOneUntilTheFirstMissing) {
    const RunCase& c = GetParam();
    std::vector<std::string> got;
    for (const auto& line : diary::NumberedKeyLines(c.bytes, "Data")) got.emplace_back(line.value);
    EXPECT_EQ(got, c.expected);

    // The lighter forms the readers use find the same run.
    std::vector<std::string> entries;
    for (const auto& e : diary::NumberedEntries(c.bytes, "data")) {
        EXPECT_EQ(e.key, std::to_string(entries.size() + 1));
        entries.emplace_back(e.value);
    }
    EXPECT_EQ(entries, c.expected);
    std::vector<std::string> handed;
    diary::ForEachNumberedEntry(c.bytes, "DATA", [&](const diary::Profile::Entry& e) {
        EXPECT_EQ(e.key, std::to_string(handed.size() + 1));
        handed.emplace_back(e.value);
    });
    EXPECT_EQ(handed, c.expected);
    // Adding to the run counts it in the same walk: the run goes on with the new values (and
    // then with any keys that stood beyond a gap they closed).
    Profile grown(c.bytes);
    EXPECT_EQ(grown.AppendToRun("data", {"n1", "n2"}), c.expected.size() + 1);
    const std::string grownBytes = grown.Bytes();
    std::vector<std::string> after;
    for (const auto& line : diary::NumberedKeyLines(grownBytes, "Data"))
        after.emplace_back(line.value);
    std::vector<std::string> wanted = c.expected;
    wanted.insert(wanted.end(), {"n1", "n2"});
    ASSERT_GE(after.size(), wanted.size());
    after.resize(wanted.size());
    EXPECT_EQ(after, wanted);
    for (std::size_t n = 1; n <= c.expected.size() + 1; ++n) {
        const auto line = diary::NumberedKeyLine(c.bytes, "Data", n);
        ASSERT_EQ(line.has_value(), n <= c.expected.size()) << "key " << n;
        if (line) {
            EXPECT_EQ(line->value, c.expected[n - 1]) << "key " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberedKeys,
    testing::Values(
        RunCase{"InOrder", "[Data]\r\n1=a\r\n2=b\r\n3=c\r\n", {"a", "b", "c"}},
        RunCase{"GapEndsRun", "[Data]\r\n1=a\r\n2=b\r\n4=d\r\n", {"a", "b"}},
        RunCase{"NoKeyOne", "[Data]\r\n2=b\r\n3=c\r\n", {}},
        RunCase{"OutOfOrder", "[data]\r\n3=c\r\n1=a\r\n2=b\r\n", {"a", "b", "c"}},
        RunCase{"FirstDuplicateWins", "[Data]\r\n1=a\r\n1=x\r\n2=b\r\n", {"a", "b"}},
        RunCase{"KeyAheadAfterInOrderOnes",
                "[Data]\r\n1=a\r\n3=c\r\n2=b\r\n3=x\r\n4=d\r\n",
                {"a", "b", "c", "d"}},
        RunCase{"KeyBeyondAGap", "[Data]\r\n1=a\r\n3=c\r\n", {"a"}},
        RunCase{"KeyAheadThatNeverJoins", "[Data]\r\n1=a\r\n9=z\r\n2=b\r\n", {"a", "b"}},
        RunCase{"EarlyDuplicateWinsOverInOrderOne", "[Data]\r\n2=x\r\n1=a\r\n2=b\r\n", {"a", "x"}},
        RunCase{"LeadingZeroIsOtherKey", "[Data]\r\n01=a\r\n", {}},
        RunCase{"PlusSignIsOtherKey", "[Data]\r\n+1=a\r\n", {}},
        RunCase{"BlanksAroundKeyTrimmed", "[Data]\r\n 1 =a\r\n\t2\t=b\r\n", {"a", "b"}},
        RunCase{"HugeKeyDoesNotOverflow",
                "[Data]\r\n1=a\r\n100000000000000000000000000002=z\r\n18446744073709551618=y\r\n",
                {"a"}},
        RunCase{"ErrorIsAValue", "[Data]\r\n1=error\r\n2=b\r\n", {"error", "b"}},
        RunCase{"EmptyValueKept", "[Data]\r\n1=\r\n2=b\r\n", {"", "b"}},
        RunCase{"CommentsAndBlanksSkipped", "[Data]\r\n; c\r\n\r\n1=a\r\nx\r\n2=b\r\n", {"a", "b"}},
        RunCase{"OnlyFirstSection", "[Data]\r\n1=a\r\n[Data]\r\n2=b\r\n", {"a"}},
        RunCase{"OtherSectionsIgnored", "[x]\r\n1=q\r\n[Data]\r\n1=a\r\n[y]\r\n2=r\r\n", {"a"}},
        RunCase{"NoSection", "1=a\r\n", {}}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(NumberedKeys, ReportsShadowedCopies) {
    const std::string bytes = "[Data]\r\n1=a\r\n2=b\r\n1=x\r\n5=far\r\n2=y\r\n";
    std::vector<diary::ProfileLine> shadowed;
    const auto run = diary::NumberedKeyLines(bytes, "Data", &shadowed);
    ASSERT_EQ(run.size(), 2u);
    ASSERT_EQ(shadowed.size(), 2u);
    EXPECT_EQ(shadowed[0].value, "x");
    EXPECT_EQ(shadowed[1].value, "y");
}

// ---------------------------------------------------------------------------------------------
// Writing: golden bytes. Every byte a change does not touch stays where it was.

struct WriteCase {
    const char* name;
    std::string before;
    // Returns what a remover reports (whether it changed anything), nullopt for the others.
    std::function<std::optional<bool>(Profile&)> change;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ProfileWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, GivesExactBytes) {
    const WriteCase& c = GetParam();
    Profile profile(c.before);
    const std::optional<bool> changed = c.change(profile);
    EXPECT_EQ(profile.Bytes(), c.after);
    if (changed) {
        EXPECT_EQ(*changed, c.after != c.before);
    }
}

auto Set(std::string s, std::string k, std::string v) {
    return [=](Profile& p) -> std::optional<bool> {
        p.Set(s, k, v);
        return std::nullopt;
    };
}
auto Append(std::string s, std::vector<std::string> values) {
    return [=](Profile& p) -> std::optional<bool> {
        p.AppendToRun(s, values);
        return std::nullopt;
    };
}
auto RemoveKey(std::string s, std::string k) {
    return [=](Profile& p) -> std::optional<bool> { return p.RemoveKey(s, k); };
}
auto RemoveSection(std::string s) {
    return [=](Profile& p) -> std::optional<bool> { return p.RemoveSection(s); };
}
auto Replace(std::string s, std::string header, std::string keyLines) {
    return [=](Profile& p) -> std::optional<bool> {
        p.ReplaceSectionLines(s, header, keyLines);
        return std::nullopt;
    };
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileWrite,
    testing::Values(
        // Changing a key in place.
        WriteCase{"ChangedKeyKeepsEveryOtherByte",
                  "; top\r\n\r\n[s]\r\na=1\r\n; mid\r\nb=2\r\n\r\n[t]\r\na=5\r\n",
                  Set("s", "a", "9"),
                  "; top\r\n\r\n[s]\r\na=9\r\n; mid\r\nb=2\r\n\r\n[t]\r\na=5\r\n"},
        WriteCase{"ChangedKeyKeepsFilesSpelling", "[Soubor]\r\nFILE=old\r\n",
                  Set("soubor", "file", "new"), "[Soubor]\r\nFILE=new\r\n"},
        WriteCase{"ChangedLineEndsInCrlfOthersKeepTheirs", "[s]\na=1\nb=2\rc=3", Set("s", "b", "x"),
                  "[s]\na=1\nb=x\r\nc=3"},
        WriteCase{"ChangedLastLineGetsCrlf", "[s]\r\na=1", Set("s", "a", "2"), "[s]\r\na=2\r\n"},
        WriteCase{"ChangedLineLosesBlanksAroundEquals", "[s]\r\n  a = 1 \r\n", Set("s", "a", "2"),
                  "[s]\r\na=2\r\n"},
        WriteCase{"OnlyFirstOfDuplicateKeysChanged", "[s]\r\na=1\r\na=2\r\n", Set("s", "a", "3"),
                  "[s]\r\na=3\r\na=2\r\n"},
        WriteCase{"OnlyFirstOfDuplicateSectionsChanged", "[s]\r\nb=1\r\n[s]\r\na=2\r\n",
                  Set("s", "a", "3"), "[s]\r\nb=1\r\na=3\r\n[s]\r\na=2\r\n"},
        WriteCase{"BytesBeforeFirstSectionKept", "\0junk\xEF\r\n[s]\r\na=1\r\n"s,
                  Set("s", "a", "2"), "\0junk\xEF\r\n[s]\r\na=2\r\n"s},
        // New keys.
        WriteCase{"NewKeyFollowsLastKeyBeforeTrailingComments",
                  "[s]\r\na=1\r\n; tail\r\n\r\n[t]\r\nx=1\r\n", Set("s", "b", "2"),
                  "[s]\r\na=1\r\nb=2\r\n; tail\r\n\r\n[t]\r\nx=1\r\n"},
        WriteCase{"NewKeyFollowsLastKeyPastInnerComment", "[s]\r\na=1\r\n;c\r\nc=3\r\n\r\n",
                  Set("s", "b", "2"), "[s]\r\na=1\r\n;c\r\nc=3\r\nb=2\r\n\r\n"},
        WriteCase{"NewKeyInEmptySectionFollowsHeader", "[s]\r\n; only a comment\r\n[t]\r\n",
                  Set("s", "a", "1"), "[s]\r\na=1\r\n; only a comment\r\n[t]\r\n"},
        WriteCase{"NewKeyAfterHeaderWithoutLineEnd", "[s]", Set("s", "a", "1"), "[s]\r\na=1\r\n"},
        WriteCase{"NewKeyAfterLastLineWithoutLineEnd", "[s]\r\na=1", Set("s", "b", "2"),
                  "[s]\r\na=1\r\nb=2\r\n"},
        WriteCase{"NewKeyInLfFileLeavesOtherEnds", "[s]\na=1\n", Set("s", "b", "2"),
                  "[s]\na=1\nb=2\r\n"},
        WriteCase{"NewKeyUsesCallersSpelling", "[s]\r\n", Set("S", "Key", "v"), "[s]\r\nKey=v\r\n"},
        WriteCase{"RunGrowsAfterLastKeyBeforeTrailingComments",
                  "[Data]\r\n2=b\r\n1=a\r\n; end\r\n[t]\r\nx=1", Append("data", {"c", "d"}),
                  "[Data]\r\n2=b\r\n1=a\r\n3=c\r\n4=d\r\n; end\r\n[t]\r\nx=1"},
        WriteCase{"RunKeyBeyondAGapReplacedWhereItStands", "[Data]\r\n1=a\r\n3=c\r\n",
                  Append("data", {"b", "new"}), "[Data]\r\n1=a\r\n3=new\r\n2=b\r\n"},
        // New sections.
        WriteCase{"NewSectionAtEnd", "[s]\r\na=1\r\n", Set("t", "x", "1"),
                  "[s]\r\na=1\r\n[t]\r\nx=1\r\n"},
        WriteCase{"NewSectionAfterLastLineWithoutEnd", "[s]\r\na=1", Set("t", "x", "1"),
                  "[s]\r\na=1\r\n[t]\r\nx=1\r\n"},
        WriteCase{"NewSectionAfterTrailingComment", "[s]\r\n; end\r\n", Set("t", "x", "1"),
                  "[s]\r\n; end\r\n[t]\r\nx=1\r\n"},
        WriteCase{"NewSectionInEmptyFile", "", Set("data", "1", "v"), "[data]\r\n1=v\r\n"},
        WriteCase{"NewSectionAfterBomFile", "\xEF\xBB\xBF[s]\r\n", Set("s", "a", "1"),
                  "\xEF\xBB\xBF[s]\r\n[s]\r\na=1\r\n"},
        WriteCase{"CallerNamesLoseSpaces", "", Set(" s ", " k ", "v"), "[s]\r\nk=v\r\n"},
        // Removing keys.
        WriteCase{"RemoveKeyTakesOnlyThatLine", "[s]\r\n;c\r\na=1\r\nb=2\r\n", RemoveKey("s", "A"),
                  "[s]\r\n;c\r\nb=2\r\n"},
        WriteCase{"RemoveKeyTakesFirstDuplicate", "[s]\r\na=1\r\na=2\r\n", RemoveKey("s", "a"),
                  "[s]\r\na=2\r\n"},
        WriteCase{"RemoveKeyLastLineWithoutEnd", "[s]\r\na=1\r\nb=2", RemoveKey("s", "b"),
                  "[s]\r\na=1\r\n"},
        WriteCase{"RemoveKeyOfMissingKeyChangesNothing", "[s]\r\na=1\r\n", RemoveKey("s", "z"),
                  "[s]\r\na=1\r\n"},
        WriteCase{"RemoveKeyNeverTakesComments", "[s]\r\n;a=1\r\n", RemoveKey("s", ";a"),
                  "[s]\r\n;a=1\r\n"},
        WriteCase{"RemoveKeyLeavesEmptiedHeader", "[s]\r\na=1\r\n", RemoveKey("s", "a"), "[s]\r\n"},
        // Removing sections.
        WriteCase{"RemoveSectionKeepsCommentsAndOtherSections",
                  "[a]\r\nx=1\r\n[s]\r\nk=1\r\n; keep\r\nj=2\r\n[b]\r\ny=2\r\n", RemoveSection("S"),
                  "[a]\r\nx=1\r\n; keep\r\n[b]\r\ny=2\r\n"},
        WriteCase{"RemoveSectionOnlyFirstCopy", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n", RemoveSection("s"),
                  "[s]\r\nk=2\r\n"},
        WriteCase{"RemoveSectionOfMissingSectionChangesNothing", "[a]\r\n", RemoveSection("s"),
                  "[a]\r\n"},
        // Replacing a section's keys.
        WriteCase{"ReplaceKeepsCommentsAndPutsKeysWhereTheFirstWas",
                  "[x]\r\n[s]\r\n; c\r\nold=1\r\n; d\r\nold2=2\r\n[y]\r\n",
                  Replace("s", "S", "k1=v1\r\nk2=v2\r\n"),
                  "[x]\r\n[s]\r\n; c\r\nk1=v1\r\nk2=v2\r\n; d\r\n[y]\r\n"},
        WriteCase{"ReplaceAddsMissingSectionWithHeaderName", "[x]\r\nq=1",
                  Replace("data", "Data", "1=a\r\n"), "[x]\r\nq=1\r\n[Data]\r\n1=a\r\n"},
        WriteCase{"ReplaceInKeylessSection", "[s]", Replace("s", "s", "1=a\r\n"), "[s]\r\n1=a\r\n"},
        WriteCase{"ReplaceWithNothingLeavesHeader", "[s]\r\n1=a\r\n2=b\r\n", Replace("s", "s", ""),
                  "[s]\r\n"},
        WriteCase{"ReplaceLeavesLaterDuplicateSection", "[s]\r\n1=a\r\n[s]\r\n1=b\r\n",
                  Replace("s", "s", "1=c\r\n"), "[s]\r\n1=c\r\n[s]\r\n1=b\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Values that would not read back as written are refused before anything changes.

struct RefusedCase {
    const char* name;
    std::string value;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class ProfileRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(ProfileRefuses, ValueThatWouldNotReadBack) {
    const std::string before = "[s]\r\nk=old\r\n";
    Profile profile(before);
    EXPECT_THROW(profile.Set("s", "k", GetParam().value), diary::InvalidValueError);
    EXPECT_THROW(profile.Set("s", "new", GetParam().value), diary::InvalidValueError);
    // What the section writers check their lines with before ReplaceSectionLines.
    EXPECT_THROW(diary::CheckProfileValue(GetParam().value), diary::InvalidValueError);
    EXPECT_EQ(profile.Bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileRefuses,
    testing::Values(RefusedCase{"Cr", "a\rb"}, RefusedCase{"Lf", "a\nb"},
                    RefusedCase{"Crlf", "a\r\n[x]"}, RefusedCase{"Nul", "a\0b"s},
                    RefusedCase{"LeadingSpace", " a"}, RefusedCase{"TrailingSpace", "a "},
                    RefusedCase{"TrailingTab", "a\t"}, RefusedCase{"LeadingVerticalTab", "\va"},
                    RefusedCase{"OnlyBlank", " "}, RefusedCase{"DoubleQuoted", "\"a\""},
                    RefusedCase{"SingleQuoted", "'a'"}, RefusedCase{"EmptyQuotes", "\"\""}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(ProfileRefuses, MessageIsCzech) {
    Profile profile;
    try {
        profile.Set("s", "k", "a\nb");
        FAIL() << "no error";
    } catch (const diary::InvalidValueError& e) {
        EXPECT_STREQ(e.what(), "Hodnota nesmí obsahovat konec řádku.");
    }
}

TEST(ProfileRefuses, NamesThatWouldNotReadBack) {
    Profile profile;
    EXPECT_THROW(profile.Set("s]", "k", "v"), diary::InvalidValueError);
    EXPECT_THROW(profile.Set("s\n", "k", "v"), diary::InvalidValueError);
    EXPECT_THROW(profile.Set("s", "k=1", "v"), diary::InvalidValueError);
    EXPECT_THROW(profile.Set("s", ";k", "v"), diary::InvalidValueError);
    EXPECT_THROW(profile.Set("s", "[k", "v"), diary::InvalidValueError);
    EXPECT_THROW(profile.Set("s", "k\t", "v"), diary::InvalidValueError);
    EXPECT_EQ(profile.Bytes(), "");
}

struct AcceptedCase {
    const char* name;
    std::string value;
};

void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << c.name; }

class ProfileAccepts : public testing::TestWithParam<AcceptedCase> {};

TEST_P(ProfileAccepts, ValueReadsBackUnchanged) {
    Profile profile("[s]\r\n");
    profile.Set("s", "k", GetParam().value);
    EXPECT_EQ(std::string(*profile.Find("s", "k")), GetParam().value);
    Profile reread(profile.Bytes());
    EXPECT_EQ(std::string(*reread.Find("s", "k")), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileAccepts,
    testing::Values(AcceptedCase{"Empty", ""}, AcceptedCase{"InnerBlanks", "a \t b"},
                    AcceptedCase{"MismatchedQuotes", "\"a'"}, AcceptedCase{"LoneQuote", "\""},
                    AcceptedCase{"QuoteAtOneEnd", "\"a"}, AcceptedCase{"Semicolon", ";a"},
                    AcceptedCase{"Brackets", "[a]"}, AcceptedCase{"Equals", "a=b"},
                    AcceptedCase{"Cp1250", "\x8A\xE8\xA7\xFF\x81"}, AcceptedCase{"Error", "error"}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Random edits against a model: what was written reads back, and lines nobody touched stay.

TEST(ProfileModel, RandomEditsReadBackAndKeepForeignLines) {
    std::mt19937 rng(20010512);
    const std::vector<std::string> sections = {"a", "B", "data", "odkud"};
    const std::vector<std::string> keys = {"1", "2", "x", "Key", ""};
    const std::vector<std::string> values = {"", "v", "a b", "\"q'", "\xA7\x9A", "error"};
    const std::vector<std::string> foreign = {"; first comment", "; second comment", "just text",
                                              "#hash=not a comment"};
    std::string start;
    for (const auto& f : foreign) start += f + "\r\n";
    start += "[a]\r\n; inside a\r\nx=start\n";
    Profile profile(start);
    std::map<std::pair<std::string, std::string>, std::optional<std::string>> model;
    model[{"a", "x"}] = "start";
    std::set<std::string> sectionsPresent = {"a"};

    for (int step = 0; step < 2000; ++step) {
        const std::string& s = sections[rng() % sections.size()];
        const std::string& k = keys[rng() % keys.size()];
        std::string lower = s;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string lowerKey = k;
        for (char& c : lowerKey) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        switch (rng() % 4) {
            case 0:
            case 1: {
                const std::string& v = values[rng() % values.size()];
                profile.Set(s, k, v);
                model[{lower, lowerKey}] = v;
                sectionsPresent.insert(lower);
                break;
            }
            case 2: {
                std::optional<std::string>& value = model[{lower, lowerKey}];
                ASSERT_EQ(profile.RemoveKey(s, k), value.has_value()) << "step " << step;
                value = std::nullopt;
                break;
            }
            case 3:
                if (rng() % 8 == 0) {
                    ASSERT_EQ(profile.RemoveSection(s), sectionsPresent.erase(lower) == 1)
                        << "step " << step;
                    for (auto& [name, value] : model) {
                        if (name.first == lower) value = std::nullopt;
                    }
                }
                break;
        }
        Profile reread(profile.Bytes());
        for (const auto& [name, value] : model) {
            const auto found = reread.Find(name.first, name.second);
            ASSERT_EQ(found.has_value(), value.has_value()) << "step " << step;
            if (value) {
                ASSERT_EQ(std::string(*found), *value) << "step " << step;
            }
        }
    }
    const std::string bytes = profile.Bytes();
    std::size_t at = 0;
    for (const auto& f : foreign) {
        at = bytes.find(f + "\r\n", at);
        ASSERT_NE(at, std::string::npos) << f;
    }
    EXPECT_NE(bytes.find("; inside a\r\n"), std::string::npos);
}

// Whatever bytes a file holds, reading and editing it ends and stays in bounds.
TEST(ProfileModel, ArbitraryBytesNeverBreakTheParser) {
    std::mt19937 rng(7);
    const std::string alphabet =
        "[]=;\r\n\"' \t\v\0\xEF\xBB\xBF"
        "ad1"s;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(rng() % 40, ' ');
        for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
        Profile profile(bytes);
        (void)profile.Find("a", "d");
        (void)profile.Entries("");
        (void)diary::NumberedKeyLines(bytes, "a");
        profile.Set("a", "d", "x");
        EXPECT_EQ(std::string(*Profile(profile.Bytes()).Find("a", "d")), "x") << round;
        profile.RemoveKey("a", "1");
        profile.RemoveSection("d");
        profile.ReplaceSectionLines("a", "a", "1=y\r\n");
        EXPECT_EQ(std::string(*Profile(profile.Bytes()).Find("a", "1")), "y") << round;
    }
}

// The searches pass over lines that cannot be a header with one search for "[": on any bytes
// they find what a look at every line finds.
TEST(ProfileModel, SkippingToHeadersFindsWhatEveryLineFinds) {
    std::mt19937 rng(1250);
    const std::string alphabet = "[]=;\r\n \t\0ad1"s;
    auto lookAtEveryLine = [](std::string_view bytes, std::string_view section,
                              std::string_view key) -> std::optional<std::string> {
        diary::ProfileScanner scanner(bytes);
        bool inside = false;
        for (diary::ProfileLine line; scanner.Next(line);) {
            if (line.kind == diary::ProfileLine::Kind::Section) {
                if (inside) break;
                inside = diary::EqualsNoCase(line.name, section);
            } else if (inside && line.kind == diary::ProfileLine::Kind::Key &&
                       diary::EqualsNoCase(line.name, key)) {
                return std::string(line.value);
            }
        }
        return std::nullopt;
    };
    for (int round = 0; round < 5000; ++round) {
        std::string bytes(rng() % 48, ' ');
        for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
        const Profile profile(bytes);
        for (const char* section : {"a", "d", ""}) {
            for (const char* key : {"1", "a", "d", ""}) {
                const auto found = profile.Find(section, key);
                ASSERT_EQ(found ? std::optional<std::string>(*found) : std::nullopt,
                          lookAtEveryLine(bytes, section, key))
                    << "round " << round << ", [" << section << "] " << key;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The file functions: one read per call, one atomic replace per change.

TEST(ProfileFile, MissingFileReadsAsFallback) {
    testsupport::TempDir dir;
    EXPECT_EQ(diary::ReadProfileString(dir.File("none.ini"), "s", "k", "def"), "def");
}

TEST(ProfileFile, WriteCreatesFileWithCrlfLines) {
    testsupport::TempDir dir;
    const std::string path = dir.File("new.ini");
    diary::WriteProfileString(path, "soubor", "file", "/home/a.vam");
    EXPECT_EQ(testsupport::ReadFileBytes(path), "[soubor]\r\nfile=/home/a.vam\r\n");
    EXPECT_EQ(diary::ReadProfileString(path, "SOUBOR", "FILE", ""), "/home/a.vam");
}

TEST(ProfileFile, WriteEditsInPlace) {
    testsupport::TempDir dir;
    const std::string path = dir.File("a.ini");
    testsupport::WriteFileBytes(path, "; mine\n[s]\nk=1\nj=2\n");
    diary::WriteProfileString(path, "s", "k", "3");
    EXPECT_EQ(testsupport::ReadFileBytes(path), "; mine\n[s]\nk=3\r\nj=2\n");
}

TEST(ProfileFile, RefusedValueWritesNothing) {
    testsupport::TempDir dir;
    const std::string path = dir.File("a.ini");
    EXPECT_THROW(diary::WriteProfileString(path, "s", "k", "a\r\nb"), diary::InvalidValueError);
    EXPECT_FALSE(testsupport::FileExists(path));
}

TEST(ProfileFile, LoadOfFolderIsReadError) {
    testsupport::TempDir dir;
    EXPECT_THROW(Profile::Load(dir.path()), diary::ReadError);
}

TEST(ProfileFile, FailedSaveIsWriteErrorWithPath) {
    testsupport::TempDir dir;
    const std::string path = dir.File("missing/a.ini");
    try {
        diary::WriteProfileString(path, "s", "k", "v");
        FAIL() << "no error";
    } catch (const diary::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
}

}  // namespace
