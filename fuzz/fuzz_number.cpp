// The number grammar, the two readers built on it and the eight-byte reading of short texts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
    // Eight bytes read at once, the input's later bytes lying after the text.
    const std::string_view head(text.data(), size % 9);
    const double quick = diary::CommaNumberOrNaN(head, text.data() + text.size());
    const double careful = diary::CommaNumberOrNaN(head);
    if (std::isnan(quick) != std::isnan(careful)) __builtin_trap();
    if (!std::isnan(careful) && quick != careful) __builtin_trap();
    if (plain) {
        (void)diary::FormatOneDecimal(*plain);
        (void)diary::FormatGeneralReal(*plain, ",");
        (void)diary::FormatRideTime(*plain);
    }
    return 0;
}
