#include "tracks/track_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>

#include "diary/atomic_file.h"
#include "diary/cp1250.h"
#include "diary/field_text.h"
#include "tracks/fit.h"
#include "tracks/xml_track.h"

namespace tracks {

namespace {

// Half a gigabyte is some twenty million FIT records, half a year of riding at one a second.
constexpr std::uintmax_t kLargestTrack = std::uintmax_t{512} << 20;

// The note field takes at most this many characters (bytes, in code page 1250).
constexpr std::size_t kNoteLimit = 255;

// One decimal with the user's separator where the number fields can read it back (a comma or a
// point); any other separator would make the field unreadable to the calculators.
std::string OneDecimal(double value, const diary::RegionalSettings& regional) {
    const std::string text = diary::FormatOneDecimal(value);
    return regional.decimalSeparator == "." ? text : diary::DotToComma(text);
}

}  // namespace

Track ReadTrack(std::string_view bytes, const std::string& path) {
    Track track = LooksLikeFit(bytes) ? ReadFit(bytes, path) : ReadXmlTrack(bytes, path);
    // A device's own session totals are a ride even when it kept a single record.
    if (std::isnan(track.totals.distance) &&
        std::count_if(track.points.begin(), track.points.end(),
                      [](const TrackPoint& p) { return p.Locates(); }) < 2) {
        throw OnePoint(path);
    }
    return track;
}

TrackSummary ReadTrackFile(const std::string& path) {
    // A film or a disk image picked by mistake is refused before it is read into memory.
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > kLargestTrack) {
        throw TrackError(path, "Soubor „" + path + "“ je na záznam trasy příliš velký.");
    }
    std::optional<std::string> bytes;
    try {
        bytes = diary::ReadWholeFile(path, kLargestTrack);
    } catch (const diary::ReadError&) {
        throw TrackError(path, "Soubor „" + path + "“ nelze přečíst.");
    }
    if (!bytes) throw TrackError(path, "Soubor „" + path + "“ neexistuje.");
    return Summarize(ReadTrack(*bytes, path));
}

std::optional<diary::Date> LocalDate(std::int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    if (static_cast<std::int64_t>(t) != utcSeconds) return std::nullopt;
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) return std::nullopt;
    const diary::Date date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    if (!diary::IsValidDate(date)) return std::nullopt;
    return date;
}

diary::DiaryRecord RideFields(const TrackSummary& summary,
                              const diary::RegionalSettings& regional) {
    using diary::Field;
    diary::DiaryRecord record;
    if (summary.startUtc) {
        if (const auto date = LocalDate(*summary.startUtc)) {
            record[Field::Date] = diary::FormatDate(regional, *date);
        }
    }
    record[Field::DistanceKm] = OneDecimal(summary.distanceMetres / 1000, regional);
    if (summary.movingSeconds) {
        // Whole minutes first, so that 59.6 minutes is "1 h 0 min" and never "0 h 60 min".
        const auto minutes = static_cast<long long>(std::llround(*summary.movingSeconds / 60));
        record[Field::RideTime] = Decimal(minutes / 60) + " h " + Decimal(minutes % 60) + " min";
    }
    if (summary.averageSpeed) {
        record[Field::AvgSpeed] = OneDecimal(*summary.averageSpeed * 3.6, regional);
    }
    if (summary.maxSpeed) record[Field::MaxSpeed] = OneDecimal(*summary.maxSpeed * 3.6, regional);

    std::string note = diary::Utf8ToCp1250(summary.name);
    if (note.size() > kNoteLimit) note.resize(kNoteLimit);
    record[Field::Note] = std::move(note);
    return record;
}

}  // namespace tracks
