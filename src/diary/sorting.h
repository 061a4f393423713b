#pragma once
// The ascending sort of a record list by one of its columns: the number, the eleven fields and
// the bike.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

struct RegionalSettings;

// Byte-wise comparison folding only ASCII a-z to capitals: the first differing byte pair
// decides (unsigned difference), else the length difference.
int CompareTexts(std::string_view a, std::string_view b);

// Stable merge sort of the positions 0..count-1 that acts only on the sign of `compare`:
// compare(a, b) > 0 means a goes after b. It ends, stays in bounds and returns a permutation
// whatever the comparison answers. Kept for the fuzzers and tests: SortOrder uses the same sort.
std::vector<std::uint32_t> MergeSortOrder(
    std::size_t count, const std::function<int(std::uint32_t, std::uint32_t)>& compare);

// The new list order of `rows` (a permutation of positions) for an ascending sort by list
// column `column` (0..12), by that merge sort. A row goes after another when its text in the
// column compares greater by CompareTexts (columns 2, 3, 4, 8, 11, 12: from, via, to, ride
// time, note, bike) or, where the column holds values, when its value is >= the other's (so
// equal values answer yes): the record number read as a whole number (column 0), the date in
// the regional short format (1), numbers through CommaToDot (5, 6, 7, 9, 10). A value that
// does not read never goes after anything, nor anything after it; no other column moves a row.
// Each row's key is read once before the sort.
std::vector<std::uint32_t> SortOrder(const std::vector<RecordRow>& rows, int column,
                                     const RegionalSettings& regional);

}  // namespace diary
