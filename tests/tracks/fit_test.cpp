// Our FIT reader against the official FIT SDK's decoder on the files its encoder made, and on
// what the SDK does not read or write: compressed time stamps, chains, damaged files.

#include "tracks/fit.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "fit_builder.h"
#include "test_ride.h"

namespace {

using fittest::FitBuilder;
using fittest::FitField;

std::string Fixture(const std::string& name) {
    return testsupport::ReadFileBytes(std::string(TRACK_FIXTURES) + "/" + name);
}

// One line of the SDK decoder's output: a kind and raw values, "-" where the field was absent.
struct SdkLine {
    std::string kind;
    std::vector<std::optional<std::int64_t>> values;
};

std::vector<SdkLine> SdkOutput(const std::string& name) {
    std::vector<SdkLine> lines;
    std::istringstream in(Fixture(name));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        SdkLine l;
        words >> l.kind;
        std::string word;
        while (words >> word) {
            std::int64_t v = 0;
            const auto r = std::from_chars(word.data(), word.data() + word.size(), v);
            l.values.push_back(r.ec == std::errc() ? std::optional<std::int64_t>(v) : std::nullopt);
        }
        lines.push_back(std::move(l));
    }
    return lines;
}

// Our value against the SDK's raw one: absent both, or equal after the unit's scale.
void ExpectRaw(double ours, std::optional<std::int64_t> raw, double scale, double offset,
               const char* what, std::size_t index) {
    if (!raw) {
        EXPECT_TRUE(std::isnan(ours)) << what << " of record " << index;
    } else {
        EXPECT_DOUBLE_EQ(ours, static_cast<double>(*raw) * scale + offset)
            << what << " of record " << index;
    }
}

constexpr double kFitEpoch = 631065600;
constexpr double kSemicircle = 180.0 / 2147483648.0;

TEST(ReadFit, ReadsWhatTheSdkDecodes) {
    for (const char* name : {"ride", "positions", "bigendian"}) {
        SCOPED_TRACE(name);
        const tracks::Track track = tracks::ReadFit(Fixture(std::string(name) + ".fit"), name);
        std::size_t record = 0;
        bool session = false;
        for (const SdkLine& l : SdkOutput(std::string(name) + ".sdk.txt")) {
            if (l.kind == "record") {
                ASSERT_LT(record, track.points.size());
                ASSERT_EQ(l.values.size(), 5u);
                const tracks::TrackPoint& p = track.points[record];
                ExpectRaw(p.time, l.values[0], 1, kFitEpoch, "time", record);
                ExpectRaw(p.lat, l.values[1], kSemicircle, 0, "latitude", record);
                ExpectRaw(p.lon, l.values[2], kSemicircle, 0, "longitude", record);
                ExpectRaw(p.distance, l.values[3], 0.01, 0, "distance", record);
                ExpectRaw(p.speed, l.values[4], 0.001, 0, "speed", record);
                ++record;
            } else if (l.kind == "session") {
                session = true;
                ASSERT_EQ(l.values.size(), 4u);
                ExpectRaw(track.totals.startTime, l.values[0], 1, kFitEpoch, "start", 0);
                ExpectRaw(track.totals.distance, l.values[1], 0.01, 0, "total distance", 0);
                ExpectRaw(track.totals.timerTime, l.values[2], 0.001, 0, "timer time", 0);
                ExpectRaw(track.totals.maxSpeed, l.values[3], 0.001, 0, "maximum speed", 0);
            }
        }
        EXPECT_EQ(record, track.points.size());
        EXPECT_EQ(record, 843u);
        if (!session) {
            EXPECT_TRUE(std::isnan(track.totals.distance));
        }
    }
}

TEST(ReadFit, FixturesGiveTheTestRide) {
    const ridetest::Expected e = ridetest::ExpectedRide();
    const struct {
        const char* name;
        double distance;
        double maxSpeed;
        double tolerance;  // relative
    } cases[] = {
        {"ride.fit", 5005.31, 11.123, 1e-9},  // the session's totals
        {"bigendian.fit", 5005.31, 11.123, 1e-9},
        // Ours from the positions, each rounded to a semicircle (about a centimetre).
        {"positions.fit", e.distance, e.maxSpeed, 1e-3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto s = tracks::Summarize(tracks::ReadFit(Fixture(c.name), c.name));
        EXPECT_NEAR(s.distanceMetres, c.distance, c.distance * c.tolerance);
        EXPECT_EQ(s.movingSeconds, 840);
        ASSERT_TRUE(s.maxSpeed.has_value());
        EXPECT_NEAR(*s.maxSpeed, c.maxSpeed, c.maxSpeed * c.tolerance);
        EXPECT_EQ(s.startUtc, ridetest::kStartUtc);
    }
}

// A record with a full time stamp, then `count` records timed by compressed headers only.
std::string CompressedRide(bool bigEndian, std::uint32_t start, int count) {
    FitBuilder b;
    b.Define(0, 20, {{253, 4, 0x86}, {0, 4, 0x85}, {1, 4, 0x85}}, bigEndian);
    b.Data(0, {start, static_cast<std::uint32_t>(fittest::Semicircles(50)), 0});
    b.Define(2, 20, {{0, 4, 0x85}, {1, 4, 0x85}, {5, 4, 0x86}}, bigEndian, 3);
    for (int i = 1; i <= count; ++i) {
        const auto lat = static_cast<std::uint32_t>(fittest::Semicircles(50 + i * 1e-4));
        b.Compressed(2, static_cast<std::uint8_t>((start + i) & 0x1F),
                     {lat, 0, static_cast<std::uint64_t>(i) * 1000});
    }
    return b.File();
}

TEST(ReadFit, CompressedTimeStampsInEitherByteOrder) {
    // 0x..1D: the five bits roll over after two records.
    for (const bool big : {false, true}) {
        for (const std::uint32_t start : {0x3FFFFFFDu, 0x40000000u}) {
            SCOPED_TRACE(std::to_string(big) + " " + std::to_string(start));
            const tracks::Track t = tracks::ReadFit(CompressedRide(big, start, 70), "c.fit");
            ASSERT_EQ(t.points.size(), 71u);
            for (std::size_t i = 0; i < t.points.size(); ++i) {
                EXPECT_EQ(t.points[i].time, start + i + kFitEpoch) << i;
                EXPECT_NEAR(t.points[i].lat, 50 + static_cast<double>(i) * 1e-4, 1e-7) << i;
                if (i > 0) {
                    EXPECT_EQ(t.points[i].distance, static_cast<double>(i) * 10) << i;
                }
            }
        }
    }
}

// Fields are read by the type their definition declares, whatever the profile says.
TEST(ReadFit, FieldsOfOtherTypesAreReadAsDeclared) {
    const std::uint32_t start = fittest::FitTime(ridetest::kStartUtc);
    const struct {
        const char* label;
        std::vector<FitField> fields;
        std::vector<std::uint64_t> values;
        double time, lat, distance, speed;
    } cases[] = {
        {"the profile's own types",
         {{253, 4, 0x86}, {0, 4, 0x85}, {5, 4, 0x86}, {6, 2, 0x84}},
         {start, 0xDC000000u, 12345, 5500},
         start + kFitEpoch,
         -50.625,
         123.45,
         5.5},
        {"wider and narrower types",
         {{253, 8, 0x8F}, {0, 8, 0x8E}, {5, 2, 0x84}, {6, 1, 0x02}},
         {start, static_cast<std::uint64_t>(-0x24000000LL), 700, 200},
         start + kFitEpoch,
         -50.625,
         7,
         0.2},
        {"a negative time and distance, a position beyond the pole",
         {{253, 4, 0x85}, {0, 4, 0x86}, {5, 4, 0x85}, {6, 2, 0x83}},
         {0x80000000u, 0xDC000000u, 0xFFFFFF00u, 0xFF00},
         NAN,
         NAN,
         NAN,
         NAN},
        {"a time past 2106, an array of speeds, invalid values",
         {{253, 8, 0x8F}, {0, 4, 0x85}, {5, 4, 0x8C}, {6, 4, 0x84}},
         {0x100000000ull, 0x7FFFFFFF, 0, 1},
         NAN,
         NAN,
         NAN,
         NAN},
        {"a time of no bytes in a type that has no size",
         {{253, 0, 0x0D}, {0, 4, 0x85}, {5, 4, 0x86}, {6, 2, 0x84}},
         {0, 0x1000, 0, 5500},
         NAN,
         0x1000 * (180.0 / 2147483648.0),
         0,
         5.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FitBuilder b;
        b.Define(0, 20, c.fields);
        b.Data(0, c.values);
        b.Define(1, 20, {{5, 4, 0x86}});
        b.Data(1, {100});  // so that every file has a point that says where the rider went
        const tracks::Track t = tracks::ReadFit(b.File(), "types.fit");
        ASSERT_EQ(t.points.size(), 2u);
        const tracks::TrackPoint& p = t.points[0];
        for (const auto& [got, want] :
             {std::pair{p.time, c.time}, std::pair{p.lat, c.lat}, std::pair{p.distance, c.distance},
              std::pair{p.speed, c.speed}}) {
            if (std::isnan(want)) {
                EXPECT_TRUE(std::isnan(got)) << got;
            } else {
                EXPECT_DOUBLE_EQ(got, want);
            }
        }
    }
}

TEST(ReadFit, ChainedFilesAreOneRide) {
    const std::string one = Fixture("ride.fit");
    const std::string two = Fixture("positions.fit");
    const tracks::Track t = tracks::ReadFit(one + two, "chain.fit");
    EXPECT_EQ(t.points.size(),
              tracks::ReadFit(one, "a").points.size() + tracks::ReadFit(two, "b").points.size());
    EXPECT_NEAR(t.totals.distance, 5005.31, 1e-9);
}

std::string FitMessage(const std::string& bytes) {
    try {
        tracks::ReadFit(bytes, "f.fit");
    } catch (const tracks::TrackError& e) {
        return e.what();
    }
    return "(read)";
}

std::string WithByte(std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

TEST(ReadFit, DamagedFilesAreRefusedWithWhereOrWhat) {
    const std::string ride = Fixture("ride.fit");
    const FitField stamp{253, 4, 0x86};
    const FitField lat{0, 4, 0x85};

    FitBuilder undefined;
    undefined.Define(0, 20, {stamp});
    undefined.Bytes(std::string("\x03\x00\x00\x00\x00", 5));
    FitBuilder early;
    early.Define(0, 20, {lat});
    early.Compressed(0, 5, {1});
    FitBuilder architecture;  // 2 is neither little (0) nor big endian (1)
    architecture.Bytes(std::string("\x40\x00\x02\x14\x00\x01\xFD\x04\x86", 9));
    FitBuilder cutDefinition;
    cutDefinition.Bytes(std::string("\x40\x00\x00\x14", 4));
    FitBuilder cutData;
    cutData.Define(0, 20, {stamp, lat});
    cutData.Bytes(std::string("\x00\x01\x02", 3));
    FitBuilder fileIdOnly;
    fileIdOnly.Define(0, 0, {{0, 1, 0}});
    fileIdOnly.Data(0, {4});
    FitBuilder manyFields;
    manyFields.Bytes(std::string("\x40\x00\x00\x14\x00\xFF", 6));

    const std::string damaged = "Soubor „f.fit“ je poškozený";
    const struct {
        const char* label;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"a byte changed", WithByte(ride, 200, static_cast<char>(ride[200] ^ 1)),
         damaged + ": kontrolní součet nesouhlasí."},
        {"cut short", ride.substr(0, ride.size() - 10),
         damaged + ": končí dřív, než jeho záhlaví slibuje."},
        {"header checksum", WithByte(ride, 12, static_cast<char>(ride[12] ^ 1)),
         damaged + ": kontrolní součet záhlaví nesouhlasí."},
        {"header of 13 bytes", WithByte(ride, 0, 13),
         "Soubor „f.fit“ není záznam trasy (GPX, TCX ani FIT)."},
        {"too short for a header", ride.substr(0, 11),
         "Soubor „f.fit“ není záznam trasy (GPX, TCX ani FIT)."},
        {"data of an undefined message", undefined.File(), damaged + " na bajtu 23."},
        {"compressed time stamp before any time", early.File(), damaged + " na bajtu 23."},
        {"unknown architecture", architecture.File(), damaged + " na bajtu 16."},
        {"definition cut off", cutDefinition.File(), damaged + " na bajtu 14."},
        {"fields beyond the file", manyFields.File(), damaged + " na bajtu 14."},
        {"data message cut off", cutData.File(), damaged + " na bajtu 26."},
        {"a 12-byte header file of nothing but a file id", fileIdOnly.File(false),
         "Soubor „f.fit“ neobsahuje žádné body trasy."},
        {"garbage after the file", ride + "xyz",
         damaged + " na bajtu " + std::to_string(ride.size()) + "."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitMessage(c.bytes), c.message) << c.label;
    }
}

}  // namespace
