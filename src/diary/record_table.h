#pragma once
// The working copy of an open diary as a list shows it: rows in list order (which a sort may
// change), each row carrying its record number.

#include <cstddef>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

struct RegionalSettings;

class RecordTable {
public:
    RecordTable() = default;
    explicit RecordTable(std::vector<RecordRow> rows) : rows_(std::move(rows)) {}

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const RecordRow& operator[](std::size_t i) const { return rows_[i]; }
    const std::vector<RecordRow>& rows() const { return rows_; }

    void Append(RecordRow row) { rows_.push_back(std::move(row)); }
    void Replace(std::size_t i, RecordRow row) { rows_[i] = std::move(row); }
    void Remove(std::size_t i) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i)); }
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

}  // namespace diary
