#include "diary/record_table.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "diary/regional.h"
#include "diary/search.h"
#include "diary/sorting.h"

namespace diary {
namespace {

std::string_view WithoutLeadingZeros(std::string_view s) {
    while (s.size() > 1 && s.front() == '0') s.remove_prefix(1);
    return s;
}

// Record numbers are decimal texts of any length; compared as numbers without parsing them,
// so no key a file can hold overflows anything.
int CompareNumbers(std::string_view a, std::string_view b) {
    a = WithoutLeadingZeros(a);
    b = WithoutLeadingZeros(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// One less, in decimal text; only called for numbers greater than another, so never below 0.
std::string Decrement(std::string_view number) {
    std::string s(WithoutLeadingZeros(number));
    for (std::size_t i = s.size(); i-- > 0;) {
        if (s[i] > '0') {
            --s[i];
            break;
        }
        s[i] = '9';
    }
    if (s.size() > 1 && s.front() == '0') s.erase(0, 1);
    return s;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Reads dates that come mostly in order, many to a month: the day number of a month's first day
// is worked out once per month rather than once per date.
class DateReader {
public:
    explicit DateReader(std::string_view format) : format_(format) {}

    DateValue operator()(std::string_view text) {
        Date date;
        if (!format_.Read(text, date)) return {};
        if (date.year != monthStart_.year || date.month != monthStart_.month) {
            monthStart_ = Date{date.year, date.month, 1};
            monthStartDay_ = static_cast<std::int32_t>(DayNumber(monthStart_));
        }
        return {monthStartDay_ + date.day - 1, static_cast<std::int16_t>(date.year),
                static_cast<std::uint8_t>(date.month), static_cast<std::uint8_t>(date.day)};
    }

private:
    ShortDateFormat format_;
    Date monthStart_{0, 0, 1};
    std::int32_t monthStartDay_ = 0;
};

RideTimeParts ReadRideTimeValue(std::string_view text) {
    RideTimeParts parts;
    return ReadRideTimeParts(text, parts) ? parts : RideTimeParts{kNaN, kNaN};
}

double ReadSearchRideTimeValue(std::string_view text) {
    return ReadSearchRideTime(text).value_or(kNaN);
}

template <typename Value, typename Read>
std::vector<Value> ReadColumn(const std::vector<RecordRow>& rows, Field field, Read&& read) {
    std::vector<Value> values;
    values.reserve(rows.size());
    for (const RecordRow& row : rows) values.push_back(read(row.Get(field)));
    return values;
}

std::size_t Slot(Field field) { return static_cast<std::size_t>(field); }

}  // namespace

void RecordTable::StoreValues(std::size_t kept, bool added) {
    const RecordRow& row = rows_[kept];
    for (int f = 0; f < kFieldCount; ++f) {
        Values& v = values_[static_cast<std::size_t>(f)];
        const std::string_view text = row.Get(static_cast<Field>(f));
        auto store = [added, kept](auto& values, auto value) {
            if (added)
                values->push_back(value);
            else
                (*values)[kept] = value;
        };
        if (v.decimals) store(v.decimals, CommaNumberOrNaN(text, row.BytesEnd()));
        if (v.dates) store(v.dates, DateReader(v.dateFormat)(text));
        if (v.rideTimes) store(v.rideTimes, ReadRideTimeValue(text));
        if (v.searchRideTimes) store(v.searchRideTimes, ReadSearchRideTimeValue(text));
    }
}

void RecordTable::Append(RecordRow row) {
    if (!order_.empty()) order_.push_back(static_cast<std::uint32_t>(rows_.size()));
    rows_.push_back(std::move(row));
    StoreValues(rows_.size() - 1, true);
}

void RecordTable::Replace(std::size_t i, RecordRow row) {
    const std::size_t kept = Kept(i);
    rows_[kept] = std::move(row);
    StoreValues(kept, false);
}

void RecordTable::ReadFigures(const RegionalSettings& regional) {
    const std::size_t count = rows_.size();
    std::vector<DateValue> dates;
    std::vector<double> distances, averages, maxima;
    std::vector<RideTimeParts> rideTimes;
    dates.reserve(count);
    distances.reserve(count);
    averages.reserve(count);
    maxima.reserve(count);
    rideTimes.reserve(count);
    DateReader readDate(regional.dateFormat);
    for (const RecordRow& row : rows_) {
        const char* const end = row.BytesEnd();
        dates.push_back(readDate(row.Get(Field::Date)));
        distances.push_back(CommaNumberOrNaN(row.Get(Field::DistanceKm), end));
        averages.push_back(CommaNumberOrNaN(row.Get(Field::AvgSpeed), end));
        maxima.push_back(CommaNumberOrNaN(row.Get(Field::MaxSpeed), end));
        rideTimes.push_back(ReadRideTimeValue(row.Get(Field::RideTime)));
    }
    values_[Slot(Field::Date)].dates = std::move(dates);
    values_[Slot(Field::Date)].dateFormat = regional.dateFormat;
    values_[Slot(Field::DistanceKm)].decimals = std::move(distances);
    values_[Slot(Field::AvgSpeed)].decimals = std::move(averages);
    values_[Slot(Field::MaxSpeed)].decimals = std::move(maxima);
    values_[Slot(Field::RideTime)].rideTimes = std::move(rideTimes);
}

std::vector<RecordRow> RecordTable::Rows() const {
    if (order_.empty()) return rows_;
    std::vector<RecordRow> rows;
    rows.reserve(rows_.size());
    for (const std::uint32_t kept : order_) rows.push_back(rows_[kept]);
    return rows;
}

ListValues<double> RecordTable::Decimals(Field field) const {
    auto& values = values_[static_cast<std::size_t>(field)].decimals;
    if (!values) {
        values.emplace();
        values->reserve(rows_.size());
        for (const RecordRow& row : rows_)
            values->push_back(CommaNumberOrNaN(row.Get(field), row.BytesEnd()));
    }
    return {*values, order_};
}

ListValues<DateValue> RecordTable::Dates(Field field, const RegionalSettings& regional) const {
    Values& v = values_[static_cast<std::size_t>(field)];
    if (!v.dates || v.dateFormat != regional.dateFormat) {
        v.dates = ReadColumn<DateValue>(rows_, field, DateReader(regional.dateFormat));
        v.dateFormat = regional.dateFormat;
    }
    return {*v.dates, order_};
}

ListValues<RideTimeParts> RecordTable::RideTimes(Field field) const {
    auto& values = values_[static_cast<std::size_t>(field)].rideTimes;
    if (!values) values = ReadColumn<RideTimeParts>(rows_, field, ReadRideTimeValue);
    return {*values, order_};
}

ListValues<double> RecordTable::SearchRideTimes(Field field) const {
    auto& values = values_[static_cast<std::size_t>(field)].searchRideTimes;
    if (!values) values = ReadColumn<double>(rows_, field, ReadSearchRideTimeValue);
    return {*values, order_};
}

std::ptrdiff_t RecordTable::FindNumber(std::string_view number) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if ((*this)[i].Number() == number) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::vector<RecordRow> RecordTable::InNumberOrder() const {
    std::vector<RecordRow> sorted = Rows();
    std::stable_sort(sorted.begin(), sorted.end(), [](const RecordRow& a, const RecordRow& b) {
        return CompareNumbers(a.Number(), b.Number()) < 0;
    });
    return sorted;
}

void RecordTable::RemoveAndRenumber(std::string_view number) {
    const std::ptrdiff_t at = FindNumber(number);
    if (at < 0) return;
    // The text goes with the erased row, so keep a copy to compare the others against.
    const std::string removed(number);
    const std::size_t kept = Kept(static_cast<std::size_t>(at));
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(kept));
    const auto gone = static_cast<std::ptrdiff_t>(kept);
    for (Values& v : values_) {
        if (v.decimals) v.decimals->erase(v.decimals->begin() + gone);
        if (v.dates) v.dates->erase(v.dates->begin() + gone);
        if (v.rideTimes) v.rideTimes->erase(v.rideTimes->begin() + gone);
        if (v.searchRideTimes) v.searchRideTimes->erase(v.searchRideTimes->begin() + gone);
    }
    if (!order_.empty()) {
        order_.erase(order_.begin() + at);
        for (std::uint32_t& k : order_) k -= k > kept ? 1 : 0;
    }
    for (RecordRow& row : rows_) {
        if (CompareNumbers(row.Number(), removed) > 0)
            row = row.WithNumber(Decrement(row.Number()));
    }
}

void RecordTable::SortByColumn(int column, const RegionalSettings& regional) {
    const std::vector<std::uint32_t> order = SortOrder(*this, column, regional);
    // A list already in that order (the number column of a list as read) is left alone.
    bool unchanged = true;
    for (std::size_t i = 0; i < order.size() && unchanged; ++i) unchanged = order[i] == i;
    if (unchanged) return;
    std::vector<std::uint32_t> kept;
    kept.reserve(order.size());
    for (const std::uint32_t i : order) kept.push_back(static_cast<std::uint32_t>(Kept(i)));
    order_ = std::move(kept);
}

NumberIndex::NumberIndex(const RecordTable& table)
    // Room for numbers up to a few times the row count: a list whose numbers run far past
    // its length is not one the reader made, and a vector that large would waste memory.
    : limit_(4 * table.size() + 16) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string_view number = table[i].Number();
        if (const auto value = SmallValue(number, limit_)) {
            if (*value >= byValue_.size()) byValue_.resize(*value + 1, kNone);
            // The first row of a number wins, as a scan from the top finds it.
            if (byValue_[*value] == kNone) byValue_[*value] = i;
        } else {
            byText_.emplace(number, i);
        }
    }
}

std::ptrdiff_t NumberIndex::Find(std::string_view number) const {
    std::size_t at = kNone;
    if (const auto value = SmallValue(number, limit_)) {
        if (*value < byValue_.size()) at = byValue_[*value];
    } else if (const auto it = byText_.find(number); it != byText_.end()) {
        at = it->second;
    }
    return at == kNone ? -1 : static_cast<std::ptrdiff_t>(at);
}

std::optional<std::size_t> NumberIndex::SmallValue(std::string_view number, std::size_t limit) {
    // Exactly one text per value, so that equal values mean equal texts.
    if (number.empty() || (number.size() > 1 && number.front() == '0')) return std::nullopt;
    std::size_t value = 0;
    for (const char c : number) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value >= limit) return std::nullopt;
    }
    return value;
}

}  // namespace diary
