#pragma once
// The search: eleven conditions over the fields of a record, joined by "A" (all) or "nebo" (any).

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

struct RegionalSettings;

// lower <= value <= upper, all three read as dates in the short date format; false when any
// cannot be read.
bool DateInRange(const RegionalSettings& regional, std::string_view value, std::string_view lower,
                 std::string_view upper);
// lower <= value <= upper, all three through CommaToDot and read as numbers; false when any is
// no number.
bool NumberInRange(std::string_view lower, std::string_view upper, std::string_view value);
// false when `lower` has 8 characters or fewer; otherwise each text with its first "h " and
// then its first " min" removed, split at the first blank into hours and minutes (no comma
// conversion); false when any does not read; else lower <= value <= upper.
bool RideTimeInRange(std::string_view lower, std::string_view upper, std::string_view value);
// The ride time as the search reads it, or nullopt when it does not read.
std::optional<double> ReadSearchRideTime(std::string_view text);

// The conditions in the window's order: 0 date, 1 from, 2 to, 3 via, 4 departure, 5 arrival,
// 6 distance, 7 average speed, 8 maximum speed, 9 ride time, 10 bike ("Kolo": exact text like
// "Odkud", so an empty edit finds the rides without a bike). `lower` is the edit of a text
// condition or the "Od" bound, `upper` the "Do" bound (unused for text conditions).
inline constexpr std::size_t kSearchConditionCount = 11;
struct SearchConditions {
    std::array<bool, kSearchConditionCount> enabled{};
    std::array<std::string, kSearchConditionCount> lower;
    std::array<std::string, kSearchConditionCount> upper;
    bool any = false;  // false: "A", true: "nebo"
};

// Compiles the conditions once (bounds parsed once); Matches gives the answers the
// record-by-record rules give.
class SearchQuery {
public:
    SearchQuery(const SearchConditions& conditions, const RegionalSettings& regional);
    bool Matches(const RecordRow& row) const;

private:
    struct Impl;
    std::shared_ptr<const Impl> impl_;
};

// Reads the diary at `path` (keys 1.. up to the first gap) and returns the matching records in
// ascending record number. A missing file gives none.
std::vector<RecordRow> SearchDiary(const std::string& path, const SearchConditions& conditions,
                                   const RegionalSettings& regional);

}  // namespace diary
