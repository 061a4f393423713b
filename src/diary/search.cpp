#include "diary/search.h"

#include <algorithm>

#include "diary/diary_file.h"
#include "diary/field_text.h"
#include "diary/regional.h"

namespace diary {

namespace {

constexpr std::array<Field, kSearchConditionCount> kConditionFields = {
    Field::Date,        Field::From,      Field::To,         Field::Via,
    Field::DepartureKm, Field::ArrivalKm, Field::DistanceKm, Field::AvgSpeed,
    Field::MaxSpeed,    Field::RideTime,  kBikeField,
};

enum class Test { Date, Text, Number, RideTime };

Test TestOf(std::size_t condition) {
    switch (condition) {
        case 0:
            return Test::Date;
        case 1:
        case 2:
        case 3:
        case 10:
            return Test::Text;
        case 9:
            return Test::RideTime;
        default:
            return Test::Number;
    }
}

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
        Test test = Test::Text;
        bool bounds = false;  // both bounds read; a range test can hit at all
        double lower = 0;
        double upper = 0;
        std::string text;
    };
    std::vector<Condition> conditions;
    bool any = false;
    RegionalSettings regional;

    bool Hits(const Condition& c, const RecordRow& row) const {
        const std::string_view value = row.Get(c.field);
        if (c.test == Test::Text) return value == c.text;
        if (!c.bounds) return false;
        std::optional<double> v;
        switch (c.test) {
            case Test::Date:
                v = ReadDateDays(regional, value);
                break;
            case Test::Number:
                v = ParseCommaNumber(value);
                break;
            case Test::RideTime:
                v = ReadSearchRideTime(value);
                break;
            case Test::Text:
                break;
        }
        return v && c.lower <= *v && *v <= c.upper;
    }
};

SearchQuery::SearchQuery(const SearchConditions& conditions, const RegionalSettings& regional) {
    auto impl = std::make_shared<Impl>();
    impl->any = conditions.any;
    impl->regional = regional;
    for (std::size_t i = 0; i < kConditionFields.size(); ++i) {
        if (!conditions.enabled[i]) continue;
        Impl::Condition c;
        c.field = kConditionFields[i];
        c.test = TestOf(i);
        const std::string& lower = conditions.lower[i];
        const std::string& upper = conditions.upper[i];
        std::optional<double> lo, hi;
        switch (c.test) {
            case Test::Text:
                c.text = lower;
                break;
            case Test::Date:
                lo = ReadDateDays(regional, lower);
                hi = ReadDateDays(regional, upper);
                break;
            case Test::Number:
                lo = ParseCommaNumber(lower);
                hi = ParseCommaNumber(upper);
                break;
            case Test::RideTime:
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

bool SearchQuery::Matches(const RecordRow& row) const {
    const Impl& q = *impl_;
    if (q.any) {
        for (const auto& c : q.conditions)
            if (q.Hits(c, row)) return true;
        return false;
    }
    for (const auto& c : q.conditions)
        if (!q.Hits(c, row)) return false;
    return true;
}

std::vector<RecordRow> SearchDiary(const std::string& path, const SearchConditions& conditions,
                                   const RegionalSettings& regional) {
    const SearchQuery query(conditions, regional);
    std::vector<RecordRow> rows = ReadDiaryRows(path);
    // The hits keep their order and stay where they were read: no second list that grows
    // hit by hit, which costs as much as the search itself when every ride is a hit.
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&query](const RecordRow& row) { return !query.Matches(row); }),
               rows.end());
    return rows;
}

}  // namespace diary
