#pragma once
// The working copy of an open diary as a list shows it: rows in list order (which a sort may
// change), each row carrying its record number.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "diary/field_text.h"
#include "diary/record.h"

namespace diary {

struct RegionalSettings;

// A date field read once in the short date format: its day number (DayNumber) and its parts;
// all 0 where the text is no date.
struct DateValue {
    std::int32_t day = 0;
    std::int16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t dayOfMonth = 0;
    bool valid() const { return month != 0; }
};

// A column's values as the list shows them: position i is the list's row i, whatever order
// the rows are kept in.
template <typename Value>
class ListValues {
public:
    ListValues(const std::vector<Value>& values, const std::vector<std::uint32_t>& order)
        : values_(values), order_(order) {}
    std::size_t size() const { return values_.size(); }
    const Value& operator[](std::size_t i) const { return values_[order_.empty() ? i : order_[i]]; }
    // The values in the rows' own order, for a loop that walks the list's order itself.
    const Value* kept() const { return values_.data(); }
    // Where row i of the list is kept; nullptr while the list is in the rows' own order.
    const std::uint32_t* order() const { return order_.empty() ? nullptr : order_.data(); }

private:
    const std::vector<Value>& values_;
    const std::vector<std::uint32_t>& order_;
};

class RecordTable {
public:
    RecordTable() = default;
    // A search makes a table of the rows it read; their values are read as its conditions ask.
    explicit RecordTable(std::vector<RecordRow> rows) : rows_(std::move(rows)) {}

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    // Row i of the list.
    const RecordRow& operator[](std::size_t i) const { return rows_[Kept(i)]; }
    // The rows in list order, copied (they share their bytes with the table's).
    std::vector<RecordRow> Rows() const;

    void Append(RecordRow row);
    // Row i's texts and the values read from them.
    void Replace(std::size_t i, RecordRow row);
    void Clear() { Assign({}); }
    void Assign(std::vector<RecordRow> rows) {
        rows_ = std::move(rows);
        order_.clear();
        ForgetValues();
    }
    // The rows of an opened diary, with the date (in `regional`'s format), the distance, both
    // speeds and the ride time of every row read at once, in one walk over the rows, rather
    // than one column at a time when each is first asked for.
    void Assign(std::vector<RecordRow> rows, const RegionalSettings& regional) {
        Assign(std::move(rows));
        ReadFigures(regional);
    }

    // The values of a field's texts in list order, read on first use (or by Assign) by the rules
    // of the text readers, and kept as the rows change: a sort leaves them where they are, and
    // an added, replaced or removed row adds, reads anew or takes away its own. Not to be called
    // from two threads at once, as they fill the table's memory.
    //
    // A Decimal field by ParseCommaNumber; NaN where the text is no number.
    ListValues<double> Decimals(Field field) const;
    // A Date field in `regional`'s short date format (read anew for another format).
    ListValues<DateValue> Dates(Field field, const RegionalSettings& regional) const;
    // A RideTime field by ReadRideTimeParts; NaN in both parts where the text is no ride time.
    ListValues<RideTimeParts> RideTimes(Field field) const;
    // A RideTime field as the search reads it (ReadSearchRideTime), in hours; NaN where none.
    ListValues<double> SearchRideTimes(Field field) const;

    // `visit(i, row)` for every row in the order they are kept (as read, added ones after
    // them), `i` being the row's place in the list.
    template <typename Visit>
    void ForEachAsKept(Visit&& visit) const {
        if (order_.empty()) {
            for (std::size_t k = 0; k < rows_.size(); ++k) visit(k, rows_[k]);
            return;
        }
        std::vector<std::uint32_t> listed(rows_.size());
        for (std::size_t i = 0; i < order_.size(); ++i)
            listed[order_[i]] = static_cast<std::uint32_t>(i);
        for (std::size_t k = 0; k < rows_.size(); ++k) visit(listed[k], rows_[k]);
    }

    // Index of the row whose number text is `number`, or -1.
    std::ptrdiff_t FindNumber(std::string_view number) const;

    // The rows in ascending record number (the file's order), whatever the list order is.
    std::vector<RecordRow> InNumberOrder() const;

    // After record `number` was deleted from the file and the records after it moved down by
    // one: removes its row and renumbers the rows above it, keeping the list order.
    void RemoveAndRenumber(std::string_view number);

    // Ascending sort by list column 0..12 (see sorting.h); rows keep their texts and numbers.
    void SortByColumn(int column, const RegionalSettings& regional);

private:
    // One field's values in the order the rows are kept, each kind read only when asked for.
    struct Values {
        std::optional<std::vector<double>> decimals;
        std::optional<std::vector<DateValue>> dates;
        std::string dateFormat;  // the format `dates` were read in
        std::optional<std::vector<RideTimeParts>> rideTimes;
        std::optional<std::vector<double>> searchRideTimes;
    };

    // Where list row i is kept.
    std::size_t Kept(std::size_t i) const { return order_.empty() ? i : order_[i]; }
    void ForgetValues() { values_ = {}; }
    void ReadFigures(const RegionalSettings& regional);
    // Row `kept`'s values of every kind read so far: added after the others, or read anew.
    void StoreValues(std::size_t kept, bool added);

    // The rows stay where they were read or added: a sort only changes `order_`, so it never
    // moves a row's memory, nor the values read from them.
    std::vector<RecordRow> rows_;
    std::vector<std::uint32_t> order_;  // list row -> kept row; empty while they are the same
    mutable std::array<Values, kFieldCount> values_;
};

// The rows of a table by record number, each found in constant time: FindNumber for many
// numbers at once, made once for a table that does not change while it is used. Record
// numbers are small whole numbers (1..n as a diary is read), so most sit in a plain vector
// indexed by their value; any other text is looked up as text.
class NumberIndex {
public:
    explicit NumberIndex(const RecordTable& table);
    // The same answer as table.FindNumber(number).
    std::ptrdiff_t Find(std::string_view number) const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // The value of a number written the way the reader writes one (digits, no leading zero)
    // if it is below `limit`, or nullopt.
    static std::optional<std::size_t> SmallValue(std::string_view number, std::size_t limit);

    std::size_t limit_;
    std::vector<std::size_t> byValue_;
    std::unordered_map<std::string_view, std::size_t> byText_;
};

}  // namespace diary
