#include "diary/sorting.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <utility>

#include "diary/field_text.h"
#include "diary/record_table.h"
#include "diary/regional.h"

namespace diary {

namespace {

enum class KeyKind { Whole, Date, Text, Number, None };

KeyKind KindOfSortColumn(int sortColumn) {
    switch (sortColumn) {
        case -1: return KeyKind::Whole;
        case 0: return KeyKind::Date;
        case 1: case 2: case 3: case 7: case 10: return KeyKind::Text;
        case 4: case 5: case 6: case 8: case 9: return KeyKind::Number;
        default: return KeyKind::None;
    }
}

// A record number that is not a plain whole number compares as equivalent to everything, like
// the unreadable dates and numbers of the other columns.
std::optional<double> ReadWholeNumber(std::string_view text) {
    long long value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    auto r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
    return static_cast<double>(value);
}

int CompareReadValues(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b) return 0;
    return *a >= *b ? 1 : -1;
}

// Bottom-up merge sort on positions. It takes from the right run only when the comparison says
// the left element goes after it, so it keeps equal elements in order and reads each position
// exactly once per pass: no answer of the comparison can make it loop or leave the array.
template <typename Compare>
std::vector<std::uint32_t> MergeSortPositions(std::size_t count, Compare&& compare) {
    std::vector<std::uint32_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
    std::vector<std::uint32_t> buffer(count);
    for (std::size_t width = 1; width < count; width *= 2) {
        for (std::size_t left = 0; left < count; left += 2 * width) {
            const std::size_t mid = std::min(left + width, count);
            const std::size_t right = std::min(left + 2 * width, count);
            std::size_t i = left, j = mid, out = left;
            while (i < mid && j < right) {
                if (compare(order[i], order[j]) > 0)
                    buffer[out++] = order[j++];
                else
                    buffer[out++] = order[i++];
            }
            while (i < mid) buffer[out++] = order[i++];
            while (j < right) buffer[out++] = order[j++];
        }
        order.swap(buffer);
    }
    return order;
}

template <typename Key, typename Read, typename Compare>
std::vector<std::uint32_t> SortByKeys(const std::vector<RecordRow>& rows, Read&& read,
                                      Compare&& compare) {
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (const RecordRow& row : rows) keys.push_back(read(row));
    return MergeSortPositions(rows.size(), [&](std::uint32_t a, std::uint32_t b) {
        return compare(keys[a], keys[b]);
    });
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// CompareTexts orders by the folded bytes and then by length, so the first eight folded bytes
// (a short text padded with zero bytes) decide every pair whose prefixes differ; only equal
// prefixes need the texts themselves. This keeps a text sort out of the rows' memory.
struct TextKey {
    std::uint64_t prefix = 0;
    std::string_view text;
};

TextKey MakeTextKey(std::string_view text) {
    TextKey key{0, text};
    for (std::size_t i = 0; i < 8; ++i) {
        key.prefix <<= 8;
        if (i < text.size()) key.prefix |= FoldAscii(static_cast<unsigned char>(text[i]));
    }
    return key;
}

int CompareTextKeys(const TextKey& a, const TextKey& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return CompareTexts(a.text, b.text);
}

}  // namespace

int CompareNumberTexts(std::string_view a, std::string_view b) {
    const auto first = ParseCommaNumber(a);
    if (!first) return 0;
    const auto second = ParseCommaNumber(b);
    if (!second) return 0;
    return *first >= *second ? 1 : -1;
}

int CompareTexts(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        const int difference = FoldAscii(x) - FoldAscii(y);
        if (difference != 0) return difference;
    }
    const auto difference =
        static_cast<long long>(a.size()) - static_cast<long long>(b.size());
    return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
}

int CompareRecordRows(const RecordRow& first, const RecordRow& second, int sortColumn,
                      const RegionalSettings& regional) {
    const KeyKind kind = KindOfSortColumn(sortColumn);
    if (kind == KeyKind::None) return 0;
    const std::string_view a = first.Column(sortColumn + 1);
    const std::string_view b = second.Column(sortColumn + 1);
    switch (kind) {
        case KeyKind::Whole: return CompareReadValues(ReadWholeNumber(a), ReadWholeNumber(b));
        case KeyKind::Date:
            return CompareReadValues(ReadDateDays(regional, a), ReadDateDays(regional, b));
        case KeyKind::Text: return CompareTexts(a, b);
        case KeyKind::Number: return CompareNumberTexts(a, b);
        case KeyKind::None: break;
    }
    return 0;
}

std::vector<std::uint32_t> MergeSortOrder(
    std::size_t count, const std::function<int(std::uint32_t, std::uint32_t)>& compare) {
    return MergeSortPositions(count, compare);
}

std::vector<std::uint32_t> SortOrder(const std::vector<RecordRow>& rows, int column,
                                     const RegionalSettings& regional) {
    const int sortColumn = column - 1;
    switch (KindOfSortColumn(sortColumn)) {
        case KeyKind::Whole:
            return SortByKeys<std::optional<double>>(
                rows, [](const RecordRow& r) { return ReadWholeNumber(r.Column(0)); },
                CompareReadValues);
        case KeyKind::Date:
            return SortByKeys<std::optional<double>>(
                rows,
                [&](const RecordRow& r) { return ReadDateDays(regional, r.Column(column)); },
                CompareReadValues);
        case KeyKind::Text:
            return SortByKeys<TextKey>(
                rows, [&](const RecordRow& r) { return MakeTextKey(r.Column(column)); },
                CompareTextKeys);
        case KeyKind::Number:
            return SortByKeys<std::optional<double>>(
                rows, [&](const RecordRow& r) { return ParseCommaNumber(r.Column(column)); },
                CompareReadValues);
        case KeyKind::None: break;
    }
    return MergeSortPositions(rows.size(), [](std::uint32_t, std::uint32_t) { return 0; });
}

void RecordTable::SortByColumn(int column, const RegionalSettings& regional) {
    const std::vector<std::uint32_t> order = SortOrder(rows_, column, regional);
    std::vector<RecordRow> sorted;
    sorted.reserve(rows_.size());
    for (std::uint32_t i : order) sorted.push_back(std::move(rows_[i]));
    rows_ = std::move(sorted);
}

}  // namespace diary
