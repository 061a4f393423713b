#include "diary/sorting.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>
#include <optional>
#include <utility>

#include "diary/field_text.h"
#include "diary/regional.h"

namespace diary {

namespace {

enum class KeyKind { Whole, Date, Text, Number, None };

KeyKind KindOfSortColumn(int sortColumn) {
    switch (sortColumn) {
        case -1:
            return KeyKind::Whole;
        case 0:
            return KeyKind::Date;
        case 1:
        case 2:
        case 3:
        case 7:
        case 10:
        case 11:  // the bike, sorted as the note is
            return KeyKind::Text;
        case 4:
        case 5:
        case 6:
        case 8:
        case 9:
            return KeyKind::Number;
        default:
            return KeyKind::None;
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

// A sort key of a number or date column: the value, or NaN when the text does not read. The
// sort only asks whether one row goes after another, and "a >= b" is false exactly when either
// is NaN (an unreadable value moves nothing) or a < b, so one comparison of plain doubles gives
// the column's answer.
double ValueKey(const std::optional<double>& value) {
    return value.value_or(std::numeric_limits<double>::quiet_NaN());
}

int CompareValueKeys(double a, double b) { return a >= b ? 1 : -1; }

// Bottom-up merge sort that acts only on the sign of `compare`: an item moves before an earlier
// one only when the comparison says the earlier one goes after it. Short runs are first put in
// order by insertion, then merged pairwise. Every loop is bounded by the run it works on, so no
// answer of the comparison can make it loop or leave the array, and the items stay a
// permutation of what came in.
template <typename Item, typename Compare>
void MergeSortItems(std::vector<Item>& items, Compare&& compare) {
    const std::size_t count = items.size();
    constexpr std::size_t kRun = 16;
    for (std::size_t start = 0; start < count; start += kRun) {
        const std::size_t end = std::min(start + kRun, count);
        for (std::size_t i = start + 1; i < end; ++i) {
            Item moving = std::move(items[i]);
            std::size_t j = i;
            while (j > start && compare(items[j - 1], moving) > 0) {
                items[j] = std::move(items[j - 1]);
                --j;
            }
            items[j] = std::move(moving);
        }
    }
    std::vector<Item> buffer(count);
    for (std::size_t width = kRun; width < count; width *= 2) {
        for (std::size_t left = 0; left < count; left += 2 * width) {
            const std::size_t mid = std::min(left + width, count);
            const std::size_t right = std::min(left + 2 * width, count);
            std::size_t i = left, j = mid, out = left;
            // Written without a branch on the answer: on random keys a branch guesses wrong
            // half the time, and that, not the comparing, was most of a big sort's cost.
            while (i < mid && j < right) {
                const bool rightFirst = compare(items[i], items[j]) > 0;
                buffer[out++] = std::move(rightFirst ? items[j] : items[i]);
                j += rightFirst;
                i += !rightFirst;
            }
            while (i < mid) buffer[out++] = std::move(items[i++]);
            while (j < right) buffer[out++] = std::move(items[j++]);
        }
        items.swap(buffer);
    }
}

template <typename Compare>
std::vector<std::uint32_t> MergeSortPositions(std::size_t count, Compare&& compare) {
    std::vector<std::uint32_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
    MergeSortItems(order, compare);
    return order;
}

// The keys travel with their positions, so the merges read memory in order instead of
// jumping through a table of keys.
template <typename Key>
struct Keyed {
    Key key{};
    std::uint32_t position = 0;
};

template <typename Key, typename Read, typename Compare>
std::vector<std::uint32_t> SortByKeys(const std::vector<RecordRow>& rows, Read&& read,
                                      Compare&& compare) {
    std::vector<Keyed<Key>> items;
    items.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        items.push_back({read(rows[i]), static_cast<std::uint32_t>(i)});
    }
    MergeSortItems(items,
                   [&](const Keyed<Key>& a, const Keyed<Key>& b) { return compare(a.key, b.key); });
    std::vector<std::uint32_t> order;
    order.reserve(items.size());
    for (const auto& item : items) order.push_back(item.position);
    return order;
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// CompareTexts orders by the folded bytes and then by length, so the first sixteen folded bytes
// (a short text padded with zero bytes) decide every pair whose prefixes differ, and a pair of
// equal prefixes whose texts both fit in them is decided by the lengths alone. Only longer
// texts with equal prefixes need the texts themselves, which keeps a text sort of place names
// out of the rows' memory.
constexpr std::size_t kPrefixBytes = 16;

struct TextKey {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::string_view text;
};

TextKey MakeTextKey(std::string_view text) {
    TextKey key{0, 0, text};
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        std::uint64_t& part = i < 8 ? key.high : key.low;
        part <<= 8;
        if (i < text.size()) part |= FoldAscii(static_cast<unsigned char>(text[i]));
    }
    return key;
}

int CompareTextKeys(const TextKey& a, const TextKey& b) {
    if (a.high != b.high) return a.high < b.high ? -1 : 1;
    if (a.low != b.low) return a.low < b.low ? -1 : 1;
    if (a.text.size() <= kPrefixBytes && b.text.size() <= kPrefixBytes) {
        return a.text.size() == b.text.size() ? 0 : (a.text.size() < b.text.size() ? -1 : 1);
    }
    return CompareTexts(a.text, b.text);
}

}  // namespace

int CompareTexts(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        const int difference = FoldAscii(x) - FoldAscii(y);
        if (difference != 0) return difference;
    }
    const auto difference = static_cast<long long>(a.size()) - static_cast<long long>(b.size());
    return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
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
            return SortByKeys<double>(
                rows, [](const RecordRow& r) { return ValueKey(ReadWholeNumber(r.Column(0))); },
                CompareValueKeys);
        case KeyKind::Date:
            return SortByKeys<double>(
                rows,
                [&](const RecordRow& r) {
                    return ValueKey(ReadDateDays(regional, r.Column(column)));
                },
                CompareValueKeys);
        case KeyKind::Text:
            return SortByKeys<TextKey>(
                rows, [&](const RecordRow& r) { return MakeTextKey(r.Column(column)); },
                CompareTextKeys);
        case KeyKind::Number:
            return SortByKeys<double>(
                rows,
                [&](const RecordRow& r) { return ValueKey(ParseCommaNumber(r.Column(column))); },
                CompareValueKeys);
        case KeyKind::None:
            break;
    }
    return MergeSortPositions(rows.size(), [](std::uint32_t, std::uint32_t) { return 0; });
}

}  // namespace diary
