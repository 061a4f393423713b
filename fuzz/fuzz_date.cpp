// Date reading under several short date formats: never a crash, never an impossible date, and
// every date read writes back to a text that reads as the same date.
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/regional.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kFormats[] = {"%-d.%-m.%Y", "%m/%d/%Y", "%d/%m/%y", "%Y-%m-%d",
                                           "%d.%m.%Y",   "%F",       "%D",       "%e.%m.%Y"};
    diary::RegionalSettings regional;
    regional.dateFormat = kFormats[data[0] % (sizeof kFormats / sizeof kFormats[0])];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto date = diary::ReadDate(regional, text);
    if (!date) return 0;
    if (!diary::IsValidDate(*date)) __builtin_trap();
    const auto again = diary::ReadDate(regional, diary::FormatDate(regional, *date));
    if (!again || !(*again == *date)) __builtin_trap();
    (void)diary::ReadDateDays(regional, text);
    return 0;
}
