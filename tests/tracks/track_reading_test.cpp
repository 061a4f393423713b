// GPX and TCX files of the test ride read back to the ride's figures, the formats told by
// content, and every kind of bad file refused with its Czech message.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "TempDir.h"
#include "test_ride.h"
#include "tracks/track_file.h"
#include "tracks/xml_track.h"

namespace {

using ridetest::GpxStyle;
using ridetest::TcxStyle;

struct FileCase {
    const char* label;
    std::string bytes;
    bool deviceMax;  // the file carries the device's speeds
};

std::vector<FileCase> RideFiles() {
    const auto ride = ridetest::TestRide();
    GpxStyle v10;
    v10.version10 = true;
    GpxStyle prefixed;
    prefixed.prefixed = true;
    GpxStyle split;
    split.splitAtPause = true;
    split.routeAndWaypoints = true;
    GpxStyle speeds10 = v10;
    speeds10.speeds = true;
    GpxStyle speeds11;
    speeds11.speeds = true;
    TcxStyle device;
    device.device = true;
    TcxStyle laps;
    laps.lapAtPause = true;
    TcxStyle indoor;
    indoor.device = true;
    indoor.positions = false;
    return {
        {"GPX 1.1", ridetest::ToGpx(ride, {}), false},
        {"GPX 1.0", ridetest::ToGpx(ride, v10), false},
        {"GPX with a namespace prefix", ridetest::ToGpx(ride, prefixed), false},
        {"GPX in two tracks, with a route and waypoints", ridetest::ToGpx(ride, split), false},
        {"GPX 1.0 with speeds", ridetest::ToGpx(ride, speeds10), true},
        {"GPX 1.1 with extension speeds", ridetest::ToGpx(ride, speeds11), true},
        {"TCX positions only", ridetest::ToTcx(ride, {}), false},
        {"TCX in two laps", ridetest::ToTcx(ride, laps), false},
        {"TCX with device distance and speed", ridetest::ToTcx(ride, device), true},
        {"TCX without positions", ridetest::ToTcx(ride, indoor), true},
    };
}

TEST(ReadTrack, EveryFormOfTheRideGivesItsFigures) {
    const ridetest::Expected e = ridetest::ExpectedRide();
    for (const FileCase& c : RideFiles()) {
        SCOPED_TRACE(c.label);
        const tracks::TrackSummary s = tracks::Summarize(tracks::ReadTrack(c.bytes, "ride"));
        EXPECT_NEAR(s.distanceMetres, e.distance, e.distance * 1e-6);
        ASSERT_TRUE(s.movingSeconds.has_value());
        EXPECT_DOUBLE_EQ(*s.movingSeconds, e.moving);
        ASSERT_TRUE(s.averageSpeed.has_value());
        EXPECT_NEAR(*s.averageSpeed, e.average, e.average * 1e-6);
        ASSERT_TRUE(s.maxSpeed.has_value());
        EXPECT_NEAR(*s.maxSpeed, e.maxSpeed, e.maxSpeed * (c.deviceMax ? 1e-3 : 1e-6));
        ASSERT_TRUE(s.startUtc.has_value());
        EXPECT_EQ(*s.startUtc, ridetest::kStartUtc);
    }
}

TEST(ReadTrack, NamesComeFromTheTrackTheMetadataOrTheActivityNotes) {
    const auto ride = ridetest::TestRide();
    GpxStyle blanks;
    blanks.name = "\n   Okolo\tSázavy \r\n ";
    GpxStyle none;
    none.name = "";
    std::string metadata = ridetest::ToGpx(ride, none);
    metadata.replace(metadata.find("<trk>"), 0, "<metadata><name>Z metadat</name></metadata>");
    GpxStyle escaped;
    escaped.name = "Tam &amp; zpět &lt;3";
    GpxStyle entity;
    entity.name = "&n; – okruh";
    std::string declared = ridetest::ToGpx(ride, entity);
    declared.insert(declared.find("<gpx"),
                    "<!DOCTYPE gpx [<!ENTITY n \"Br&m;\"><!ENTITY m \"no\">]>");
    const struct {
        std::string bytes;
        std::string name;
    } cases[] = {
        {ridetest::ToGpx(ride, {}), "Ranní jízda"},
        {ridetest::ToGpx(ride, blanks), "Okolo Sázavy"},
        {metadata, "Z metadat"},
        {ridetest::ToGpx(ride, escaped), "Tam & zpět <3"},
        {declared, "Brno – okruh"},
        {ridetest::ToTcx(ride, {}), "Do práce"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tracks::ReadTrack(c.bytes, "x").name, c.name);
    }
}

TEST(ReadTrackFile, TellsTheFormatByContentNotByName) {
    testsupport::TempDir dir;
    const auto ride = ridetest::TestRide();
    const std::string gpx = dir.File("jizda.fit");
    const std::string tcx = dir.File("jizda.gpx");
    testsupport::WriteFileBytes(gpx, ridetest::ToGpx(ride, {}));
    testsupport::WriteFileBytes(tcx, ridetest::ToTcx(ride, {}));
    EXPECT_EQ(tracks::ReadTrackFile(gpx).name, "Ranní jízda");
    EXPECT_EQ(tracks::ReadTrackFile(tcx).name, "Do práce");
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path == nullptr ? "/usr/bin:/bin" : path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

bool Convert(const std::string& in, const char* from, const std::string& out, const char* to) {
    const std::string command = std::string("gpsbabel -i ") + from + " -f '" + in + "' -o " + to +
                                " -F '" + out + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Another program's GPX and TCX of the same ride read as that ride. gpsbabel writes each
// point's speed into TCX from its own spherical distances, hence the looser maximum, and from
// the GPS jump too: the speed after it must not become the maximum.
TEST(ReadTrackFile, GpsbabelsConversionsReadAsTheSameRide) {
    if (!OnPath("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed (Debian package gpsbabel)";
    testsupport::TempDir dir;
    const std::string gpx = dir.File("ride.gpx");
    const std::string tcx = dir.File("ride.tcx");
    const std::string back = dir.File("back.gpx");
    testsupport::WriteFileBytes(gpx, ridetest::ToGpx(ridetest::TestRide(), {}));
    ASSERT_TRUE(Convert(gpx, "gpx", tcx, "gtrnctr,course=0,sport=Biking"));
    ASSERT_TRUE(Convert(tcx, "gtrnctr", back, "gpx"));
    const tracks::TrackSummary original = tracks::ReadTrackFile(gpx);
    for (const std::string& path : {tcx, back}) {
        SCOPED_TRACE(path);
        const tracks::TrackSummary s = tracks::ReadTrackFile(path);
        EXPECT_NEAR(s.distanceMetres, original.distanceMetres, original.distanceMetres * 1e-5);
        EXPECT_EQ(s.movingSeconds, original.movingSeconds);
        ASSERT_TRUE(s.maxSpeed && original.maxSpeed);
        EXPECT_NEAR(*s.maxSpeed, *original.maxSpeed, *original.maxSpeed * 2e-3);
        EXPECT_EQ(s.startUtc, original.startUtc);
    }
}

std::string ReadMessage(const std::string& bytes) {
    try {
        tracks::ReadTrack(bytes, "/data/j.gpx");
    } catch (const tracks::TrackError& e) {
        EXPECT_EQ(e.path(), "/data/j.gpx");
        return e.what();
    }
    return "(read)";
}

std::string Gpx(const std::string& points) {
    return "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>" +
           points + "</trkseg></trk></gpx>";
}

TEST(ReadTrack, BadFilesAreRefusedWithAMessageNamingTheFile) {
    const std::string pt = "<trkpt lat=\"50\" lon=\"14\"><time>2024-05-18T08:00:00Z</time></trkpt>";
    const std::string dtd = "<?xml version=\"1.0\"?><!DOCTYPE gpx [";
    const std::string named =
        "<gpx><trk><name>&x;</name><trkseg>" + pt + pt + "</trkseg></trk></gpx>";
    // Ten levels of ten references each: 10^10 times "ha".
    std::string laughs = dtd + "<!ENTITY l0 \"ha\">";
    for (int i = 1; i <= 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "<!ENTITY x \"&l10;\">]>" + named;
    const std::string tcxHead =
        "<TrainingCenterDatabase><Activities><Activity><Lap><Track><Trackpoint>";
    const std::string tcxTail =
        "</Trackpoint></Track></Lap></Activity></Activities></TrainingCenterDatabase>";
    const struct {
        const char* label;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"empty", "", "Soubor „/data/j.gpx“ není záznam trasy (GPX, TCX ani FIT)."},
        {"plain text", "Jeli jsme do Lhoty.",
         "Soubor „/data/j.gpx“ není záznam trasy (GPX, TCX ani FIT)."},
        {"other XML", "<kml><Document/></kml>",
         "Soubor „/data/j.gpx“ není záznam trasy (GPX, TCX ani FIT)."},
        {"cut short", Gpx(pt).substr(0, 120), "Soubor „/data/j.gpx“ je poškozený na bajtu 119."},
        {"only a route and waypoints",
         "<gpx><wpt lat=\"1\" lon=\"2\"/><rte><rtept lat=\"1\" lon=\"2\"/></rte></gpx>",
         "Soubor „/data/j.gpx“ neobsahuje žádné body trasy."},
        {"empty segment", Gpx(""), "Soubor „/data/j.gpx“ neobsahuje žádné body trasy."},
        {"one point", Gpx(pt),
         "Soubor „/data/j.gpx“ má jen jeden bod trasy, jízdu z něj nelze určit."},
        {"an external entity", dtd + "<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" + named,
         "Soubor „/data/j.gpx“ je poškozený: odkazuje na vnější entitu „&x;“."},
        {"a parameter entity", dtd + "<!ENTITY % p \"x\">]>" + named,
         "Soubor „/data/j.gpx“ je poškozený: DTD používá parametrické entity."},
        {"an entity not declared", dtd + "<!ENTITY y \"y\">]>" + named,
         "Soubor „/data/j.gpx“ je poškozený: neznámá entita „&x;“."},
        {"an entity that names itself", dtd + "<!ENTITY x \"&x;\">]>" + named,
         "Soubor „/data/j.gpx“ je poškozený: entity z DTD se rozvíjejí do příliš dlouhého textu."},
        {"a billion laughs", laughs,
         "Soubor „/data/j.gpx“ je poškozený: entity z DTD se rozvíjejí do příliš dlouhého textu."},
        {"latitude not a number", Gpx(pt + "<trkpt lat=\"abc\" lon=\"14\"/>"),
         "Soubor „/data/j.gpx“ je poškozený: neplatná poloha „abc“ u bodu 2."},
        {"latitude beyond the pole", Gpx("<trkpt lat=\"90.5\" lon=\"14\"/>"),
         "Soubor „/data/j.gpx“ je poškozený: neplatná poloha „90.5“ u bodu 1."},
        {"longitude infinite", Gpx("<trkpt lat=\"50\" lon=\"inf\"/>"),
         "Soubor „/data/j.gpx“ je poškozený: neplatná poloha „inf“ u bodu 1."},
        {"no position", Gpx("<trkpt lon=\"14\"/>"),
         "Soubor „/data/j.gpx“ je poškozený: bod 1 nemá polohu."},
        {"bad time", Gpx("<trkpt lat=\"50\" lon=\"14\"><time>18.5.2024 8:00</time></trkpt>"),
         "Soubor „/data/j.gpx“ je poškozený: neplatný čas „18.5.2024 8:00“ u bodu 1."},
        {"long bad time cut in the message",
         Gpx("<trkpt lat=\"50\" lon=\"14\"><time>" + std::string(38, 'x') + "ščř</time></trkpt>"),
         "Soubor „/data/j.gpx“ je poškozený: neplatný čas „" + std::string(38, 'x') +
             "š…“ u bodu 1."},
        {"negative speed", Gpx("<trkpt lat=\"50\" lon=\"14\"><speed>-3</speed></trkpt>"),
         "Soubor „/data/j.gpx“ je poškozený: neplatné číslo „-3“ u bodu 1."},
        {"TCX without trackpoints",
         "<TrainingCenterDatabase><Activities><Activity><Lap/></Activity></Activities>"
         "</TrainingCenterDatabase>",
         "Soubor „/data/j.gpx“ neobsahuje žádné body trasy."},
        {"TCX of heart rate only", tcxHead + "<Time>2024-05-18T08:00:00Z</Time>" + tcxTail,
         "Soubor „/data/j.gpx“ neobsahuje žádné body trasy."},
        {"TCX distance not a number", tcxHead + "<DistanceMeters>12,5</DistanceMeters>" + tcxTail,
         "Soubor „/data/j.gpx“ je poškozený: neplatné číslo „12,5“ u bodu 1."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadMessage(c.bytes), c.message) << c.label;
    }
}

TEST(ReadTrackFile, MissingUnreadableAndHugeFilesAreRefusedInCzech) {
    testsupport::TempDir dir;
    const std::string missing = dir.File("není.gpx");
    const std::string huge = dir.File("film.fit");
    testsupport::WriteFileBytes(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), off_t{513} << 20), 0);  // sparse: nothing is written
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {missing, "Soubor „" + missing + "“ neexistuje."},
        {dir.path(), "Soubor „" + dir.path() + "“ nelze přečíst."},
        {huge, "Soubor „" + huge + "“ je na záznam trasy příliš velký."},
    };
    for (const auto& c : cases) {
        try {
            tracks::ReadTrackFile(c.path);
            ADD_FAILURE() << c.path << " read";
        } catch (const tracks::TrackError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(ParseIsoTime, ReadsTheXmlSchemaDateTimesTracksUse) {
    const auto base = static_cast<double>(ridetest::kStartUtc);  // 2024-05-17T22:30:00Z
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"2024-05-17T22:30:00Z", base},
        {"2024-05-17t22:30:00z", base},
        {"2024-05-17T22:30:00", base},
        {"2024-05-17T22:30:00.250Z", base + 0.25},
        {"2024-05-18T00:30:00+02:00", base},
        {"2024-05-18T00:30:00+0200", base},
        {"2024-05-17T21:00:00-01:30", base},
        {"2024-02-29T00:00:00Z", 1709164800},
        {"1970-01-01T00:00:00Z", 0},
        {"1969-12-31T23:59:59Z", -1},
        {"2023-02-29T00:00:00Z", std::nullopt},
        {"2024-05-17T24:00:00Z", std::nullopt},
        {"2024-05-17T22:30:00.Z", std::nullopt},
        {"2024-05-17T22:30:00+2", std::nullopt},
        {"2024-05-17 22:30:00Z", std::nullopt},
        {"2024-5-17T22:30:00Z", std::nullopt},
        {"2024-05-17T22:30:00Z ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tracks::ParseIsoTime(c.text), c.value) << c.text;
    }
}

}  // namespace
