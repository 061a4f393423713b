#pragma once
// What each field of a ride is, in one table: its place in the record line, its list column,
// its captions, how its text is read where its value counts, its typing limit and its width.
// Sorting, search, the CSV export and the windows read it; a new field is one row here (and its
// place in the entry dialog).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace diary {

// Every field of a ride, in the order of a record line in the file: the enumerator's value is
// the field's slot in the line. A new field goes at the end, so that no stored line changes.
enum class Field : int {
    Date = 0,
    From,
    To,
    Via,
    DepartureKm,
    ArrivalKm,
    DistanceKm,
    AvgSpeed,
    MaxSpeed,
    RideTime,
    Note,
    Bike,
};

// How a field's text is read where its value counts (sorting, search, statistics, overview).
enum class FieldKind : std::uint8_t {
    Text,      // compared as its bytes
    Date,      // the user's short date format
    Decimal,   // the number grammar, a comma read as the point
    RideTime,  // "<H> h <M> min"
};

// A column of the list, of the detail window and of the CSV export. Captions are UTF-8.
struct ColumnInfo {
    int width = 0;  // the list column's default width in pixels
    std::string_view list;
    std::string_view detail;
    std::string_view csv;
};

struct FieldInfo {
    Field field;
    FieldKind kind;
    int column;  // 1..: the list column; column 0 is the record number
    // Written only when set, or when a later field is: a line without it reads as before it
    // existed, and a reader that does not know it ignores it.
    bool optional;
    bool searched;    // one of the search window's conditions
    int typingLimit;  // characters the entry dialog takes from the keyboard
    ColumnInfo shown;
};

inline constexpr int kNoLimit = 32767;

// One row a field, in slot order:
//  field, kind, list column, optional, searched, typing limit, {width, list, detail, CSV caption}
// clang-format off
inline constexpr auto kFields = std::to_array<FieldInfo>({
    {Field::Date, FieldKind::Date, 1, false, true, kNoLimit, {75, "Datum", "Datum", "Datum"}},
    {Field::From, FieldKind::Text, 2, false, true, kNoLimit, {90, "Odkud", "Odkud", "Odkud"}},
    {Field::To, FieldKind::Text, 4, false, true, kNoLimit, {90, "Kam", "Kam", "Kam"}},
    {Field::Via, FieldKind::Text, 3, false, true, kNoLimit, {90, "Přes", "Přes", "Přes"}},
    {Field::DepartureKm, FieldKind::Decimal, 5, false, true, kNoLimit, {50, "Odjezd", "Odjezd kilometry", "Odjezd"}},
    {Field::ArrivalKm, FieldKind::Decimal, 7, false, true, kNoLimit, {50, "Příjezd", "Příjezd kilometry", "Příjezd"}},
    {Field::DistanceKm, FieldKind::Decimal, 6, false, true, kNoLimit, {50, "Ujeto", "Ujeto kilometrů", "Ujeto"}},
    {Field::AvgSpeed, FieldKind::Decimal, 9, false, true, kNoLimit, {60, "Prům. r.", "Průměrná rychlost", "Prům. r."}},
    {Field::MaxSpeed, FieldKind::Decimal, 10, false, true, kNoLimit, {60, "Max. r.", "Maximální rychlost", "Max. r."}},
    {Field::RideTime, FieldKind::RideTime, 8, false, true, kNoLimit, {80, "Čas jízdy", "Čas jízdy", "Čas jízdy"}},
    {Field::Note, FieldKind::Text, 11, false, false, 255, {200, "Poznámky", "Poznámky", "Poznámky"}},
    // The last column, so that it takes the rest of the list's width.
    {Field::Bike, FieldKind::Text, 12, true, true, kNoLimit, {90, "Kolo", "Kolo", "Kolo"}},
});
// clang-format on

inline constexpr ColumnInfo kNumberColumn = {20, "", "Pořadové číslo", ""};

inline constexpr int kFieldCount = static_cast<int>(kFields.size());
// The list's columns: the number, then every field.
inline constexpr int kColumnCount = kFieldCount + 1;

constexpr const FieldInfo& InfoOf(Field field) { return kFields[static_cast<std::size_t>(field)]; }

namespace detail {
constexpr std::array<Field, kFieldCount> ColumnOrder() {
    std::array<Field, kFieldCount> order{};
    for (const FieldInfo& f : kFields) order[static_cast<std::size_t>(f.column - 1)] = f.field;
    return order;
}
constexpr bool TableIsConsistent() {
    std::array<bool, kFieldCount> columnSeen{};
    bool optionalSeen = false;
    for (int slot = 0; slot < kFieldCount; ++slot) {
        const FieldInfo& f = kFields[static_cast<std::size_t>(slot)];
        if (static_cast<int>(f.field) != slot) return false;
        if (f.column < 1 || f.column > kFieldCount) return false;
        if (columnSeen[static_cast<std::size_t>(f.column - 1)]) return false;
        columnSeen[static_cast<std::size_t>(f.column - 1)] = true;
        // Every line carries the fields before the first optional one.
        if (optionalSeen && !f.optional) return false;
        optionalSeen = optionalSeen || f.optional;
    }
    return true;
}
}  // namespace detail

static_assert(detail::TableIsConsistent(),
              "kFields: one row per Field in slot order, each list column once, optional fields "
              "last");

// The fields in list column order: kColumnFields[c - 1] is shown in column c.
inline constexpr std::array<Field, kFieldCount> kColumnFields = detail::ColumnOrder();

// The field shown in list column `column`; nullopt for the number (0) and past the last.
constexpr std::optional<Field> FieldAtColumn(int column) {
    if (column < 1 || column > kFieldCount) return std::nullopt;
    return kColumnFields[static_cast<std::size_t>(column - 1)];
}

// Captions and width of list column `column` (0 the number); nullptr past the last.
constexpr const ColumnInfo* ColumnAt(int column) {
    if (column == 0) return &kNumberColumn;
    const auto field = FieldAtColumn(column);
    return field ? &InfoOf(*field).shown : nullptr;
}

// How many fields every record line carries: those before the first optional one.
inline constexpr int kRequiredFieldCount = [] {
    int n = 0;
    while (n < kFieldCount && !kFields[static_cast<std::size_t>(n)].optional) ++n;
    return n;
}();

// How many fields a line writes: every required one, then the optional ones up to the last
// that is set. `text(slot)` gives a field's text.
template <typename Text>
int WrittenFieldCount(Text&& text) {
    int n = kFieldCount;
    while (n > kRequiredFieldCount && text(n - 1).empty()) --n;
    return n;
}

}  // namespace diary
