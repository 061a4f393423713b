#pragma once
// The user's regional settings as a value: the short date format and the decimal separator.
// The platform layer fills one at start; tests pass their own.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace diary {

struct Date {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    bool operator==(const Date&) const = default;
};

struct RegionalSettings {
    // strftime-style short date format as nl_langinfo(D_FMT) gives it, e.g. "%-d.%-m.%Y"
    // (Czech), "%m/%d/%Y" (US), "%d/%m/%y". Recognised: %d %e %-d %m %-m %Y %y %F %D and
    // literal separators.
    std::string dateFormat = "%-d.%-m.%Y";
    std::string decimalSeparator = ",";
    // Between groups of three digits of a large whole number ("5 000 km"), UTF-8 as the locale
    // gives it: Czech a no-break space; none in the C locale.
    std::string thousandsSeparator = "\u00A0";

    static RegionalSettings Czech() { return {}; }
};

// The date written in the short date format (Czech: 1.3.2001).
std::string FormatDate(const RegionalSettings& regional, const Date& date);

// A date read in the format's order of day, month and year with its separator: day and month
// of one or two digits, the year as the format has it (two-digit years: 00-49 -> 20xx,
// 50-99 -> 19xx). Surrounding blanks are allowed, nothing else; an impossible day (31.2.2001)
// is no date. Everything FormatDate writes reads back.
std::optional<Date> ReadDate(const RegionalSettings& regional, std::string_view text);
// The same, into `date`, answering whether the text is a date: for loops over many rows, as a
// bool comes back in a register where an optional<Date> goes through memory.
bool ReadDate(const RegionalSettings& regional, std::string_view text, Date& date);

struct DateToken;
// A short date format compiled once, for the dates of many rows: Read answers as ReadDate,
// Write as FormatDate.
class ShortDateFormat {
public:
    explicit ShortDateFormat(std::string_view format);
    ~ShortDateFormat();
    bool Read(std::string_view text, Date& date) const;
    std::string Write(const Date& date) const;

private:
    std::vector<DateToken> tokens_;
};

// Days since 30.12.1899 (day 0), as a double: the day count dates are compared by.
double DayNumber(const Date& date);
std::optional<double> ReadDateDays(const RegionalSettings& regional, std::string_view text);
// The date of a day number (the inverse of DayNumber).
Date DateOfDayNumber(long long day);

bool IsValidDate(const Date& date);

}  // namespace diary
