#include "diary/search.h"

#include <algorithm>

#include "diary/diary_file.h"
#include "diary/field_text.h"
#include "diary/record_table.h"
#include "diary/regional.h"

namespace diary {

namespace {

// The lower ride-time bound must be longer than 8 characters: " h  min" and other stubs that
// the ride-time dialog writes from empty boxes never match.
bool LowerRideTimeLongEnough(std::string_view lower) { return lower.size() > 8; }

void RemoveFirst(std::string& text, std::string_view what) {
    const std::size_t at = text.find(what);
    if (at != std::string::npos) text.erase(at, what.size());
}

}  // namespace

std::optional<double> ReadSearchRideTime(std::string_view text) {
    std::string t(text);
    RemoveFirst(t, "h ");
    RemoveFirst(t, " min");
    const std::size_t blank = t.find(' ');
    if (blank == std::string::npos) return std::nullopt;
    const auto hours = ParseNumber(std::string_view(t).substr(0, blank));
    if (!hours) return std::nullopt;
    const auto minutes = ParseNumber(std::string_view(t).substr(blank + 1));
    if (!minutes) return std::nullopt;
    return *hours + *minutes / 60.0;
}

struct SearchQuery::Impl {
    struct Condition {
        Field field = Field::Date;
        bool bounds = false;  // both bounds read; a range test can hit at all
        double lower = 0;
        double upper = 0;
        std::string text;
    };
    std::vector<Condition> conditions;
    bool any = false;
    RegionalSettings regional;

    // Sets hits[i] to `any` where condition `c` answers `any` for row i: under "A" a row that
    // fails one condition is out, under "nebo" a row that meets one is in.
    void Apply(const Condition& c, const RecordTable& table,
               std::vector<std::uint8_t>& hits) const {
        const std::size_t count = table.size();
        const auto mark = [&](auto&& hit) {
            for (std::size_t i = 0; i < count; ++i)
                if (hit(i) == any) hits[i] = any;
        };
        const auto inRange = [&c](double v) { return c.lower <= v && v <= c.upper; };
        switch (InfoOf(c.field).kind) {
            case FieldKind::Text:
                mark([&](std::size_t i) { return table[i].Get(c.field) == c.text; });
                return;
            case FieldKind::Date: {
                if (!c.bounds) break;
                const auto dates = table.Dates(c.field, regional);
                mark([&](std::size_t i) {
                    return dates[i].valid() && inRange(static_cast<double>(dates[i].day));
                });
                return;
            }
            case FieldKind::Decimal: {
                if (!c.bounds) break;
                const auto values = table.Decimals(c.field);
                mark([&](std::size_t i) { return inRange(values[i]); });
                return;
            }
            case FieldKind::RideTime: {
                if (!c.bounds) break;
                const auto values = table.SearchRideTimes(c.field);
                mark([&](std::size_t i) { return inRange(values[i]); });
                return;
            }
        }
        mark([](std::size_t) { return false; });
    }
};

SearchQuery::SearchQuery(const SearchConditions& conditions, const RegionalSettings& regional) {
    auto impl = std::make_shared<Impl>();
    impl->any = conditions.any;
    impl->regional = regional;
    for (std::size_t i = 0; i < kSearchFields.size(); ++i) {
        if (!conditions.enabled[i]) continue;
        Impl::Condition c;
        c.field = kSearchFields[i];
        const std::string& lower = conditions.lower[i];
        const std::string& upper = conditions.upper[i];
        std::optional<double> lo, hi;
        switch (InfoOf(c.field).kind) {
            case FieldKind::Text:
                c.text = lower;
                break;
            case FieldKind::Date:
                lo = ReadDateDays(regional, lower);
                hi = ReadDateDays(regional, upper);
                break;
            case FieldKind::Decimal:
                lo = ParseCommaNumber(lower);
                hi = ParseCommaNumber(upper);
                break;
            case FieldKind::RideTime:
                if (LowerRideTimeLongEnough(lower)) {
                    lo = ReadSearchRideTime(lower);
                    hi = ReadSearchRideTime(upper);
                }
                break;
        }
        if (lo && hi) {
            c.bounds = true;
            c.lower = *lo;
            c.upper = *hi;
        }
        impl->conditions.push_back(std::move(c));
    }
    impl_ = std::move(impl);
}

std::vector<RecordRow> SearchQuery::Rides(const RecordTable& table) const {
    const Impl& q = *impl_;
    // No condition holds under "nebo" until one does; under "A" every row holds until one fails.
    std::vector<std::uint8_t> hits(table.size(), q.any ? 0 : 1);
    for (const auto& c : q.conditions) q.Apply(c, table, hits);
    std::vector<RecordRow> rows;
    rows.reserve(table.size());
    table.ForEachAsKept([&](std::size_t i, const RecordRow& row) {
        if (hits[i]) rows.push_back(row);
    });
    return rows;
}

std::vector<RecordRow> SearchDiary(const std::string& path, const SearchConditions& conditions,
                                   const RegionalSettings& regional) {
    return SearchQuery(conditions, regional).Rides(RecordTable(ReadDiaryRows(path)));
}

}  // namespace diary
