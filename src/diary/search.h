#pragma once
// The search: conditions over the fields of a record, joined by "A" (all) or "nebo" (any).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

class RecordTable;
struct RegionalSettings;

// The ride time as the search reads it: the text with its first "h " and then its first
// " min" removed, split at the first blank into hours and minutes (no comma conversion);
// nullopt when either does not read.
std::optional<double> ReadSearchRideTime(std::string_view text);

namespace detail {
constexpr std::size_t SearchedFieldCount() {
    std::size_t n = 0;
    for (const FieldInfo& f : kFields) n += f.searched ? 1 : 0;
    return n;
}
}  // namespace detail

// The conditions in the window's order: the searched fields of kFields in slot order (date,
// from, to, via, departure, arrival, distance, average speed, maximum speed, ride time, bike).
// `lower` is the edit of a text condition or the "Od" bound, `upper` the "Do" bound (unused for
// text conditions). A Text field is matched as its exact text, so an empty "Kolo" finds the
// rides without a bike.
inline constexpr std::size_t kSearchConditionCount = detail::SearchedFieldCount();
inline constexpr std::array<Field, kSearchConditionCount> kSearchFields = [] {
    std::array<Field, kSearchConditionCount> fields{};
    std::size_t n = 0;
    for (const FieldInfo& f : kFields)
        if (f.searched) fields[n++] = f.field;
    return fields;
}();

struct SearchConditions {
    std::array<bool, kSearchConditionCount> enabled{};
    std::array<std::string, kSearchConditionCount> lower;
    std::array<std::string, kSearchConditionCount> upper;
    bool any = false;  // false: "A", true: "nebo"
};

// A ticked Text condition holds when the field is exactly its edit. A ticked range condition
// holds when lower <= field <= upper, all three read the same way: dates in the short date
// format, numbers through CommaToDot, ride times by ReadSearchRideTime; it never holds when any
// of the three does not read, nor for ride times when the lower bound has 8 characters or
// fewer. Compiles the conditions once (bounds read once).
class SearchQuery {
public:
    SearchQuery(const SearchConditions& conditions, const RegionalSettings& regional);
    // The rows of `table` that match, in the order the table keeps them (the file's order,
    // however the list is sorted); the fields' values are the table's own.
    std::vector<RecordRow> Rides(const RecordTable& table) const;

private:
    struct Impl;
    std::shared_ptr<const Impl> impl_;
};

// Reads the diary at `path` (keys 1.. up to the first gap) and returns the matching records in
// ascending record number. A missing file gives none.
std::vector<RecordRow> SearchDiary(const std::string& path, const SearchConditions& conditions,
                                   const RegionalSettings& regional);

}  // namespace diary
