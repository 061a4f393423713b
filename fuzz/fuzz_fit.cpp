// The FIT reader: any bytes are read or refused with a TrackError, and what is read is a ride.
// Mutated files rarely keep their checksum, so an input whose first byte is even is taken as
// the messages alone and given a valid header and checksum here: that is how the fuzzer gets
// past the checksum into the message decoder. An odd first byte hands the rest over as it is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "track_fuzz.h"
#include "tracks/fit.h"

namespace {

void PutLittle(std::string& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string file;
    if ((data[0] & 1) != 0) {
        file = rest;
    } else {
        file += '\x0E';
        file += '\x20';
        PutLittle(file, 2132, 2);
        PutLittle(file, static_cast<std::uint32_t>(rest.size()), 4);
        file += ".FIT";
        PutLittle(file, tracks::FitCrc(file), 2);
        file += rest;
        PutLittle(file, tracks::FitCrc(file), 2);
    }
    try {
        CheckRide(tracks::ReadFit(file, "fuzz.fit"));
    } catch (const tracks::TrackError&) {
    }
    return 0;
}
