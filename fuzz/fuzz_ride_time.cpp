// Ride-time texts as the entry dialog and the statistics read them, and as the search does.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/field_text.h"
#include "diary/record.h"
#include "diary/record_table.h"
#include "diary/regional.h"
#include "diary/search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double hours = diary::ParseRideTime(text, -1);
    if (std::isnan(hours)) __builtin_trap();
    (void)diary::FormatRideTime(hours);
    const auto searched = diary::ReadSearchRideTime(text);
    if (searched && std::isnan(*searched)) __builtin_trap();
    // The search's ride-time condition: a half of the input as each bound, the whole as the
    // record's ride time.
    const std::size_t half = size / 2;
    diary::SearchConditions conditions;
    conditions.enabled[9] = true;
    conditions.lower[9] = text.substr(0, half);
    conditions.upper[9] = text.substr(half);
    diary::DiaryRecord record;
    record[diary::Field::RideTime] = text;
    (void)diary::SearchQuery(conditions, diary::RegionalSettings::Czech())
        .Rides(diary::RecordTable({diary::RecordRow(record)}));
    return 0;
}
