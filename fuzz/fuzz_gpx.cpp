// The GPX reader: any bytes are read or refused with a TrackError, and what is read is a ride.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "track_fuzz.h"
#include "tracks/xml_track.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        CheckRide(tracks::ReadGpx(std::string_view(reinterpret_cast<const char*>(data), size),
                                  "fuzz.gpx"));
    } catch (const tracks::TrackError&) {
    }
    return 0;
}
