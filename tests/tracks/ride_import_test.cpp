// A service's whole export read to the rides it would add: the generated Strava-like and
// Garmin-like archives (tests/tracks/make_export.py), hostile archives, and the same export
// imported twice.

#include "tracks/ride_import.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "diary/cp1250.h"

namespace {

using tracks::ImportStatus;

class ReadExport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Prague's rules written out, so that no time zone database is needed.
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
        dir_ = new testsupport::TempDir;
        const std::string command =
            std::string("python3 '") + EXPORT_SCRIPT + "' '" + dir_->path() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static void TearDownTestSuite() { delete dir_; }

    static std::vector<tracks::ImportCandidate> Read(const std::string& name,
                                                     const tracks::ArchiveLimits& limits = {}) {
        return tracks::ReadExport({dir_->File(name)}, {}, limits);
    }

    static std::array<int, 4> Counts(const std::vector<tracks::ImportCandidate>& candidates) {
        std::array<int, 4> counts{};
        for (const auto& c : candidates) ++counts[static_cast<std::size_t>(c.status)];
        return counts;
    }

    static testsupport::TempDir* dir_;
};

testsupport::TempDir* ReadExport::dir_ = nullptr;

std::vector<const tracks::ImportCandidate*> Wanted(
    const std::vector<tracks::ImportCandidate>& candidates) {
    std::vector<const tracks::ImportCandidate*> out;
    for (const auto& c : candidates) {
        if (c.Wanted()) out.push_back(&c);
    }
    return out;
}

TEST_F(ReadExport, ExportsGiveTheirRidesOnceWithTheirBikes) {
    const auto regional = diary::RegionalSettings::Czech();
    std::vector<diary::RecordRow> diaryRows;
    // New, duplicate, not a ride, unreadable; then the export read a second time.
    const struct {
        const char* file;
        std::array<int, 4> counts;
        std::array<int, 4> again;
    } cases[] = {
        {"strava.zip", {5, 1, 1, 1}, {0, 6, 1, 1}},
        // The Garmin export's FIT files are the Strava export's first ride.
        {"garmin.zip", {0, 2, 0, 0}, {0, 2, 0, 0}},
        // The same export unpacked: its list finds its tracks in the folder.
        {"strava", {0, 6, 1, 1}, {0, 6, 1, 1}},
    };
    std::vector<diary::DiaryRecord> added;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        for (const auto* expected : {&c.counts, &c.again}) {
            auto candidates = Read(c.file);
            tracks::MarkDuplicates(candidates, diaryRows, regional);
            EXPECT_EQ(Counts(candidates), *expected);
            for (const auto& record : tracks::ImportRecords(Wanted(candidates), regional)) {
                added.push_back(record);
                diary::DiaryRecord numbered = record;
                numbered.number = std::to_string(diaryRows.size() + 1);
                diaryRows.emplace_back(numbered);
            }
        }
    }
    ASSERT_EQ(added.size(), 5u);
    using F = diary::Field;
    const auto text = [](const diary::DiaryRecord& r, F f) { return diary::Cp1250ToUtf8(r[f]); };
    // In the order ridden; the first from its FIT, the second from its GPX, the Virtual Ride
    // from the list's columns, the one whose Filename names no member too.
    const std::vector<std::pair<std::size_t, std::map<F, std::string>>> expected = {
        {0,
         {{F::Date, "18.5.2024"},
          {F::DistanceKm, "5,0"},
          {F::RideTime, "0 h 14 min"},
          {F::Note, "Noční"},
          {F::Bike, "Favorit"}}},
        {1,
         {{F::Date, "1.7.2025"},
          {F::DistanceKm, "3,0"},
          {F::RideTime, "0 h 10 min"},
          {F::AvgSpeed, "18,0"},
          {F::Note, "Ráno, okruh"},
          {F::Bike, "Author"}}},
        {3,
         {{F::Date, "4.7.2025"},
          {F::DistanceKm, "25,3"},
          {F::RideTime, "0 h 58 min"},
          {F::AvgSpeed, "26,0"},
          {F::Note, "Trenažér"},
          {F::Bike, "Zwift"}}},
        {4, {{F::Date, "5.7.2025"}, {F::DistanceKm, "12,0"}, {F::RideTime, "0 h 40 min"}}},
    };
    for (const auto& [index, fields] : expected) {
        for (const auto& [field, value] : fields) {
            EXPECT_EQ(text(added[index], field), value) << index;
        }
    }
}

TEST_F(ReadExport, HostileArchivesAreBoundedAndSaidNeverUnpacked) {
    tracks::ArchiveLimits small;
    small.ratioAfter = 1 << 20;
    const struct {
        const char* file;
        std::vector<std::string> unreadable;  // each reason, in order
        int rides;
    } cases[] = {
        {"bomb.zip",
         {"Archiv „bomb.zip“ se rozbaluje do nepřiměřeně velkých dat; zbytek nebyl přečten."},
         0},
        {"paths.zip",
         {"Soubor „/etc/cron.d/x.gpx“ má v archivu cestu mimo archiv.",
          "Soubor „../../up.gpx“ má v archivu cestu mimo archiv."},
         1},
        // The list is read, the tracks after the cut are missed: the rides with columns stay.
        {"truncated.zip",
         {"V exportu chybí soubor „activities/1001.fit.gz“.",
          "V exportu chybí soubor „activities/1002.gpx.gz“.",
          "V exportu chybí soubor „activities/1003.tcx“.",
          "V exportu chybí soubor „activities/1007.gpx“.",
          "Archiv „truncated.zip“ je poškozený nebo neúplný."},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> reasons;
        int rides = 0;
        for (const auto& candidate : Read(c.file, small)) {
            if (candidate.status == ImportStatus::Unreadable) reasons.push_back(candidate.reason);
            if (candidate.status == ImportStatus::New) ++rides;
        }
        EXPECT_EQ(reasons, c.unreadable);
        EXPECT_EQ(rides, c.rides);
    }
}

TEST(ParseActivityDate, ReadsTheExportsEnglishDatesInUtc) {
    const struct {
        const char* text;
        std::optional<std::int64_t> utc;
    } cases[] = {
        {"Jul 1, 2025, 6:30:00 AM", 1751351400},
        {"Jul 1, 2025, 6:30:00\xE2\x80\xAFPM", 1751351400 + 12 * 3600},
        {"Dec 31, 2024, 12:05:09 AM", 1735603509},
        {"Dec 31, 2024, 12:05:09 PM", 1735603509 + 12 * 3600},
        {"2025-07-01 06:30:00", 1751351400},
        {"Feb 29, 2025, 6:30:00 AM", std::nullopt},
        {"Jul 1, 2025, 13:30:00 PM", std::nullopt},
        {"Foo 1, 2025, 6:30:00 AM", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tracks::ParseActivityDate(c.text), c.utc) << c.text;
    }
}

}  // namespace
