#include "diary/sorting.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "diary/field_text.h"
#include "diary/record_table.h"
#include "diary/regional.h"

namespace diary {

namespace {

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
// merge sort asks whether one row goes after another, and "a >= b" is false exactly when either
// is NaN (an unreadable value moves nothing) or a < b; WalledOrder gives the order that answer
// makes.
double ValueKey(const std::optional<double>& value) {
    return value.value_or(std::numeric_limits<double>::quiet_NaN());
}

// The merge sort's first pass puts runs of this many items in order by insertion.
constexpr std::size_t kRun = 16;

// Bottom-up merge sort that acts only on the sign of `compare`: an item moves before an earlier
// one only when the comparison says the earlier one goes after it. Short runs are first put in
// order by insertion, then merged pairwise. Every loop is bounded by the run it works on, so no
// answer of the comparison can make it loop or leave the array, and the items stay a
// permutation of what came in.
template <typename Item, typename Compare>
void MergeSortItems(std::vector<Item>& items, Compare&& compare) {
    static_assert(std::is_trivially_copyable_v<Item>, "the merges copy items");
    const std::size_t count = items.size();
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
            // On pointers rather than indices: the compiler makes the choice a branch either way,
            // and with pointers each step is a load less. A merge without the branch (a chosen
            // address) was slower still, both on random keys and on the dates' nearly sorted
            // ones: its steps wait on each other.
            const Item* l = items.data() + left;
            const Item* const lEnd = items.data() + mid;
            const Item* r = lEnd;
            const Item* const rEnd = items.data() + right;
            Item* o = buffer.data() + left;
            while (l != lEnd && r != rEnd) {
                const bool rightFirst = compare(*l, *r) > 0;
                *o++ = rightFirst ? *r : *l;
                r += rightFirst;
                l += !rightFirst;
            }
            o = std::copy(l, lEnd, o);
            std::copy(r, rEnd, o);
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

// `make(i)` gives row i's item, which carries its position; `compare` takes two items.
template <typename Item, typename Make, typename Compare>
std::vector<std::uint32_t> SortItems(std::size_t count, Make&& make, Compare&& compare) {
    std::vector<Item> items;
    items.reserve(count);
    for (std::size_t i = 0; i < count; ++i) items.push_back(make(static_cast<std::uint32_t>(i)));
    MergeSortItems(items, compare);
    std::vector<std::uint32_t> order;
    order.reserve(items.size());
    for (const auto& item : items) order.push_back(item.position);
    return order;
}

// The order the merge sort gives keys that all read (no NaN): ascending, and since an equal key
// "goes after" in that sort, equal keys in reverse order of position. Found by a stable radix
// sort of the keys' bits, a few passes over the keys in memory order instead of the merge's
// many compares.
std::vector<std::uint32_t> RadixOrder(const std::vector<Keyed<double>>& keyed) {
    struct Item {
        std::uint64_t bits;
        std::uint32_t position;
    };
    const std::size_t count = keyed.size();
    std::vector<Item> items(count);
    std::vector<Item> buffer(count);
    // Starting from the last position, a stable sort leaves equal keys in reverse position
    // order.
    // Every byte's counts in one pass over the keys, rather than one pass a byte.
    std::array<std::array<std::uint32_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < count; ++i) {
        const Keyed<double>& k = keyed[count - 1 - i];
        // -0 and 0 are equal keys; the bits of every other double, with the sign bit flipped
        // (and all bits of a negative one), order as the doubles do.
        const double value = k.key == 0 ? 0.0 : k.key;
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        bits = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
        items[i] = {bits, k.position};
        for (std::size_t b = 0; b < counts.size(); ++b) ++counts[b][(bits >> (8 * b)) & 0xFF];
    }
    for (std::size_t b = 0; b < counts.size(); ++b) {
        // A byte every key shares orders nothing.
        if (std::find(counts[b].begin(), counts[b].end(), count) != counts[b].end()) continue;
        std::array<std::size_t, 256> start{};
        for (std::size_t v = 1; v < start.size(); ++v) start[v] = start[v - 1] + counts[b][v - 1];
        const int shift = static_cast<int>(8 * b);
        for (const Item& item : items) buffer[start[(item.bits >> shift) & 0xFF]++] = item;
        items.swap(buffer);
    }
    std::vector<std::uint32_t> order;
    order.reserve(count);
    for (const Item& item : items) order.push_back(item.position);
    return order;
}

// The order the merge sort gives keys of which some do not read (NaN), found without its many
// compares. An unreadable key goes after nothing and nothing after it, so it never moves past
// another key nor another past it: the unreadable keys keep their order and stand as walls, and
// between two walls the readable keys end sorted, ascending and the later position first among
// equals. Which wall a key ends behind is decided by the merges:
// - the first pass sorts each run between its walls, so a key stays behind the wall before it
//   in its run;
// - a merge takes the keys of the right half that stand before all of its walls (its front
//   group) and puts each behind the first wall of the left half after which the left keys
//   already reach as high (a running maximum, the left front group counting as wall "none"),
//   or behind the left half's last wall when none does; the right half's walls and the keys
//   behind them follow the left half unchanged.
// A key behind a wall of its block never moves again, so only the front groups are followed
// through the merges; a radix sort by wall and key then gives the order. Keys are finite or NaN
// (no column reads an infinity), so an empty group's maximum of -infinity reaches no key.
std::vector<std::uint32_t> WalledOrder(const std::vector<Keyed<double>>& keyed) {
    const std::size_t count = keyed.size();
    constexpr double kNoKey = -std::numeric_limits<double>::infinity();
    // Walls (unreadable keys) at positions below i; a block's walls are numbered contiguously.
    std::vector<std::uint32_t> wallsBefore(count + 1, 0);
    for (std::size_t i = 0; i < count; ++i)
        wallsBefore[i + 1] = wallsBefore[i] + (std::isnan(keyed[i].key) ? 1 : 0);
    const std::uint32_t walls = wallsBefore[count];
    // For a readable key: 0 while it is in its block's front group, else 1 + its wall.
    std::vector<std::uint32_t> behind(count, 0);
    std::vector<double> wallReach(walls, kNoKey);  // the greatest key behind each wall
    // Each block's front group: its keys' positions in ascending order, kept in `front` from the
    // block's first position on (a group never holds more keys than its block has positions),
    // its size and how high it reaches kept by the block's first run.
    const std::size_t runs = (count + kRun - 1) / kRun;
    std::vector<std::uint32_t> front(count);
    std::vector<std::uint32_t> frontSize(runs, 0);
    std::vector<double> frontReach(runs, kNoKey);
    auto putBehind = [&](std::uint32_t wall, std::uint32_t i, double key) {
        behind[i] = wall + 1;
        wallReach[wall] = std::max(wallReach[wall], key);
    };
    for (std::size_t i = 0; i < count; ++i) {
        const double key = keyed[i].key;
        if (std::isnan(key)) continue;
        const std::size_t run = i / kRun;
        if (wallsBefore[i] == wallsBefore[run * kRun]) {
            front[run * kRun + frontSize[run]++] = static_cast<std::uint32_t>(i);
            frontReach[run] = std::max(frontReach[run], key);
        } else {
            putBehind(wallsBefore[i] - 1, static_cast<std::uint32_t>(i), key);
        }
    }
    std::vector<double> reach;
    for (std::size_t width = kRun; width < count; width *= 2) {
        for (std::size_t left = 0; left + width < count; left += 2 * width) {
            const std::size_t mid = left + width;
            const std::uint32_t* const rightFirst = front.data() + mid;
            const std::uint32_t* const rightEnd = rightFirst + frontSize[mid / kRun];
            // The front group grows in place: its new keys come from positions at or after
            // where they are written.
            std::uint32_t* out = front.data() + left + frontSize[left / kRun];
            double& leftReach = frontReach[left / kRun];
            const std::uint32_t firstWall = wallsBefore[left];
            const std::uint32_t leftWalls = wallsBefore[mid] - firstWall;
            if (leftWalls == 0) {
                out = std::copy(rightFirst, rightEnd, out);
                leftReach = std::max(leftReach, frontReach[mid / kRun]);
            } else {
                // reach[w]: the highest left key before wall w + 1. A key goes behind the first
                // wall w whose reach is as high, and behind the last wall when none is.
                reach.clear();
                double high = leftReach;
                for (std::uint32_t w = 0; w + 1 < leftWalls; ++w)
                    reach.push_back(high = std::max(high, wallReach[firstWall + w]));
                for (const std::uint32_t* p = rightFirst; p != rightEnd; ++p) {
                    const double key = keyed[*p].key;
                    if (key <= leftReach) {
                        *out++ = *p;
                        continue;
                    }
                    const auto w =
                        std::lower_bound(reach.begin(), reach.end(), key) - reach.begin();
                    putBehind(firstWall + static_cast<std::uint32_t>(w), *p, key);
                }
            }
            frontSize[left / kRun] = static_cast<std::uint32_t>(out - (front.data() + left));
            frontSize[mid / kRun] = 0;
        }
    }
    // The readable keys ascending, the later position first, then dealt out by wall.
    std::vector<Keyed<double>> readable;
    readable.reserve(count - walls);
    std::vector<std::uint32_t> wallPositions;
    wallPositions.reserve(walls);
    for (const Keyed<double>& k : keyed) {
        if (std::isnan(k.key))
            wallPositions.push_back(k.position);
        else
            readable.push_back(k);
    }
    const std::vector<std::uint32_t> ascending = RadixOrder(readable);
    // Group g starts after the keys of the groups before it and their walls.
    std::vector<std::size_t> start(static_cast<std::size_t>(walls) + 2, 0);
    for (const Keyed<double>& k : readable) ++start[behind[k.position] + 1];
    for (std::size_t g = 1; g < start.size(); ++g) start[g] += start[g - 1] + 1;
    std::vector<std::uint32_t> order(count);
    for (std::uint32_t w = 0; w < walls; ++w) order[start[w + 1] - 1] = wallPositions[w];
    for (const std::uint32_t position : ascending) order[start[behind[position]]++] = position;
    return order;
}

// Keys of a number or date column in the order of the merge sort.
template <typename Make>
std::vector<std::uint32_t> SortValues(std::size_t count, Make&& make) {
    // Readable keys already rising, no two equal (a diary's numbers, and mostly its dates): the
    // merge sort moves nothing, whatever unreadable keys stand between them. Asked first, in a
    // pass that stops at the first key out of order.
    bool rising = true;
    double last = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < count && rising; ++i) {
        const double key = make(static_cast<std::uint32_t>(i)).key;
        if (std::isnan(key)) continue;
        rising = key > last;
        last = key;
    }
    if (rising) {
        std::vector<std::uint32_t> order(count);
        for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
        return order;
    }
    std::vector<Keyed<double>> keyed;
    keyed.reserve(count);
    bool allRead = true;
    for (std::size_t i = 0; i < count; ++i) {
        keyed.push_back(make(static_cast<std::uint32_t>(i)));
        allRead = allRead && !std::isnan(keyed.back().key);
    }
    return allRead ? RadixOrder(keyed) : WalledOrder(keyed);
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

// The text itself stays in its row: an item of the sort is then 24 bytes rather than 40, and
// the merges move that much less memory.
struct TextItem {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::uint32_t size = 0;
    std::uint32_t position = 0;
};

TextItem MakeTextItem(std::string_view text, std::uint32_t position) {
    // A row holds under four gigabytes, so its size fits.
    TextItem key{0, 0, static_cast<std::uint32_t>(text.size()), position};
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        std::uint64_t& part = i < 8 ? key.high : key.low;
        part <<= 8;
        if (i < text.size()) part |= FoldAscii(static_cast<unsigned char>(text[i]));
    }
    return key;
}

// `text(position)` gives the text a key was made of, for the pairs the prefixes leave open.
template <typename Text>
int CompareTextItems(const TextItem& a, const TextItem& b, Text&& text) {
    if (a.high != b.high) return a.high < b.high ? -1 : 1;
    if (a.low != b.low) return a.low < b.low ? -1 : 1;
    if (a.size <= kPrefixBytes && b.size <= kPrefixBytes) {
        return a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
    }
    return CompareTexts(text(a.position), text(b.position));
}

// A column of few distinct texts (places, bikes) in the merge sort's order, which for texts is
// a stable sort: equal texts keep their order. Each distinct text (equal as CompareTexts sees
// it) is found once by hashing, the few of them sorted, and the rows dealt out to them in
// order. Nothing when the column holds more than `most` distinct texts: the merge sort is the
// better way then.
template <typename Text>
std::optional<std::vector<std::uint32_t>> GroupedTextOrder(std::size_t count, Text&& text,
                                                           std::size_t most) {
    struct Folded {
        std::size_t operator()(std::string_view t) const {
            std::uint64_t h = 14695981039346656037ull;
            for (const char c : t)
                h = (h ^ FoldAscii(static_cast<unsigned char>(c))) * 1099511628211ull;
            return static_cast<std::size_t>(h);
        }
        bool operator()(std::string_view a, std::string_view b) const {
            return CompareTexts(a, b) == 0;
        }
    };
    std::unordered_map<std::string_view, std::uint32_t, Folded, Folded> groupOf;
    std::vector<std::string_view> groups;
    std::vector<std::uint32_t> group(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view t = text(static_cast<std::uint32_t>(i));
        const auto [it, added] = groupOf.try_emplace(t, static_cast<std::uint32_t>(groups.size()));
        if (added) {
            if (groups.size() == most) return std::nullopt;
            groups.push_back(t);
        }
        group[i] = it->second;
    }
    std::vector<std::uint32_t> sorted(groups.size());
    for (std::size_t g = 0; g < sorted.size(); ++g) sorted[g] = static_cast<std::uint32_t>(g);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
        return CompareTexts(groups[a], groups[b]) < 0;
    });
    // Where each group's rows start in the order, then the rows in their own order.
    std::vector<std::size_t> at(groups.size(), 0);
    for (const std::uint32_t g : group) ++at[g];
    std::size_t next = 0;
    for (const std::uint32_t g : sorted) next += std::exchange(at[g], next);
    std::vector<std::uint32_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[at[group[i]]++] = static_cast<std::uint32_t>(i);
    return order;
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

std::vector<std::uint32_t> SortOrder(const RecordTable& table, int column,
                                     const RegionalSettings& regional) {
    const std::size_t count = table.size();
    if (column == 0) {
        return SortValues(count, [&](std::uint32_t i) {
            return Keyed<double>{ValueKey(ReadWholeNumber(table[i].Number())), i};
        });
    }
    const auto field = FieldAtColumn(column);
    if (!field) return MergeSortPositions(count, [](std::uint32_t, std::uint32_t) { return 0; });
    switch (InfoOf(*field).kind) {
        case FieldKind::Date: {
            const auto dates = table.Dates(*field, regional);
            return SortValues(count, [&](std::uint32_t i) {
                return Keyed<double>{dates[i].valid() ? static_cast<double>(dates[i].day)
                                                      : std::numeric_limits<double>::quiet_NaN(),
                                     i};
            });
        }
        case FieldKind::Decimal: {
            const auto values = table.Decimals(*field);
            return SortValues(count, [&](std::uint32_t i) { return Keyed<double>{values[i], i}; });
        }
        // The ride time sorts by its text, as it always has.
        case FieldKind::RideTime:
        case FieldKind::Text:
            break;
    }
    const auto text = [&](std::uint32_t i) { return table[i].Get(*field); };
    if (auto grouped = GroupedTextOrder(count, text, count / 16 + 16)) return *std::move(grouped);
    return SortItems<TextItem>(
        count, [&](std::uint32_t i) { return MakeTextItem(text(i), i); },
        [&](const TextItem& a, const TextItem& b) { return CompareTextItems(a, b, text); });
}

}  // namespace diary
