// The export reader: any bytes, as an archive or as the activity list, are read to candidates
// or refused member by member, never crash, and every ride that would be imported is one the
// diary can hold.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "diary/diary_transaction.h"
#include "tracks/ride_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tracks::ArchiveLimits limits;
    limits.memberBytes = 1 << 20;
    limits.totalBytes = 4 << 20;
    limits.ratioAfter = 1 << 20;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // By content a zip or a gzip is opened; anything else is read as the list it is named.
    std::vector<tracks::ImportCandidate> candidates =
        tracks::ReadExportBytes("activities.csv", bytes, limits);
    const auto regional = diary::RegionalSettings::Czech();
    tracks::MarkDuplicates(candidates, {}, regional);
    std::vector<const tracks::ImportCandidate*> wanted;
    for (const auto& c : candidates) {
        if (!c.hasRide) continue;
        if (!std::isfinite(c.ride.distanceMetres) || c.ride.distanceMetres < 0) __builtin_trap();
        if (c.Wanted()) wanted.push_back(&c);
    }
    for (const diary::DiaryRecord& record : tracks::ImportRecords(wanted, regional)) {
        diary::CheckRideWritable(record);
    }
    return 0;
}
