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

// -1, 0 or 1: both texts through CommaToDot and read as numbers; 0 when either is no number
// (the second is not looked at when the first fails); 1 when a >= b (equal values give 1).
int CompareNumberTexts(std::string_view a, std::string_view b);

// Byte-wise comparison folding only ASCII a-z to capitals: the first differing byte pair
// decides (unsigned difference), else the length difference.
int CompareTexts(std::string_view a, std::string_view b);

// `sortColumn` is the clicked list column minus one: -1 number, 0 date, 1..10 the fields in
// display order, 11 the bike. Numbers and dates give 1 when first >= second, else -1; unreadable
// dates and numbers give 0; texts as CompareTexts.
int CompareRecordRows(const RecordRow& first, const RecordRow& second, int sortColumn,
                      const RegionalSettings& regional);

// Stable merge sort of the positions 0..count-1 that acts only on the sign of `compare`:
// compare(a, b) > 0 means a goes after b. It ends, stays in bounds and returns a permutation
// whatever the comparison answers.
std::vector<std::uint32_t> MergeSortOrder(
    std::size_t count, const std::function<int(std::uint32_t, std::uint32_t)>& compare);

// The new list order of `rows` (a permutation of positions) for an ascending sort by list
// column `column` (0..12). Each row's key is read once before the sort; the answers are the
// ones CompareRecordRows would give.
std::vector<std::uint32_t> SortOrder(const std::vector<RecordRow>& rows, int column,
                                     const RegionalSettings& regional);

}  // namespace diary
