#include "diary/regional.h"

#include <array>
#include <charconv>
#include <optional>
#include <vector>

namespace diary {

// One part of a compiled date format: a number or the literal text between numbers.
struct DateToken {
    enum class Part { Day, Month, Year, Literal };
    enum class Pad { Zero, Space, None };
    Part part = Part::Literal;
    Pad pad = Pad::Zero;
    bool twoDigitYear = false;
    std::string literal;
};

namespace {

using Token = DateToken;
using Part = DateToken::Part;
using Pad = DateToken::Pad;

void AddLiteral(std::vector<Token>& tokens, std::string_view text) {
    if (!tokens.empty() && tokens.back().part == Part::Literal) {
        tokens.back().literal += text;
        return;
    }
    Token t;
    t.literal = std::string(text);
    tokens.push_back(std::move(t));
}

void AddField(std::vector<Token>& tokens, Part part, Pad pad, bool twoDigitYear = false) {
    Token t;
    t.part = part;
    t.pad = pad;
    t.twoDigitYear = twoDigitYear;
    tokens.push_back(std::move(t));
}

bool ExpandFormat(std::string_view format, std::vector<Token>& tokens) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            AddLiteral(tokens, format.substr(i, 1));
            continue;
        }
        char c = format[++i];
        bool noPad = false;
        if (c == '-' && i + 1 < format.size()) {
            noPad = true;
            c = format[++i];
        }
        const Pad numericPad = noPad ? Pad::None : Pad::Zero;
        switch (c) {
            case 'd':
                AddField(tokens, Part::Day, numericPad);
                break;
            case 'e':
                AddField(tokens, Part::Day, noPad ? Pad::None : Pad::Space);
                break;
            case 'm':
                AddField(tokens, Part::Month, numericPad);
                break;
            case 'Y':
                AddField(tokens, Part::Year, numericPad);
                break;
            case 'y':
                AddField(tokens, Part::Year, numericPad, true);
                break;
            case 'F':
                if (!ExpandFormat("%Y-%m-%d", tokens)) return false;
                break;
            case 'D':
                if (!ExpandFormat("%m/%d/%y", tokens)) return false;
                break;
            case '%':
                AddLiteral(tokens, "%");
                break;
            default:
                return false;  // names of months or weekdays: not a short numeric date
        }
    }
    return true;
}

// A format we cannot use (a month name, a missing or repeated part) falls back to ISO order,
// which at least writes and reads back unambiguously.
std::vector<Token> CompileFormat(std::string_view format) {
    std::vector<Token> tokens;
    if (ExpandFormat(format, tokens)) {
        int day = 0, month = 0, year = 0;
        for (const Token& t : tokens) {
            day += t.part == Part::Day;
            month += t.part == Part::Month;
            year += t.part == Part::Year;
        }
        if (day == 1 && month == 1 && year == 1) return tokens;
    }
    tokens.clear();
    ExpandFormat("%Y-%m-%d", tokens);
    return tokens;
}

// The windows write and read dates one at a time under one format; compile it once per thread.
const ShortDateFormat& CachedFormat(const std::string& format) {
    thread_local std::string cachedFormat;
    thread_local std::optional<ShortDateFormat> compiled;
    if (!compiled || cachedFormat != format) {
        compiled.emplace(format);
        cachedFormat = format;
    }
    return *compiled;
}

void AppendNumber(std::string& out, int value, int width, char fill) {
    std::array<char, 16> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    const auto len = static_cast<int>(r.ptr - buf.data());
    if (len < width) out.append(static_cast<std::size_t>(width - len), fill);
    out.append(buf.data(), r.ptr);
}

// Reads up to `maxDigits` digits at `pos`; false when there is none.
bool ReadDigits(std::string_view text, std::size_t& pos, int maxDigits, int& value, int& count) {
    value = 0;
    count = 0;
    while (pos < text.size() && count < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count > 0;
}

int WindowedYear(int twoDigits) { return twoDigits < 50 ? 2000 + twoDigits : 1900 + twoDigits; }

// Days from 1970-01-01 in the proleptic Gregorian calendar.
constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// The date of a day counted from 1970-01-01 (the inverse of DaysFromCivil).
Date CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
    return Date{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

constexpr long long kEpochDay = DaysFromCivil(1899, 12, 30);

}  // namespace

bool IsValidDate(const Date& date) {
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1)
        return false;
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int days = kDays[static_cast<std::size_t>(date.month - 1)];
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    if (date.month == 2 && leap) days = 29;
    return date.day <= days;
}

std::string ShortDateFormat::Write(const Date& date) const {
    std::string out;
    for (const Token& t : tokens_) {
        const char fill = t.pad == Pad::Space ? ' ' : '0';
        const int width = t.pad == Pad::None ? 0 : 2;
        switch (t.part) {
            case Part::Day:
                AppendNumber(out, date.day, width, fill);
                break;
            case Part::Month:
                AppendNumber(out, date.month, width, fill);
                break;
            case Part::Year:
                if (t.twoDigitYear) {
                    AppendNumber(out, ((date.year % 100) + 100) % 100, 2, '0');
                } else {
                    // Four digits so that a year below 100 is not read back in the century window.
                    AppendNumber(out, date.year, 4, '0');
                }
                break;
            case Part::Literal:
                out += t.literal;
                break;
        }
    }
    return out;
}

std::string FormatDate(const RegionalSettings& regional, const Date& date) {
    return CachedFormat(regional.dateFormat).Write(date);
}

std::optional<Date> ReadDate(const RegionalSettings& regional, std::string_view text) {
    Date date;
    if (!ReadDate(regional, text, date)) return std::nullopt;
    return date;
}

bool ShortDateFormat::Read(std::string_view text, Date& date) const {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

    date = Date{};
    std::size_t pos = 0;
    for (const Token& t : tokens_) {
        if (t.part == Part::Literal) {
            // Byte by byte: the separators are a character or two, too short for a memcmp call.
            for (const char c : t.literal)
                if (pos == text.size() || text[pos++] != c) return false;
            continue;
        }
        if (t.pad == Pad::Space)
            while (pos < text.size() && text[pos] == ' ') ++pos;
        int value = 0, count = 0;
        if (t.part == Part::Year) {
            if (!ReadDigits(text, pos, t.twoDigitYear ? 2 : 4, value, count)) return false;
            // One or two digits are a short year in either kind of format.
            date.year = count <= 2 ? WindowedYear(value) : value;
        } else {
            if (!ReadDigits(text, pos, 2, value, count)) return false;
            (t.part == Part::Day ? date.day : date.month) = value;
        }
    }
    return pos == text.size() && IsValidDate(date);
}

bool ReadDate(const RegionalSettings& regional, std::string_view text, Date& date) {
    return CachedFormat(regional.dateFormat).Read(text, date);
}

ShortDateFormat::ShortDateFormat(std::string_view format) : tokens_(CompileFormat(format)) {}
ShortDateFormat::~ShortDateFormat() = default;

double DayNumber(const Date& date) {
    return static_cast<double>(DaysFromCivil(date.year, static_cast<unsigned>(date.month),
                                             static_cast<unsigned>(date.day)) -
                               kEpochDay);
}

Date DateOfDayNumber(long long day) { return CivilFromDays(day + kEpochDay); }

std::optional<double> ReadDateDays(const RegionalSettings& regional, std::string_view text) {
    auto date = ReadDate(regional, text);
    if (!date) return std::nullopt;
    return DayNumber(*date);
}

}  // namespace diary
