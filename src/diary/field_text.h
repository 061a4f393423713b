#pragma once
// The texts of the number fields and of the ride time, and the conversions every window shares.
// Nothing here goes through the C locale.

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace diary {

// Every ',' as '.'; kept for the fuzzers and tests (ParseCommaNumber reads a comma as the point
// without a copy).
std::string CommaToDot(std::string_view text);
// Every '.' as ','.
std::string DotToComma(std::string_view text);

// The number-text grammar: leading blanks (spaces only), an optional sign, digits with an
// optional "." and more digits (either side may be empty, "." alone is 0), an optional
// exponent ("E"/"e", optional sign, at least one digit), nothing after. No comma conversion.
// A value beyond the range of a double reads as no number.
std::optional<double> ParseNumber(std::string_view text);
// ParseNumber(CommaToDot(text)) without the copy: what every number field is read by.
std::optional<double> ParseCommaNumber(std::string_view text);

namespace detail {
// The commonest field texts in one scan: blanks, a sign, at most fifteen digits with at most one
// point among them, nothing else. Fifteen digits and 10^15 are both exact doubles, so the one
// division is the correctly rounded value. Any other text (an exponent, a stray character, more
// digits) is left to the full reading, which also decides whether it is a number at all.
inline bool QuickNumber(std::string_view text, bool commaIsPoint, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ') ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // Each run of digits in its own loop: a loop that also asks whether each character is the
    // point mispredicts where the point falls, and that was most of a number's cost.
    std::uint64_t mantissa = 0;
    auto digitsUpTo = [&mantissa, &p, end] {
        const char* const first = p;
        while (p != end && (*p >= '0' && *p <= '9'))
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        return p - first;
    };
    const auto whole = digitsUpTo();
    std::ptrdiff_t fraction = 0;
    if (p != end) {
        if (*p != '.' && !(commaIsPoint && *p == ',')) return false;
        ++p;
        fraction = digitsUpTo();
        if (p != end) return false;
    } else if (whole == 0) {
        return false;
    }
    // More than fifteen digits may have wrapped the mantissa; they take the full road.
    if (whole + fraction > 15) return false;
    value = static_cast<double>(mantissa) / kPowers[fraction];
    if (negative) value = -value;
    return true;
}

// A text of one to eight characters in the form most fields hold, digits with at most one
// point ("." or ",") among or after them, read from `word`, its bytes loaded at once (those past
// the text ignored). No branch depends on where the point or the digits fall; any other text
// answers false and is left to QuickNumber. The value is QuickNumber's: the digits as a whole
// number, divided once by a power of ten.
inline bool EightByteNumber(std::uint64_t word, std::size_t size, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::uint64_t inText = size == 8 ? ~0ull : (std::uint64_t{1} << (8 * size)) - 1;
    // Each byte's top bit: set where the byte is an ASCII digit. Every byte is compared alone:
    // with its own top bit set first, no subtraction borrows from the next byte.
    const std::uint64_t low = (word & ~kHigh) | kHigh;
    const std::uint64_t digits = (low - 0x30 * kOnes) & ~(low - 0x3A * kOnes) & ~word & kHigh;
    const std::uint64_t others = ~digits & kHigh & inText;
    // At most one byte that is no digit, and that one a point. Whether there is a point and
    // where it falls follow no pattern, so they choose values rather than branches; `at` is 8
    // where there is none.
    if ((others & (others - 1)) != 0) return false;
    const bool hasPoint = others != 0;
    const int at = std::countr_zero(others) / 8;
    const auto point = static_cast<char>(word >> (8 * (at & 7)));
    if (!(!hasPoint | (point == '.') | (point == ','))) return false;
    // The digits side by side: the bytes after the point moved down over it.
    const std::uint64_t before = at == 8 ? ~0ull : (std::uint64_t{1} << (8 * at)) - 1;
    std::uint64_t number = (word & before) | ((word >> 8) & ~before);
    const int count = static_cast<int>(size) - static_cast<int>(hasPoint);
    if (count == 0) return false;  // "." alone, left to QuickNumber
    // Right-aligned in the eight bytes (the last digit in the highest), then added up in pairs,
    // fours and eights.
    number <<= 8 * (8 - count);
    number = ((number & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
    number = ((number & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
    number = ((number & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
    const int fraction = hasPoint ? static_cast<int>(size) - 1 - at : 0;
    value = static_cast<double>(number) / kPowers[fraction];
    return true;
}

double FullNumberOrNaN(std::string_view text, bool commaIsPoint);
}  // namespace detail

// The same value, or NaN where ParseCommaNumber has none: for loops over many rows, where the
// short texts most fields hold are read without a call.
inline double CommaNumberOrNaN(std::string_view text) {
    double value = 0;
    if (detail::QuickNumber(text, true, value)) return value;
    return detail::FullNumberOrNaN(text, true);
}
// The same, for a text in a buffer that may be read up to `readableEnd`: a text of up to eight
// characters with eight bytes after its start is read by EightByteNumber.
inline double CommaNumberOrNaN(std::string_view text, const char* readableEnd) {
    double value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        if (text.size() - 1 < 8 && readableEnd - text.data() >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data(), sizeof word);
            if (detail::EightByteNumber(word, text.size(), value)) return value;
        }
    }
    return CommaNumberOrNaN(text);
}

// What std::to_chars writes: a whole number's digits, or a double's shortest text that reads
// back as the same value, with "." as the point (what the diary's own sections store).
template <typename Number>
std::string PlainNumberText(Number value) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}
// Appends the decimal digits of `value`.
void AppendInt(std::string& out, long long value);

// "<H> h <M> min": H = hours truncated toward zero, M = the rest times 60 rounded half to
// even. No carry: 1.9999 gives "1 h 60 min". A value that is not finite has no hours to show
// and gives "?", the import's unknown ride time.
std::string FormatRideTime(double hours);

// The two numbers of a ride-time text as ParseRideTime reads them. Each way of counting has its
// own sum, as each reader always had: hours + minutes / 60 is not (hours * 60 + minutes) / 60.
struct RideTimeParts {
    double hours = 0;
    double minutes = 0;
    double Hours() const { return hours + minutes / 60.0; }
    double Minutes() const { return hours * 60 + minutes; }
};
// Whether `text` reads as a ride time by ParseRideTime's rule; its numbers into `parts`.
bool ReadRideTimeParts(std::string_view text, RideTimeParts& parts);

// Hours from a ride-time text: the part before the first 'h' less its last character, the part
// between that 'h' and the next 'm' less its last character, both read as numbers (no comma
// conversion); `fallback` when either does not read.
double ParseRideTime(std::string_view text, double fallback);
// The same text read as minutes (hours * 60 + minutes), NaN where ParseRideTime falls back.
// Whole minutes stay whole, where hours + minutes / 60 does not: six rides of "0 h 10 min" are
// exactly 60 minutes but not exactly 1 hour.
double RideTimeMinutesOrNaN(std::string_view text);

// Fixed notation with one decimal, rounded half away from zero on the double's exact decimal
// expansion (12.25 -> "12.3", 12.35 -> "12.3", 0.04 -> "0.0"), "-" for negatives, decimal
// point (callers pass the result through DotToComma). A value that rounds to zero has no sign.
std::string FormatOneDecimal(double value);

// 15 significant digits, trailing zeros dropped; fixed notation for decimal exponents -3..15,
// else "d.dddE<exp>"; `decimalSeparator` between integer and fraction ("," under Czech
// settings). 35 -> "35", 0.00001 -> "1E-5", 1e15 -> "1E15", 31/3 -> "10,3333333333333".
std::string FormatGeneralReal(double value, std::string_view decimalSeparator);

}  // namespace diary
