#pragma once
// The working copy of an open diary as a list shows it: rows in list order (which a sort may
// change), each row carrying its record number.

#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "diary/record.h"

namespace diary {

struct RegionalSettings;

class RecordTable {
public:
    RecordTable() = default;
    // Kept for the benchmarks and tests; the program fills a table with Assign.
    explicit RecordTable(std::vector<RecordRow> rows) : rows_(std::move(rows)) {}

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const RecordRow& operator[](std::size_t i) const { return rows_[i]; }
    const std::vector<RecordRow>& rows() const { return rows_; }

    void Append(RecordRow row) { rows_.push_back(std::move(row)); }
    void Replace(std::size_t i, RecordRow row) { rows_[i] = std::move(row); }
    void Clear() { rows_.clear(); }
    void Assign(std::vector<RecordRow> rows) { rows_ = std::move(rows); }

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
    std::vector<RecordRow> rows_;
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
