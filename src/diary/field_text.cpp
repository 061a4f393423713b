#include "diary/field_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace diary {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Exponents are saturated well beyond anything a double can reach, so a text like
// "1e99999999999999999999" still reads (as out of range) instead of overflowing our counter.
constexpr long kExponentLimit = 100000;

// The value of the usual field texts ("35", "21,5", "1874.2") without going through a string:
// when the significant digits fit in 2^53 and the power of ten is exact (up to 10^22), one
// multiplication or division is the correctly rounded result, the same double from_chars gives.
// Anything else returns nullopt and takes the general road.
std::optional<double> FastValue(std::string_view intDigits, std::string_view fracDigits,
                                long exponent, bool negative) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    int significant = 0;
    auto take = [&](std::string_view digits) {
        for (char c : digits) {
            if (mantissa == 0 && c == '0') continue;
            if (++significant > 19) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return true;
    };
    if (!take(intDigits) || !take(fracDigits)) return std::nullopt;
    if (mantissa == 0) return negative ? -0.0 : 0.0;
    if (mantissa > (std::uint64_t{1} << 53)) return std::nullopt;
    if (exponent >= kExponentLimit || exponent <= -kExponentLimit) return std::nullopt;
    const long scale = exponent - static_cast<long>(fracDigits.size());
    if (scale < -22 || scale > 22) return std::nullopt;
    double value = static_cast<double>(mantissa);
    value = scale >= 0 ? value * kPowers[scale] : value / kPowers[-scale];
    return negative ? -value : value;
}

// Kept out of line so that the quick road does not pay for this one's frame on every call.
[[gnu::noinline]] std::optional<double> FullValue(std::string_view text, bool commaIsPoint) {
    auto isPoint = [commaIsPoint](char c) { return c == '.' || (commaIsPoint && c == ','); };

    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    const std::size_t intBegin = i;
    while (i < n && IsDigit(text[i])) ++i;
    const std::string_view intDigits = text.substr(intBegin, i - intBegin);

    bool hasPoint = false;
    std::string_view fracDigits;
    if (i < n && isPoint(text[i])) {
        hasPoint = true;
        ++i;
        const std::size_t fracBegin = i;
        while (i < n && IsDigit(text[i])) ++i;
        fracDigits = text.substr(fracBegin, i - fracBegin);
    }
    if (intDigits.empty() && !hasPoint) return std::nullopt;

    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        const std::size_t expBegin = i;
        while (i < n && IsDigit(text[i])) {
            if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (i == expBegin) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }
    if (i != n) return std::nullopt;

    if (const auto quick = FastValue(intDigits, fracDigits, exponent, negative)) return quick;

    // from_chars takes neither "+" nor an empty side of the point, so hand it a canonical form.
    std::string canonical;
    canonical.reserve(intDigits.size() + fracDigits.size() + 16);
    if (negative) canonical += '-';
    canonical += '0';
    canonical += intDigits;
    canonical += '.';
    canonical += fracDigits;
    canonical += "0e";
    {
        std::array<char, 24> buf{};
        auto r = std::to_chars(buf.data(), buf.data() + buf.size(), exponent);
        canonical.append(buf.data(), r.ptr);
    }

    double value = 0;
    const char* first = canonical.data();
    const char* last = first + canonical.size();
    auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc() && result.ptr == last) return value;
    if (result.ec != std::errc::result_out_of_range) return std::nullopt;

    // Out of range both ways: decide by where the first significant digit stands.
    long position = 0;  // the value is about 10^(position + exponent)
    std::size_t lead = intDigits.find_first_not_of('0');
    if (lead != std::string_view::npos) {
        position = static_cast<long>(intDigits.size() - lead);
    } else {
        std::size_t fracLead = fracDigits.find_first_not_of('0');
        if (fracLead == std::string_view::npos) return negative ? -0.0 : 0.0;
        position = -static_cast<long>(fracLead);
    }
    if (position + exponent > 0) return std::nullopt;
    return negative ? -0.0 : 0.0;
}

double ValueOrNaN(std::string_view text, bool commaIsPoint) {
    double quick = 0;
    if (detail::QuickNumber(text, commaIsPoint, quick)) return quick;
    return FullValue(text, commaIsPoint).value_or(kNaN);
}

std::optional<double> ParseNumberImpl(std::string_view text, bool commaIsPoint) {
    const double value = ValueOrNaN(text, commaIsPoint);
    if (std::isnan(value)) return std::nullopt;
    return value;
}

// The hours and the minutes of a ride-time text, or nullopt where ParseRideTime falls back.
std::optional<RideTimeParts> FullRideTimeParts(std::string_view text) {
    const std::size_t h = text.find('h');
    std::string_view hoursPart = text.substr(0, h);
    if (!hoursPart.empty()) hoursPart.remove_suffix(1);

    std::string_view minutesPart;
    if (h != std::string_view::npos) {
        const std::string_view rest = text.substr(h + 1);
        minutesPart = rest.substr(0, rest.find('m'));
        if (!minutesPart.empty()) minutesPart.remove_suffix(1);
    }

    const auto hoursValue = ParseNumber(hoursPart);
    if (!hoursValue) return std::nullopt;
    const auto minutesValue = ParseNumber(minutesPart);
    if (!minutesValue) return std::nullopt;
    return RideTimeParts{*hoursValue, *minutesValue};
}

// Round to the nearest whole number, halves to the even neighbour, whatever the FPU mode says.
double RoundHalfEven(double x) {
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff < 0.5) return f;
    if (diff > 0.5) return f + 1;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

}  // namespace

std::string CommaToDot(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == ',') c = '.';
    return out;
}

std::string DotToComma(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '.') c = ',';
    return out;
}

std::optional<double> ParseNumber(std::string_view text) { return ParseNumberImpl(text, false); }

std::optional<double> ParseCommaNumber(std::string_view text) {
    return ParseNumberImpl(text, true);
}

double detail::FullNumberOrNaN(std::string_view text, bool commaIsPoint) {
    return FullValue(text, commaIsPoint).value_or(kNaN);
}

std::string FormatRideTime(double hours) {
    if (!std::isfinite(hours)) return "?";
    const double whole = std::trunc(hours);
    double minutes = RoundHalfEven((hours - whole) * 60.0);
    if (minutes == 0) minutes = 0;  // no "-0"

    std::string out;
    if (whole == 0) {
        out = "0";
    } else if (std::fabs(whole) < 9.0e18) {
        AppendInt(out, static_cast<long long>(whole));
    } else {
        std::array<char, 400> buf{};
        auto r =
            std::to_chars(buf.data(), buf.data() + buf.size(), whole, std::chars_format::fixed);
        out.append(buf.data(), r.ptr);
    }
    out += " h ";
    AppendInt(out, static_cast<long long>(minutes));
    out += " min";
    return out;
}

bool ReadRideTimeParts(std::string_view text, RideTimeParts& parts) {
    // "<digits> h <digits> m...", the form the program writes, needs no search: its digits are
    // exactly the two parts the full rule reads.
    const char* p = text.data();
    const char* const end = p + text.size();
    auto digits = [&p, end](double& value) {
        std::uint64_t v = 0;
        const char* const first = p;
        while (p != end && IsDigit(*p) && p - first < 15)
            v = v * 10 + static_cast<std::uint64_t>(*p++ - '0');
        value = static_cast<double>(v);
        return p != first && (p == end || !IsDigit(*p));
    };
    if (digits(parts.hours) && end - p >= 3 && p[0] == ' ' && p[1] == 'h' && p[2] == ' ') {
        p += 3;
        if (digits(parts.minutes) && end - p >= 2 && p[0] == ' ' && p[1] == 'm') return true;
    }
    const auto full = FullRideTimeParts(text);
    if (!full) return false;
    parts = *full;
    return true;
}

double ParseRideTime(std::string_view text, double fallback) {
    RideTimeParts parts;
    return ReadRideTimeParts(text, parts) ? parts.Hours() : fallback;
}

double RideTimeMinutesOrNaN(std::string_view text) {
    RideTimeParts parts;
    return ReadRideTimeParts(text, parts) ? parts.Minutes() : kNaN;
}

std::string FormatOneDecimal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

    // 1100 fractional digits hold the exact expansion of every double, so the rounding below
    // sees the true value and not one already rounded by to_chars.
    constexpr int kExactDigits = 1100;
    std::array<char, 1500> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                           std::chars_format::fixed, kExactDigits);
    std::string_view exact(buf.data(), static_cast<std::size_t>(r.ptr - buf.data()));

    const std::size_t point = exact.find('.');
    std::string digits(exact.substr(0, point));
    digits += exact[point + 1];
    const bool roundUp = exact[point + 2] >= '5';
    if (roundUp) {
        std::size_t k = digits.size();
        while (k > 0) {
            --k;
            if (digits[k] == '9') {
                digits[k] = '0';
            } else {
                ++digits[k];
                break;
            }
            if (k == 0) digits.insert(digits.begin(), '1');
        }
    }

    std::string out;
    const bool isZero = digits.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !isZero) out += '-';
    out.append(digits, 0, digits.size() - 1);
    out += '.';
    out += digits.back();
    return out;
}

std::string FormatGeneralReal(double value, std::string_view decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    std::array<char, 64> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                           std::chars_format::scientific, 14);
    std::string_view sci(buf.data(), static_cast<std::size_t>(r.ptr - buf.data()));

    std::string out;
    if (sci.front() == '-') {
        out += '-';
        sci.remove_prefix(1);
    }
    const std::size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e))
        if (c != '.') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string_view expText = sci.substr(e + 1);
    if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
    int exp10 = 0;
    std::from_chars(expText.data(), expText.data() + expText.size(), exp10);
    const int E = exp10 + 1;

    const auto count = static_cast<int>(digits.size());
    if (E >= -3 && E <= 15) {
        if (E > 0) {
            if (count <= E) {
                out += digits;
                out.append(static_cast<std::size_t>(E - count), '0');
            } else {
                out.append(digits, 0, static_cast<std::size_t>(E));
                out += decimalSeparator;
                out.append(digits, static_cast<std::size_t>(E));
            }
        } else {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-E), '0');
            out += digits;
        }
    } else {
        out += digits[0];
        if (count > 1) {
            out += decimalSeparator;
            out.append(digits, 1);
        }
        out += 'E';
        std::array<char, 16> eb{};
        auto er = std::to_chars(eb.data(), eb.data() + eb.size(), E - 1);
        out.append(eb.data(), er.ptr);
    }
    return out;
}

void AppendInt(std::string& out, long long value) {
    std::array<char, 24> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), r.ptr);
}

}  // namespace diary
