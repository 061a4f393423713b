// Ride-time texts as the entry dialog and the statistics read them, and as the search does.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/field_text.h"
#include "diary/search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double hours = diary::ParseRideTime(text, -1);
    if (std::isnan(hours)) __builtin_trap();
    (void)diary::FormatRideTime(hours);
    const auto searched = diary::ReadSearchRideTime(text);
    if (searched && std::isnan(*searched)) __builtin_trap();
    // A half of the input as bounds, the other as the value.
    const std::size_t half = size / 2;
    (void)diary::RideTimeInRange(text.substr(0, half), text.substr(half), text);
    return 0;
}
