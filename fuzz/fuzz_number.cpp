// The number grammar and the two readers built on it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/field_text.h"
#include "diary/statistics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto plain = diary::ParseNumber(text);
    if (plain && !std::isfinite(*plain)) __builtin_trap();
    const auto comma = diary::ParseCommaNumber(text);
    const auto converted = diary::ParseNumber(diary::CommaToDot(text));
    if (comma.has_value() != converted.has_value()) __builtin_trap();
    if (comma && *comma != *converted) __builtin_trap();
    const double s = diary::StrToIntS(text, -12345.0);
    if (plain ? s != *plain : s != -12345.0) __builtin_trap();
    if (plain) {
        (void)diary::FormatOneDecimal(*plain);
        (void)diary::FormatGeneralReal(*plain, ",");
        (void)diary::FormatRideTime(*plain);
    }
    return 0;
}
