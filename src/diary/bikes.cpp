#include "diary/bikes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/cp1250.h"
#include "diary/diary_file.h"
#include "diary/errors.h"
#include "diary/field_text.h"
#include "diary/file_lock.h"
#include "diary/locked_change.h"
#include "diary/profile.h"
#include "diary/record.h"
#include "diary/record_table.h"
#include "diary/sorting.h"

namespace diary {
namespace {

constexpr std::string_view kDiarySection = "Data";
constexpr int kServiceFields = 4;

// Fitted dates are kept in ISO order whatever the user's regional settings say.
RegionalSettings IsoDates() { return {"%F", "."}; }

template <typename Number>
std::string NumberText(Number n) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

bool Earlier(const Date& a, const Date& b) {
    return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

bool IsBikeName(std::string_view name) {
    try {
        CheckBikeName(name);
        return true;
    } catch (const InvalidValueError&) {
        return false;
    }
}

std::string FormatServiceLine(const ServicePart& part) {
    const std::string fields[kServiceFields] = {
        part.bike, part.name, FormatDate(IsoDates(), part.fitted), NumberText(part.intervalKm)};
    std::string line;
    for (const std::string& field : fields) {
        line += field;
        line += kSeparator;
    }
    return line;
}

std::optional<ServicePart> ParseServiceLine(std::string_view line) {
    std::string_view fields[kServiceFields];
    for (std::string_view& field : fields) {
        const std::size_t end = line.find(kSeparator);
        if (end == std::string_view::npos) return std::nullopt;
        field = line.substr(0, end);
        line.remove_prefix(end + 1);
    }
    const auto fitted = ReadDate(IsoDates(), fields[2]);
    const auto interval = ParseNumber(fields[3]);
    if (!fitted || !interval) return std::nullopt;
    ServicePart part{std::string(fields[0]), std::string(fields[1]), *fitted, *interval};
    try {
        CheckServicePart(part);
    } catch (const InvalidValueError&) {
        return std::nullopt;
    }
    return part;
}

std::vector<std::string> BikeListIn(std::string_view bytes) {
    std::vector<std::string> bikes;
    for (const Profile::Entry& entry : NumberedEntries(bytes, kBikeSection)) {
        if (IsBikeName(entry.value) &&
            std::find(bikes.begin(), bikes.end(), entry.value) == bikes.end()) {
            bikes.emplace_back(entry.value);
        }
    }
    return bikes;
}

std::vector<ServicePart> ServicePartsIn(std::string_view bytes) {
    std::vector<ServicePart> parts;
    for (const Profile::Entry& entry : NumberedEntries(bytes, kServiceSection)) {
        if (auto part = ParseServiceLine(entry.value)) parts.push_back(std::move(*part));
    }
    return parts;
}

void CheckBikeList(const std::vector<std::string>& bikes) {
    for (std::size_t i = 0; i < bikes.size(); ++i) {
        CheckBikeName(bikes[i]);
        if (std::find(bikes.begin(), bikes.begin() + static_cast<std::ptrdiff_t>(i), bikes[i]) !=
            bikes.begin() + static_cast<std::ptrdiff_t>(i)) {
            throw InvalidValueError("Kolo „" + Cp1250ToUtf8(bikes[i]) + "“ je v seznamu dvakrát.");
        }
    }
}

// Keys 1..n of `section` hold `values`. Every copy of the section goes first: with only the
// first replaced, a forgotten duplicate further down would come to light later with its stale
// entries.
void ReplaceNumberedSection(Profile& profile, std::string_view section,
                            const std::vector<std::string>& values) {
    while (profile.RemoveSection(section)) {
    }
    if (values.empty()) return;
    std::string lines;
    for (std::size_t i = 0; i < values.size(); ++i) {
        CheckProfileValue(values[i]);
        lines.append(NumberText(i + 1)).append("=").append(values[i]).append("\r\n");
    }
    profile.ReplaceSectionLines(section, section, lines);
}

std::vector<std::string> ServiceLines(const std::vector<ServicePart>& parts) {
    std::vector<std::string> lines;
    lines.reserve(parts.size());
    for (const ServicePart& part : parts) {
        CheckServicePart(part);
        lines.push_back(FormatServiceLine(part));
    }
    return lines;
}

BikeSettings SettingsIn(std::string_view bytes) {
    return {BikeListIn(bytes), ServicePartsIn(bytes)};
}

// `bytes`, the file as read under the lock, with the sections of whichever list is given
// rewritten; each list is checked before anything is written.
std::string WithBikeSettings(std::string bytes, const std::vector<std::string>* bikes,
                             const std::vector<ServicePart>* parts) {
    if (bikes != nullptr) CheckBikeList(*bikes);
    const std::vector<std::string> lines =
        parts != nullptr ? ServiceLines(*parts) : std::vector<std::string>();
    Profile profile(std::move(bytes));
    if (bikes != nullptr) ReplaceNumberedSection(profile, kBikeSection, *bikes);
    if (parts != nullptr) ReplaceNumberedSection(profile, kServiceSection, lines);
    return std::move(profile).TakeBytes();
}

// One change of the bikes or parts, as every settings write is made: under the settings
// file's lock, on the file as it is now, so that what another program saved meanwhile stays.
// `change` gets what the file holds and returns true when it changed it; only then is the file
// saved, both sections in one save.
template <typename Change>
bool ChangeBikeSettings(const std::string& settingsPath, Change change) {
    bool changed = false;
    (void)ChangeUnderLock(
        settingsPath, LockedFile::Settings, kLockTimeout, [&](std::string& bytes) {
            BikeSettings settings = SettingsIn(bytes);
            if (!change(settings)) return false;
            bytes = WithBikeSettings(std::move(bytes), &settings.bikes, &settings.parts);
            changed = true;
            return true;
        });
    return changed;
}

void SaveUnderLock(const std::string& settingsPath, const std::vector<std::string>* bikes,
                   const std::vector<ServicePart>* parts) {
    // Checked before the lock is even taken: a refused list never waits for another program.
    if (bikes != nullptr) CheckBikeList(*bikes);
    if (parts != nullptr) (void)ServiceLines(*parts);
    (void)ChangeUnderLock(settingsPath, LockedFile::Settings, kLockTimeout,
                          [&](std::string& bytes) {
                              bytes = WithBikeSettings(std::move(bytes), bikes, parts);
                              return true;
                          });
}

}  // namespace

void CheckServicePart(const ServicePart& part) {
    CheckBikeName(part.bike);
    if (part.name.empty()) throw InvalidValueError("Zadejte název dílu.");
    CheckRecordField(part.name);
    if (!IsValidDate(part.fitted)) throw InvalidValueError("Datum montáže dílu neexistuje.");
    if (!std::isfinite(part.intervalKm) || part.intervalKm < 0) {
        throw InvalidValueError("Interval dílu musí být kladný počet kilometrů.");
    }
}

BikeSettings ReadBikeSettings(const std::string& settingsPath) {
    const auto bytes = ReadWholeFile(settingsPath);
    return bytes ? SettingsIn(*bytes) : BikeSettings();
}

std::vector<std::string> ReadBikeList(const std::string& settingsPath) {
    return ReadBikeSettings(settingsPath).bikes;
}

std::vector<ServicePart> ReadServiceParts(const std::string& settingsPath) {
    return ReadBikeSettings(settingsPath).parts;
}

void WriteBikeList(const std::string& settingsPath, const std::vector<std::string>& bikes) {
    SaveUnderLock(settingsPath, &bikes, nullptr);
}

void WriteServiceParts(const std::string& settingsPath, const std::vector<ServicePart>& parts) {
    SaveUnderLock(settingsPath, nullptr, &parts);
}

void WriteBikeSettings(const std::string& settingsPath, const std::vector<std::string>& bikes,
                       const std::vector<ServicePart>& parts) {
    SaveUnderLock(settingsPath, &bikes, &parts);
}

bool AddBike(const std::string& settingsPath, std::string_view name) {
    CheckBikeName(name);
    return ChangeBikeSettings(settingsPath, [&](BikeSettings& settings) {
        if (std::find(settings.bikes.begin(), settings.bikes.end(), name) != settings.bikes.end())
            return false;
        settings.bikes.emplace_back(name);
        return true;
    });
}

bool RenameBikeInSettings(const std::string& settingsPath, std::string_view from,
                          std::string_view to) {
    if (!to.empty()) CheckBikeName(to);
    return ChangeBikeSettings(settingsPath, [&](BikeSettings& settings) {
        bool changed = false;
        std::vector<std::string> renamed;
        for (std::string& bike : settings.bikes) {
            if (bike == from) {
                changed = true;
                if (to.empty()) continue;
                bike = to;
            }
            if (std::find(renamed.begin(), renamed.end(), bike) == renamed.end()) {
                renamed.push_back(std::move(bike));
            }
        }
        std::vector<ServicePart> kept;
        for (ServicePart& part : settings.parts) {
            if (part.bike == from) {
                changed = true;
                if (to.empty()) continue;
                part.bike = to;
            }
            kept.push_back(std::move(part));
        }
        settings = {std::move(renamed), std::move(kept)};
        return changed;
    });
}

bool ChangeServicePart(const std::string& settingsPath, const std::optional<ServicePart>& old,
                       const std::optional<ServicePart>& now) {
    if (now) CheckServicePart(*now);
    return ChangeBikeSettings(settingsPath, [&](BikeSettings& settings) {
        std::vector<ServicePart>& parts = settings.parts;
        if (!old) {
            if (!now) return false;
            parts.push_back(*now);
            return true;
        }
        const auto it = std::find(parts.begin(), parts.end(), *old);
        if (it == parts.end()) return false;
        if (now) {
            *it = *now;
        } else {
            parts.erase(it);
        }
        return true;
    });
}

// ---------------------------------------------------------------------------------------------

std::string RenameBikeInDiaryBytes(std::string_view bytes, std::string_view from,
                                   std::string_view to, std::size_t& changed) {
    changed = 0;
    // Each cut's bytes give way to `to`, or to nothing when the bike goes.
    struct Cut {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Cut> cuts;
    if (!from.empty()) {
        for (const ProfileLine& line : NumberedKeyLines(bytes, kDiarySection)) {
            const std::string_view value = line.value;
            // The bike runs from the separator that ends the field before it to its own.
            constexpr int kBikeSlot = static_cast<int>(Field::Bike);
            std::size_t begin = 0;
            int found = 0;
            for (; found < kBikeSlot; ++found) {
                const std::size_t at = value.find(kSeparator, begin);
                if (at == std::string_view::npos) break;
                begin = at + 1;
            }
            if (found < kBikeSlot) continue;
            const std::size_t end = value.find(kSeparator, begin);
            if (end == std::string_view::npos || value.substr(begin, end - begin) != from) continue;
            // A ride left without a bike loses the field and its separator, as if written
            // without one; but when the line goes on with more separators, the empty field
            // stays, or the text after it would become the bike.
            const bool dropField =
                to.empty() && value.find(kSeparator, end + 1) == std::string_view::npos;
            const auto at = static_cast<std::size_t>(value.data() - bytes.data());
            cuts.push_back({at + begin, at + end + (dropField ? 1 : 0)});
        }
    }
    changed = cuts.size();
    std::sort(cuts.begin(), cuts.end(),
              [](const Cut& a, const Cut& b) { return a.begin < b.begin; });
    std::string out;
    out.reserve(bytes.size() + cuts.size() * to.size());
    std::size_t pos = 0;
    for (const Cut& cut : cuts) {
        out.append(bytes.substr(pos, cut.begin - pos));
        out.append(to);
        pos = cut.end;
    }
    out.append(bytes.substr(pos));
    return out;
}

std::vector<RecordRow> BikeRideChange::Rows() const {
    if (!bytes) return {};
    return DiaryRows(bytes);
}

std::string BikeRideChange::Message() const {
    if (applied) return {};
    return "Jízdy na kole „" + Cp1250ToUtf8(bike) +
           "“ mezitím změnil jiný program. Nic nebylo změněno; seznam teď ukazuje deník tak, "
           "jak je uložen.";
}

BikeRideChange RenameBikeInDiary(const std::string& path, std::string_view from,
                                 std::string_view to, std::optional<std::size_t> expectedRides,
                                 std::chrono::milliseconds timeout) {
    if (!to.empty()) CheckBikeName(to);
    BikeRideChange change;
    change.bike = from;
    std::string bytes = ChangeUnderLock(path, LockedFile::Diary, timeout, [&](std::string& found) {
        std::string out = RenameBikeInDiaryBytes(found, from, to, change.rides);
        change.applied = !expectedRides || *expectedRides == change.rides;
        if (!change.applied || change.rides == 0) return false;
        found = std::move(out);
        return true;
    });
    change.bytes = std::make_shared<const std::string>(std::move(bytes));
    return change;
}

BikeRideChange RemoveBikeFromDiary(const std::string& path, std::string_view bike,
                                   std::optional<std::size_t> expectedRides,
                                   std::chrono::milliseconds timeout) {
    return RenameBikeInDiary(path, bike, {}, expectedRides, timeout);
}

// ---------------------------------------------------------------------------------------------

std::vector<BikeFigures> ComputeBikeFigures(const RecordTable& table,
                                            const std::vector<std::string>& bikes,
                                            const RegionalSettings& regional) {
    std::vector<BikeFigures> figures;
    const auto named = [](std::string_view bike) {
        BikeFigures f;
        f.bike = bike;
        return f;
    };
    // Keys view the names in `bikes` and in the rows, both alive until the end.
    std::unordered_map<std::string_view, std::size_t> index;
    for (const std::string& bike : bikes) {
        if (index.emplace(bike, figures.size()).second) figures.push_back(named(bike));
    }
    BikeFigures noBike;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const RecordRow& row = table[r];
        const std::string_view bike = row.Get(Field::Bike);
        BikeFigures* f = &noBike;
        if (!bike.empty()) {
            const auto [it, added] = index.emplace(bike, figures.size());
            if (added) figures.push_back(named(bike));
            f = &figures[it->second];
        }
        ++f->rides;
        f->km += ParseCommaNumber(row.Get(Field::DistanceKm)).value_or(0);
        f->hours += ParseRideTime(row.Get(Field::RideTime), 0);
        if (const auto date = ReadDate(regional, row.Get(Field::Date))) {
            if (!f->first || Earlier(*date, *f->first)) f->first = date;
            if (!f->last || Earlier(*f->last, *date)) f->last = date;
        }
    }
    if (noBike.rides > 0) figures.push_back(std::move(noBike));
    return figures;
}

std::vector<std::string> BikesOfRides(const RecordTable& table) {
    std::unordered_set<std::string_view> seen;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const RecordRow& row = table[r];
        if (const std::string_view bike = row.Get(Field::Bike); !bike.empty()) seen.insert(bike);
    }
    std::vector<std::string> bikes(seen.begin(), seen.end());
    std::sort(bikes.begin(), bikes.end(), [](const std::string& a, const std::string& b) {
        const int order = CompareTexts(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return bikes;
}

std::array<std::string, 6> BikeFigureTexts(const BikeFigures& figures,
                                           const RegionalSettings& regional) {
    const auto date = [&](const std::optional<Date>& d) {
        return d ? FormatDate(regional, *d) : std::string();
    };
    return {
        figures.bike.empty() ? std::string(kNoBikeName) : figures.bike,
        NumberText(figures.rides),
        FormatGeneralReal(figures.km, regional.decimalSeparator),
        FormatRideTime(figures.hours),
        date(figures.first),
        date(figures.last),
    };
}

std::vector<PartStatus> ComputePartStatus(const RecordTable& table,
                                          const std::vector<ServicePart>& parts,
                                          const RegionalSettings& regional) {
    std::vector<PartStatus> status;
    status.reserve(parts.size());
    std::unordered_map<std::string_view, std::vector<std::size_t>> partsOf;
    for (const ServicePart& part : parts) {
        partsOf[part.bike].push_back(status.size());
        status.push_back({part});
    }
    if (!partsOf.empty()) {
        for (std::size_t r = 0; r < table.size(); ++r) {
            const RecordRow& row = table[r];
            const auto it = partsOf.find(row.Get(Field::Bike));
            if (it == partsOf.end()) continue;
            const auto date = ReadDate(regional, row.Get(Field::Date));
            if (!date) continue;
            const double km = ParseCommaNumber(row.Get(Field::DistanceKm)).value_or(0);
            for (std::size_t i : it->second) {
                if (!Earlier(*date, status[i].part.fitted)) status[i].kmDone += km;
            }
        }
    }
    for (PartStatus& s : status) s.due = s.part.intervalKm > 0 && s.kmDone >= s.part.intervalKm;
    return status;
}

std::vector<PartStatus> DueParts(const RecordTable& table, const std::vector<ServicePart>& parts,
                                 const RegionalSettings& regional) {
    std::vector<PartStatus> due = ComputePartStatus(table, parts, regional);
    std::erase_if(due, [](const PartStatus& s) { return !s.due; });
    return due;
}

std::array<std::string, 5> PartStatusTexts(const PartStatus& status,
                                           const RegionalSettings& regional) {
    const std::string& sep = regional.decimalSeparator;
    const auto tenths = [](double km) { return std::round(km * 10) / 10; };
    const bool interval = status.part.intervalKm > 0;
    std::string state;
    if (status.due) {
        state =
            "\xC8"
            "as na servis";  // "Čas na servis" in code page 1250
    } else if (interval) {
        state = "zb\xFDv\xE1 " +  // "zbývá " in code page 1250
                FormatGeneralReal(std::round(status.part.intervalKm - status.kmDone), sep) + " km";
    }
    return {
        status.part.name,
        FormatDate(regional, status.part.fitted),
        interval ? FormatGeneralReal(status.part.intervalKm, sep) : std::string(),
        FormatGeneralReal(tenths(status.kmDone), sep),
        std::move(state),
    };
}

ServicePart ReadServicePart(std::string bike, std::string name, std::string_view fitted,
                            std::string_view intervalKm, const RegionalSettings& regional) {
    const auto day = ReadDate(regional, fitted);
    if (!day) {
        throw InvalidValueError("Datum montáže „" + Cp1250ToUtf8(fitted) + "“ není platné datum.");
    }
    double interval = 0;
    const std::size_t first = intervalKm.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
        const std::size_t last = intervalKm.find_last_not_of(" \t");
        const auto value = ParseCommaNumber(intervalKm.substr(first, last - first + 1));
        if (!value) throw InvalidValueError("Interval dílu musí být kladný počet kilometrů.");
        interval = *value;
    }
    ServicePart part{std::move(bike), std::move(name), *day, interval};
    CheckServicePart(part);
    return part;
}

std::string DuePartsNote(const std::vector<PartStatus>& due, const RegionalSettings& regional) {
    if (due.empty()) return {};
    const auto km = [&](double v) {
        return FormatGeneralReal(std::round(v), regional.decimalSeparator) + " km";
    };
    std::string note =
        "\xC8"
        "as na servis: ";  // "Čas na servis: " in code page 1250
    for (std::size_t i = 0; i < due.size(); ++i) {
        if (i > 0) note += "; ";
        const PartStatus& s = due[i];
        note += s.part.bike + " \x96 " + s.part.name + " (" + km(s.kmDone) + " z " +
                km(s.part.intervalKm) + ")";
    }
    return note;
}

}  // namespace diary
