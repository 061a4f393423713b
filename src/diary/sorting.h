#pragma once
// The ascending sort of a record list by one of its columns: the number or a field.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

class RecordTable;
struct RegionalSettings;

// Byte-wise comparison folding only ASCII a-z to capitals: the first differing byte pair
// decides (unsigned difference), else the length difference.
int CompareTexts(std::string_view a, std::string_view b);

// Stable merge sort of the positions 0..count-1 that acts only on the sign of `compare`:
// compare(a, b) > 0 means a goes after b. It ends, stays in bounds and returns a permutation
// whatever the comparison answers. Kept for the fuzzers and tests: SortOrder uses the same sort.
std::vector<std::uint32_t> MergeSortOrder(
    std::size_t count, const std::function<int(std::uint32_t, std::uint32_t)>& compare);

// The new list order of the table's rows (a permutation of positions) for an ascending sort by
// list column `column`, by that merge sort. A row goes after another when its text in the
// column compares greater by CompareTexts (a Text or RideTime field of kFields) or, where the
// column holds values, when its value is >= the other's (so equal values answer yes): the
// record number read as a whole number (column 0), a Date field's day number in the regional
// short format, a Decimal field through CommaToDot. A value that does not read never goes
// after anything, nor anything after it; no other column moves a row. The keys are the
// table's values, read once.
std::vector<std::uint32_t> SortOrder(const RecordTable& table, int column,
                                     const RegionalSettings& regional);

}  // namespace diary
