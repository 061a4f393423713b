#include "diary/bikes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/diary_file.h"
#include "diary/errors.h"
#include "diary/record_table.h"

namespace {

using diary::Date;
using diary::DiaryRecord;
using diary::Field;
using diary::RecordRow;
using diary::RecordTable;
using diary::RegionalSettings;
using diary::ServicePart;
using testsupport::L;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using List = std::vector<std::string>;
using Parts = std::vector<ServicePart>;

// "řetěz", a chain, in code page 1250.
const std::string kChain = std::string("\xF8") + "et\xEC" + "z";

const std::string kOther = "; moje\r\n[soubor]\r\nfile=/d/jaro.vam\r\n[odkud]\r\n1=Doma\r\n";

// ---------------------------------------------------------------------------------------------
// The bike sections

// An older settings file's "kola" reads as a diary's "Kola".
TEST(BikesOf, KeepsWhatARideCouldCarryOnce) {
    const struct {
        const char* name;
        std::string bytes;
        List expected;
    } cases[] = {
        {"InOrderUpToTheFirstGap",
         "[kola]\r\n1=Favorit\r\n2=Author\r\n4=Horsk\xE9\r\n",
         {"Favorit", "Author"}},
        {"EmptySeparatorAndRepeatLeftOut",
         "[Kola]\r\n1=\r\n2=" + L("a§b") + "\r\n3=A\r\n4=A\r\n5=a\r\n",
         {"A", "a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(diary::BikesOf(c.bytes).bikes, c.expected);
    }
    EXPECT_EQ(diary::ReadBikeSettings(TempDir().File("none.vam")), diary::BikeSettings());
}

// The sections keep their place among the diary's others; the rides and goals stay byte for
// byte.
TEST(WithBikes, WritesItsSectionsAndKeepsEveryOtherByte) {
    const Parts two = {{"Favorit", "pl\xE1\x9At\xEC", {999, 12, 31}, 2500.5},
                       {"Author", "brzdy", {2024, 10, 5}, 0}};
    const std::string rides =
        "; moje\r\n[Data]\r\n1=" + L("1.3.2024§Doma§§§§§§§§§§Favorit§") + "\r\n";
    const std::string goals = "[Cile]\r\n1=" + L("2026§5000§§§§") + "\r\n";
    const std::string twoLines = "[Kola]\r\n1=Favorit\r\n2=Author\r\n[Servis]\r\n1=" +
                                 L("Favorit§pl\xE1\x9At\xEC§0999-12-31§2500.5§") +
                                 "\r\n2=" + L("Author§brzdy§2024-10-05§0§") + "\r\n";
    const struct {
        const char* name;
        std::string before;
        diary::BikeSettings bikes;
        std::string after;
    } cases[] = {
        {"AddedAtTheEnd", rides + goals, {{"Favorit", "Author"}, two}, rides + goals + twoLines},
        {"ReplacedInPlace",
         rides + "[Kola]\r\n1=Star\xE9\r\n; moje\r\n[Servis]\r\n1=" + L("x§y§2020-01-01§1§") +
             "\r\n" + goals,
         {{"Favorit"}, {}},
         rides + "[Kola]\r\n1=Favorit\r\n; moje\r\n[Servis]\r\n" + goals},
        {"LaterCopiesLoseTheirKeys",
         rides + "[Kola]\r\n1=A\r\n[x]\r\n[KOLA]\r\n1=B\r\n" + goals,
         {{}, {}},
         rides + "[Kola]\r\n[x]\r\n" + goals},
        {"EmptyFileBecomesADiary", "", {{"Favorit", "Author"}, two}, "[Data]\r\n" + twoLines},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string after = diary::WithBikes(c.before, c.bikes);
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(diary::BikesOf(after), c.bikes);
    }
}

TEST(WriteBikes, RefusesWhatWouldNotReadBackBeforeWriting) {
    const Date day{2024, 3, 1};
    const struct {
        const char* name;
        List bikes;
        Parts parts;
        const char* message;
    } cases[] = {
        {"Twice",
         {"Kolo \xE8"
          "erven\xE9",
          "B",
          "Kolo \xE8"
          "erven\xE9"},
         {},
         "Kolo „Kolo červené“ je v seznamu dvakrát."},
        {"PartWithoutName", {}, {{"A", "", day, 1}}, "Zadejte název dílu."},
        {"NoSuchDay", {}, {{"A", "x", {2023, 2, 29}, 1}}, "Datum montáže dílu neexistuje."},
        {"NegativeInterval",
         {},
         {{"A", "x", day, -1}},
         "Interval dílu musí být kladný počet kilometrů."},
        {"EndlessInterval",
         {},
         {{"A", "x", day, std::numeric_limits<double>::infinity()}},
         "Interval dílu musí být kladný počet kilometrů."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("jaro.vam");
        WriteFileBytes(path, kOther);
        try {
            diary::WriteBikes(path, {c.bikes, c.parts});
            ADD_FAILURE() << "accepted";
        } catch (const diary::InvalidValueError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(ReadFileBytes(path), kOther);
    }
}

TEST(BikesOf, LeavesOutPartsThatDoNotRead) {
    const std::string bytes =
        "[servis]\r\n1=" + L("A§chain§2024-3-1§3e3§later§fields§") +
        "\r\n2=" + L("A§chain§1.3.2024§3000§") + "\r\n3=" + L("A§chain§2024-03-01§3 000§") +
        "\r\n4=" + L("A§chain§2024-03-01§-5§") + "\r\n5=" + L("A§§2024-03-01§5§") +
        "\r\n6=" + L("A§chain§2024-03-01§5") + "\r\n7=" + L("B§tyre§2024-02-29§0§") + "\r\n";
    EXPECT_EQ(diary::BikesOf(bytes).parts,
              (Parts{{"A", "chain", {2024, 3, 1}, 3000}, {"B", "tyre", {2024, 2, 29}, 0}}));
}

// The union of a diary and its copy from another computer: bikes by name, parts by bike and
// name, the one fitted later where both have one.
TEST(MergeBikeSections, UnionByNameAndTheLaterFitting) {
    const std::string rides = "[Data]\r\n1=" + L("1.3.2024§Doma§§§§§§§§§§A§") + "\r\n";
    const ServicePart chainA{"A", kChain, {2024, 3, 1}, 3000};
    const ServicePart chainALater{"A", kChain, {2024, 6, 1}, 2500};
    const ServicePart chainAOtherInterval{"A", kChain, {2024, 3, 1}, 1000};
    const ServicePart tyreA{"A", "tyre", {2024, 2, 1}, 5000};
    const ServicePart chainB{"B", kChain, {2024, 1, 1}, 3000};
    const struct {
        const char* name;
        diary::BikeSettings result;
        diary::BikeSettings other;
        diary::BikeSettings merged;  // no bikes nor parts: the result's bytes as they were
    } cases[] = {
        {"OtherHasNone", {{"A"}, {chainA}}, {}, {}},
        {"ResultsOrderThenTheOthersNewOnes",
         {{"B", "A"}, {tyreA}},
         {{"C", "A", "D"}, {chainB, tyreA}},
         {{"B", "A", "C", "D"}, {tyreA, chainB}}},
        {"TheLaterFittingWins",
         {{"A"}, {chainA, tyreA}},
         {{"A"}, {chainALater}},
         {{"A"}, {chainALater, tyreA}}},
        {"TheResultsOwnLaterFittingStays", {{"A"}, {chainALater}}, {{"A"}, {chainA}}, {}},
        {"SameDayTheResults", {{"A"}, {chainA}}, {{"A"}, {chainAOtherInterval}}, {}},
        {"ResultWithoutSections", {}, {{"A"}, {chainA}}, {{"A"}, {chainA}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool own = !c.result.bikes.empty() || !c.result.parts.empty();
        const std::string result = own ? diary::WithBikes(rides, c.result) : rides;
        const std::string other = diary::WithBikes(rides, c.other);
        const std::string merged = diary::MergeBikeSections(result, other);
        const bool unchanged = c.merged.bikes.empty() && c.merged.parts.empty();
        EXPECT_EQ(merged, unchanged ? result : diary::WithBikes(result, c.merged));
    }
}

// The diary is to take the bikes an older version kept in the settings once: when it has none
// of its own and its rides are on them.
TEST(MoveBikesIntoDiary, OnceIntoADiaryThatRidesThem) {
    const diary::BikeSettings settings{{"A", "B"}, {{"C", kChain, {2024, 3, 1}, 3000}}};
    const std::string rideOn = "[Data]\r\n1=" + L("1.3.2024§Doma§§§§§§§§§§");
    const struct {
        const char* name;
        std::string before;
        diary::BikeSettings settings;
        bool moved;
    } cases[] = {
        {"RidesOnAListedBike", rideOn + L("B§") + "\r\n", settings, true},
        {"RidesOnABikeOfAPart", rideOn + L("C§") + "\r\n", settings, true},
        {"RidesOnOtherBikes", rideOn + L("X§") + "\r\n", settings, false},
        {"NoRides", "[Data]\r\n", settings, false},
        {"NothingInTheSettings", rideOn + L("B§") + "\r\n", {}, false},
        {"HasBikesOfItsOwn", rideOn + L("B§") + "\r\n[Kola]\r\n1=X\r\n", settings, false},
        // An emptied list keeps its header (WithBikes): the bikes do not come back.
        {"HadBikesOnce", rideOn + L("B§") + "\r\n[Kola]\r\n", settings, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("jaro.vam");
        WriteFileBytes(path, c.before);
        EXPECT_EQ(diary::MoveBikesIntoDiary(path, c.settings), c.moved);
        EXPECT_EQ(ReadFileBytes(path), c.moved ? diary::WithBikes(c.before, c.settings) : c.before);
        EXPECT_FALSE(diary::MoveBikesIntoDiary(path, c.settings));  // once
    }
}

// ---------------------------------------------------------------------------------------------
// Rides

// "<date>§Doma§§§§§§§§§<note>§" and what follows the note's separator.
std::string Ride(const std::string& date, const std::string& rest) {
    return date + L("§Doma§§§§§§§§§n§") + rest;
}

TEST(RenameBikeInDiaryBytes, ChangesOnlyTheBikeFieldsOfThatBike) {
    const struct {
        const char* name;
        std::string before;
        const char* to;
        std::string after;
        std::size_t changed;
    } cases[] = {
        {"RemoveAsIfNeverSet", "1=" + Ride("a", L("Fav§")) + "\r\n", "",
         "1=" + Ride("a", "") + "\r\n", 1},
        {"RemoveKeepsTheFieldBeforeMoreSeparators", "1=" + Ride("a", L("Fav§x§")) + "\r\n", "",
         "1=" + Ride("a", L("§x§")) + "\r\n", 1},
        {"RemoveKeepsUnterminatedTail", "1=" + Ride("a", L("Fav§x")) + "\r\n", "",
         "1=" + Ride("a", "x") + "\r\n", 1},
        {"RenameKeepsTail", "1=" + Ride("a", L("Fav§x§y")) + "\r\n", "B",
         "1=" + Ride("a", L("B§x§y")) + "\r\n", 1},
        {"OtherBikesNoBikeAndCaseStay",
         "1=" + Ride("a", L("fav§")) + "\r\n2=" + Ride("b", "") + "\r\n3=" + Ride("c", "Fav") +
             "\r\n4=" + Ride("d", L("Fav §")) + "\r\n",
         "B",
         "1=" + Ride("a", L("fav§")) + "\r\n2=" + Ride("b", "") + "\r\n3=" + Ride("c", "Fav") +
             "\r\n4=" + Ride("d", L("Fav §")) + "\r\n",
         0},
        {"LayoutAroundTheValueStays",
         "; m\r\n 2 =  \"" + Ride("b", L("Fav§")) + "\"  \n1=" + Ride("a", L("Fav§")) + "\r",
         "Author",
         "; m\r\n 2 =  \"" + Ride("b", L("Author§")) + "\"  \n1=" + Ride("a", L("Author§")) + "\r",
         2},
        {"OnlyTheReadableRun",
         "1=" + Ride("a", L("Fav§")) + "\r\n1=" + Ride("dup", L("Fav§")) +
             "\r\n3=" + Ride("gap", L("Fav§")) + "\r\n",
         "B",
         "1=" + Ride("a", L("B§")) + "\r\n1=" + Ride("dup", L("Fav§")) +
             "\r\n3=" + Ride("gap", L("Fav§")) + "\r\n",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string head = "[soubor]\r\nx=" + Ride("z", L("Fav§")) + "\r\n[Data]\r\n";
        const std::string tail = "[jine]\r\n1=" + Ride("z", L("Fav§")) + "\r\n";
        std::size_t changed = 99;
        EXPECT_EQ(diary::RenameBikeInDiaryBytes(head + c.before + tail, "Fav", c.to, changed),
                  head + c.after + tail);
        EXPECT_EQ(changed, c.changed);
    }
}

TEST(RenameBikeInDiary, OneSaveOfTheWholeDiaryOrNone) {
    TempDir dir;
    const std::string path = dir.File("jaro.vam");
    const std::string other = "; moje\r\n[Data]\r\n";
    WriteFileBytes(path, other + "1=" + Ride("1.3.2024", L("Fav§")) +
                             "\r\n2=" + Ride("2.3.2024", "") +
                             "\r\n3=" + Ride("3.3.2024", L("Fav§")) + "\r\n");
    const diary::BikeChange change = diary::RenameBikeInDiary(path, "Fav", "Author");
    EXPECT_TRUE(change.applied);
    EXPECT_EQ(change.rides, 2u);
    // The new name joins the list in the same save.
    const std::string renamed =
        other + "1=" + Ride("1.3.2024", L("Author§")) + "\r\n2=" + Ride("2.3.2024", "") +
        "\r\n3=" + Ride("3.3.2024", L("Author§")) + "\r\n[Kola]\r\n1=Author\r\n";
    EXPECT_EQ(ReadFileBytes(path), renamed);
    // The rows the list shows next come from the bytes saved, not from another read.
    ASSERT_EQ(change.Rows().size(), 3u);
    EXPECT_EQ(change.Rows()[2].Get(Field::Bike), "Author");

    // A name the settings could not hold is refused, and a bike no ride has writes nothing.
    EXPECT_THROW((void)diary::RenameBikeInDiary(path, "Author", " B"), diary::InvalidValueError);
    struct stat before {};
    ::stat(path.c_str(), &before);
    EXPECT_EQ(diary::RenameBikeInDiary(path, "Fav", "B").rides, 0u);
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadFileBytes(path), renamed);

    EXPECT_EQ(diary::RenameBikeInDiary(dir.File("none.vam"), "Fav", "B").rides, 0u);
    EXPECT_FALSE(testsupport::FileExists(dir.File("none.vam")));
}

// The rides, the list and the parts of a bike in one save; the rest of the file as it was.
TEST(RenameBikeInDiary, RenamesMergesOrRemovesInListAndParts) {
    const std::string rides = "[Data]\r\n1=" + Ride("1.3.2024", L("A§")) + "\r\n";
    const std::string goals = "[Cile]\r\n1=" + L("2026§5000§§§A§") + "\r\n";
    const std::string before = rides + "[Kola]\r\n1=A\r\n2=B\r\n3=C\r\n" + goals +
                               "[Servis]\r\n1=" + L("A§x§2024-01-01§1§") +
                               "\r\n2=" + L("B§y§2024-01-01§2§") + "\r\n";
    const struct {
        const char* from;
        const char* to;
        List bikes;
        std::vector<std::string> partBikes;
        const char* rideBike;
    } cases[] = {
        {"A", "D", {"D", "B", "C"}, {"D", "B"}, "D"},
        {"C", "A", {"A", "B"}, {"A", "B"}, "A"},
        {"A", "C", {"C", "B"}, {"C", "B"}, "C"},
        {"B", "", {"A", "C"}, {"A"}, "A"},
        {"A", "", {"B", "C"}, {"B"}, ""},
        {"Z", "Y", {"A", "B", "C"}, {"A", "B"}, "A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        TempDir dir;
        const std::string path = dir.File("jaro.vam");
        WriteFileBytes(path, before);
        (void)diary::RenameBikeInDiary(path, c.from, c.to);
        const std::string after = ReadFileBytes(path);
        const diary::BikeSettings bikes = diary::BikesOf(after);
        EXPECT_EQ(bikes.bikes, c.bikes);
        std::vector<std::string> partBikes;
        for (const ServicePart& p : bikes.parts) partBikes.push_back(p.bike);
        EXPECT_EQ(partBikes, c.partBikes);
        EXPECT_EQ(diary::ReadDiaryRows(path).at(0).Get(Field::Bike), c.rideBike);
        EXPECT_NE(after.find(goals), std::string::npos);  // goals name bikes too, and stay
        if (std::string(c.from) == "Z") {
            EXPECT_EQ(after, before);  // nothing to change: nothing written
        }
    }
}

// A removal the user agreed to for so many rides happens only while the file has exactly those:
// a ride another program put on the bike meanwhile is not stripped of it unasked.
TEST(RemoveBikeFromDiary, OnlyWhenTheFileHasTheRidesTheUserWasAskedAbout) {
    const struct {
        std::optional<std::size_t> expected;
        bool applied;
    } cases[] = {{std::nullopt, true}, {2, true}, {0, false}, {1, false}, {3, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected ? static_cast<int>(*c.expected) : -1);
        TempDir dir;
        const std::string path = dir.File("jaro.vam");
        const std::string before = "[Data]\r\n1=" + Ride("1.3.2024", L("Fav§")) +
                                   "\r\n2=" + Ride("2.3.2024", L("Fav§")) + "\r\n";
        WriteFileBytes(path, before);
        const diary::BikeChange change = diary::RemoveBikeFromDiary(path, "Fav", c.expected);
        EXPECT_EQ(change.applied, c.applied);
        EXPECT_EQ(change.rides, 2u);
        EXPECT_EQ(ReadFileBytes(path), c.applied ? "[Data]\r\n1=" + Ride("1.3.2024", "") +
                                                       "\r\n2=" + Ride("2.3.2024", "") + "\r\n"
                                                 : before);
        EXPECT_EQ(*change.bytes, ReadFileBytes(path));
        EXPECT_EQ(change.Message().empty(), c.applied);
    }
}

// The window's changes work on the file as it is when they run, so a bike or part another
// program added meanwhile stays; a change of a part that is gone writes nothing. The rides and
// every other section stay byte for byte.
TEST(BikeChanges, WorkOnTheFileAsItIsNow) {
    const ServicePart chain{"A", kChain, {2024, 3, 1}, 3000};
    const ServicePart tyre{"A", "tyre", {2024, 2, 1}, 5000};
    const ServicePart newChain{"A", kChain, {2024, 6, 1}, 3000};
    const ServicePart otherBikes{"D", "tyre", {2024, 6, 1}, 3000};
    using Change = std::function<diary::BikeChange(const std::string&)>;
    const struct {
        const char* name;
        Change change;
        bool applied;
        List bikes;
        Parts parts;
    } cases[] = {
        {"AddBikes",
         [](const std::string& p) {
             return diary::AddBikes(p, {"C", "B", "D"});
         },
         true,
         {"A", "B", "C", "D"},
         {chain, tyre}},
        {"AddBikesThatAreThere",
         [](const std::string& p) { return diary::AddBikes(p, {"B"}); },
         true,
         {"A", "B"},
         {chain, tyre}},
        {"AddPartOfABikeNotListed",
         [&](const std::string& p) {
             return diary::ChangeServicePart(p, std::nullopt, otherBikes);
         },
         true,
         {"A", "B", "D"},
         {chain, tyre, otherBikes}},
        {"ReplacePartInPlace",
         [&](const std::string& p) { return diary::ChangeServicePart(p, chain, newChain); },
         true,
         {"A", "B"},
         {newChain, tyre}},
        {"RemovePart",
         [&](const std::string& p) { return diary::ChangeServicePart(p, chain, std::nullopt); },
         true,
         {"A", "B"},
         {tyre}},
        {"ChangePartThatIsGone",
         [&](const std::string& p) { return diary::ChangeServicePart(p, newChain, chain); },
         false,
         {"A", "B"},
         {chain, tyre}},
    };
    const std::string rides = "[Data]\r\n1=" + Ride("1.3.2024", L("A§")) + "\r\n";
    const std::string goals = "[Cile]\r\n1=" + L("2026§5000§§§§") + "\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("jaro.vam");
        WriteFileBytes(path, rides + goals);
        diary::WriteBikes(path, {{"A", "B"}, {chain, tyre}});
        const std::string before = ReadFileBytes(path);
        const diary::BikeChange change = c.change(path);
        EXPECT_EQ(change.applied, c.applied);
        EXPECT_EQ(*change.bytes, ReadFileBytes(path));
        EXPECT_EQ(diary::ReadBikeSettings(path), (diary::BikeSettings{c.bikes, c.parts}));
        EXPECT_EQ(ReadFileBytes(path).substr(0, rides.size() + goals.size()), rides + goals);
        if (c.bikes == List{"A", "B"} && c.parts == Parts{chain, tyre}) {
            EXPECT_EQ(ReadFileBytes(path), before);
        }
    }
    TempDir dir;
    const std::string path = dir.File("jaro.vam");
    EXPECT_THROW((void)diary::AddBikes(path, {"\"A\""}), diary::InvalidValueError);
    EXPECT_THROW(
        (void)diary::ChangeServicePart(path, std::nullopt, ServicePart{"A", "", {2024, 1, 1}, 1}),
        diary::InvalidValueError);
    EXPECT_FALSE(testsupport::FileExists(path));
}

// ---------------------------------------------------------------------------------------------
// Figures, hand-computed on seven rides.

RecordTable SmallDiary() {
    const struct {
        const char* date;
        const char* km;
        const char* time;
        const char* bike;
    } rides[] = {
        {"1.3.2024", "20", "1 h 0 min", "Favorit"},  {"5.3.2024", "30,5", "1 h 30 min", "Author"},
        {"10.3.2024", "15", "0 h 45 min", ""},       {"15.3.2024", "40", "2 h 0 min", "Favorit"},
        {"minule", "10", "0 h 30 min", "Favorit"},   {"20.3.2024", "?", "", "Favorit"},
        {"2.3.2024", "12", "0 h 40 min", "Nov\xE9"},
    };
    RecordTable table;
    int n = 0;
    for (const auto& r : rides) {
        DiaryRecord record;
        record.number = std::to_string(++n);
        record[Field::Date] = r.date;
        record[Field::DistanceKm] = r.km;
        record[Field::RideTime] = r.time;
        record[Field::Bike] = r.bike;
        table.Append(RecordRow(record));
    }
    return table;
}

TEST(ComputeBikeFigures, ListedBikesThenOthersThenNoBike) {
    const RegionalSettings cz = RegionalSettings::Czech();
    const auto figures =
        diary::ComputeBikeFigures(SmallDiary(), {"Author", "Favorit", "Horsk\xE9"}, cz);
    std::vector<std::array<std::string, 6>> texts;
    for (const auto& f : figures) texts.push_back(diary::BikeFigureTexts(f, cz));
    const std::vector<std::array<std::string, 6>> expected = {
        {"Author", "1", "30,5", "1 h 30 min", "5.3.2024", "5.3.2024"},
        {"Favorit", "4", "70", "3 h 30 min", "1.3.2024", "20.3.2024"},
        {"Horsk\xE9", "0", "0", "0 h 0 min", "", ""},
        {"Nov\xE9", "1", "12", "0 h 40 min", "2.3.2024", "2.3.2024"},
        {"bez kola", "1", "15", "0 h 45 min", "10.3.2024", "10.3.2024"},
    };
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(figures[4].bike, "");

    // Without rides that lack a bike there is no such row; an empty diary lists the bikes.
    EXPECT_EQ(diary::ComputeBikeFigures(RecordTable(), {"A"}, cz).size(), 1u);
    EXPECT_TRUE(diary::ComputeBikeFigures(RecordTable(), {}, cz).empty());
}

TEST(ComputePartStatus, CountsTheBikesRidesFromTheFittedDay) {
    const RegionalSettings cz = RegionalSettings::Czech();
    const Parts parts = {
        {"Favorit", kChain, {2024, 3, 5}, 40},              // ride 4 (40); 6 is no number
        {"Favorit", "pl\xE1\x9At\xEC", {2024, 3, 1}, 100},  // rides 1, 4 and 6
        {"Favorit", "brzdy", {2024, 3, 16}, 0},             // never due
        {"Author", kChain, {2024, 3, 6}, 10},               // its only ride is earlier
        {"Nov\xE9", "sv\xECtlo", {2024, 1, 1}, 12},         // due exactly at its interval
        {"Horsk\xE9", "sedlo", {2024, 1, 1}, 1},            // no rides
    };
    std::vector<double> km;
    std::vector<bool> due;
    for (const auto& s : diary::ComputePartStatus(SmallDiary(), parts, cz)) {
        km.push_back(s.kmDone);
        due.push_back(s.due);
    }
    EXPECT_EQ(km, (std::vector<double>{40, 60, 0, 0, 12, 0}));
    EXPECT_EQ(due, (std::vector<bool>{true, false, false, false, true, false}));

    const auto duePart = diary::DueParts(SmallDiary(), parts, cz);
    ASSERT_EQ(duePart.size(), 2u);
    EXPECT_EQ(duePart[0].part, parts[0]);
    EXPECT_EQ(duePart[1].part, parts[4]);
    EXPECT_EQ(diary::DuePartsNote(duePart, cz),
              "\xC8" + std::string("as na servis: Favorit \x96 ") + kChain +
                  " (40 km z 40 km); Nov\xE9 \x96 sv\xECtlo (12 km z 12 km)");
    EXPECT_EQ(diary::DuePartsNote({}, cz), "");
}

// What the parts grid shows, and the part a rider's typing makes (or the Czech reason it is
// refused), in the user's formats.
TEST(PartTexts, ShowAndReadInTheUsersFormats) {
    const RegionalSettings cz = RegionalSettings::Czech();
    const RegionalSettings us{"%m/%d/%Y", "."};
    const ServicePart chain{"A", kChain, {2024, 3, 5}, 2500.5};
    const struct {
        diary::PartStatus status;
        const RegionalSettings* regional;
        std::array<std::string, 5> texts;
    } shown[] = {
        {{chain, 1234.56, false},
         &cz,
         {kChain, "5.3.2024", "2500,5", "1234,6", "zb\xFDv\xE1 1266 km"}},
        {{chain, 2600, true},
         &us,
         {kChain, "03/05/2024", "2500.5", "2600",
          "\xC8"
          "as na servis"}},
        {{{"A", "x", {2024, 3, 5}, 0}, 12, false}, &cz, {"x", "5.3.2024", "", "12", ""}},
    };
    for (const auto& c : shown) EXPECT_EQ(diary::PartStatusTexts(c.status, *c.regional), c.texts);

    const struct {
        const char* name;
        const char* fitted;
        const char* interval;
        double km;  // the interval read, or -1 when refused
        const char* message;
    } typed[] = {
        {"x", "5.3.2024", " 3000,5 ", 3000.5, ""},
        {"x", "5.3.2024", "", 0, ""},
        {"x", "31.2.2024", "1", -1, "Datum montáže „31.2.2024“ není platné datum."},
        {"x", "2024-03-05", "1", -1, "Datum montáže „2024-03-05“ není platné datum."},
        {"x", "5.3.2024", "3 000", -1, "Interval dílu musí být kladný počet kilometrů."},
        {"x", "5.3.2024", "-1", -1, "Interval dílu musí být kladný počet kilometrů."},
        {"", "5.3.2024", "1", -1, "Zadejte název dílu."},
    };
    for (const auto& c : typed) {
        SCOPED_TRACE(std::string(c.fitted) + " | " + c.interval);
        try {
            const ServicePart part = diary::ReadServicePart("A", c.name, c.fitted, c.interval, cz);
            EXPECT_EQ(part, (ServicePart{"A", c.name, {2024, 3, 5}, c.km}));
        } catch (const diary::InvalidValueError& e) {
            EXPECT_EQ(c.km, -1);
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
