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

// The ride time as the search reads it: the text with its first "h " and then its first
// " min" removed, split at the first blank into hours and minutes (no comma conversion);
// nullopt when either does not read.
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

// A ticked text condition (from, to, via) holds when the field is exactly its edit. A ticked
// range condition holds when lower <= field <= upper, all three read the same way: dates in the
// short date format, numbers through CommaToDot, ride times by ReadSearchRideTime; it never
// holds when any of the three does not read, nor for ride times when the lower bound has 8
// characters or fewer. Compiles the conditions once (bounds read once).
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
