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
    const std::string fields[kServiceFields] = {part.bike, part.name,
                                                FormatDate(IsoDates(), part.fitted),
                                                PlainNumberText(part.intervalKm)};
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

bool HasSection(std::string_view bytes, std::string_view section) {
    ProfileScanner scanner(bytes);
    ProfileLine line;
    for (scanner.SkipToSection(); scanner.Next(line); scanner.SkipToSection()) {
        if (line.kind == ProfileLine::Kind::Section && EqualsNoCase(line.name, section))
            return true;
    }
    return false;
}

// "1=...\r\n2=...\r\n" of `values`, each checked to read back.
std::string NumberedLines(const std::vector<std::string>& values) {
    std::string lines;
    for (std::size_t i = 0; i < values.size(); ++i) {
        CheckProfileValue(values[i]);
        lines.append(PlainNumberText(i + 1)).append("=").append(values[i]).append("\r\n");
    }
    return lines;
}

// `bytes` with `keyLines` as the only key lines of `section`: in place of those of its first
// copy, right after its header; later copies lose their header and key lines. Comments and
// every line of other sections stay. A missing section is added at the end.
std::string WithSectionLines(std::string_view bytes, std::string_view section,
                             std::string_view keyLines) {
    std::string out;
    out.reserve(bytes.size() + keyLines.size() + section.size() + 6);
    bool inside = false;
    bool found = false;
    ProfileScanner scanner(bytes);
    for (ProfileLine line; scanner.Next(line);) {
        const std::string_view text = bytes.substr(line.begin, line.next - line.begin);
        if (line.kind == ProfileLine::Kind::Section) {
            inside = EqualsNoCase(line.name, section);
            if (inside && found) continue;
            out.append(text);
            if (inside) {
                if (line.next == line.end) out.append("\r\n");
                out.append(keyLines);
                found = true;
            }
        } else if (!(inside && line.kind == ProfileLine::Kind::Key)) {
            out.append(text);
        }
    }
    if (!found) {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
        out.append("[").append(section).append("]\r\n").append(keyLines);
    }
    return out;
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

void CheckBikes(const BikeSettings& bikes) {
    CheckBikeList(bikes.bikes);
    (void)ServiceLines(bikes.parts);
}

void AddOnce(std::vector<std::string>& bikes, std::string_view name) {
    if (std::find(bikes.begin(), bikes.end(), name) == bikes.end()) bikes.emplace_back(name);
}

// One change of the diary's bikes, as every change of a diary is made: under its lock, on the
// file as it is now. `change(bikes, bytes)` gets what the file holds and returns true when it
// changed the bikes (or the rides in `bytes`); only then is the file saved.
template <typename Change>
BikeChange ChangeBikes(const std::string& path, std::chrono::milliseconds timeout,
                       const std::shared_ptr<const std::string>& known, Change change) {
    BikeChange result;
    std::string bytes = ChangeUnderLock(path, LockedFile::Diary, timeout, [&](std::string& file) {
        result.followsKnown = known && *known == file;
        BikeSettings bikes = BikesOf(file);
        const BikeSettings before = bikes;
        std::string changed = file;
        if (!change(bikes, changed, result)) return false;
        if (bikes != before) changed = WithBikes(std::move(changed), bikes);
        if (changed == file) return false;
        file = std::move(changed);
        return true;
    });
    result.bytes = std::make_shared<const std::string>(std::move(bytes));
    return result;
}

bool Later(const Date& a, const Date& b) { return Earlier(b, a); }

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

BikeSettings BikesOf(std::string_view bytes) { return {BikeListIn(bytes), ServicePartsIn(bytes)}; }

BikeSettings ReadBikeSettings(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    return bytes ? BikesOf(*bytes) : BikeSettings();
}

bool HasBikeSections(std::string_view bytes) {
    return HasSection(bytes, kBikeSection) || HasSection(bytes, kServiceSection);
}

std::string WithBikes(std::string bytes, const BikeSettings& bikes) {
    CheckBikeList(bikes.bikes);
    const std::string bikeLines = NumberedLines(bikes.bikes);
    const std::string partLines = NumberedLines(ServiceLines(bikes.parts));
    if (bytes.empty()) bytes = "[" + std::string(kDiarySection) + "]\r\n";
    // A section is written when it has entries or had them: an empty one is not added.
    if (!bikeLines.empty() || HasSection(bytes, kBikeSection))
        bytes = WithSectionLines(bytes, kBikeSection, bikeLines);
    if (!partLines.empty() || HasSection(bytes, kServiceSection))
        bytes = WithSectionLines(bytes, kServiceSection, partLines);
    return bytes;
}

std::string MergeBikeSections(std::string_view resultBytes, std::string_view otherBytes) {
    const BikeSettings mine = BikesOf(resultBytes);
    const BikeSettings other = BikesOf(otherBytes);
    BikeSettings merged = mine;
    for (const std::string& bike : other.bikes) AddOnce(merged.bikes, bike);
    // Each part of the other side meets the first part of the same bike and name not met yet.
    std::vector<bool> met(merged.parts.size(), false);
    for (const ServicePart& part : other.parts) {
        std::size_t i = 0;
        while (i < met.size() &&
               (met[i] || merged.parts[i].bike != part.bike || merged.parts[i].name != part.name)) {
            ++i;
        }
        if (i == met.size()) {
            merged.parts.push_back(part);
            met.push_back(true);
            continue;
        }
        met[i] = true;
        if (Later(part.fitted, merged.parts[i].fitted)) merged.parts[i] = part;
    }
    if (merged == mine) return std::string(resultBytes);
    return WithBikes(std::string(resultBytes), merged);
}

void WriteBikes(const std::string& path, const BikeSettings& bikes) {
    CheckBikes(bikes);
    (void)ChangeUnderLock(path, LockedFile::Diary, kLockTimeout, [&](std::string& bytes) {
        bytes = WithBikes(std::move(bytes), bikes);
        return true;
    });
}

BikeChange AddBikes(const std::string& path, const std::vector<std::string>& names,
                    std::chrono::milliseconds timeout,
                    const std::shared_ptr<const std::string>& known) {
    CheckBikeList(names);
    return ChangeBikes(path, timeout, known, [&](BikeSettings& bikes, std::string&, BikeChange&) {
        for (const std::string& name : names) AddOnce(bikes.bikes, name);
        return true;
    });
}

BikeChange ChangeServicePart(const std::string& path, const std::optional<ServicePart>& old,
                             const std::optional<ServicePart>& now,
                             std::chrono::milliseconds timeout,
                             const std::shared_ptr<const std::string>& known) {
    if (now) CheckServicePart(*now);
    return ChangeBikes(path, timeout, known,
                       [&](BikeSettings& bikes, std::string&, BikeChange& result) {
                           std::vector<ServicePart>& parts = bikes.parts;
                           if (old) {
                               const auto it = std::find(parts.begin(), parts.end(), *old);
                               if (it == parts.end()) {
                                   result.applied = false;
                                   return false;
                               }
                               if (now) {
                                   *it = *now;
                               } else {
                                   parts.erase(it);
                               }
                           } else if (now) {
                               parts.push_back(*now);
                           }
                           // A bike only rides named until now is kept in the list once it has
                           // parts.
                           if (now) AddOnce(bikes.bikes, now->bike);
                           return true;
                       });
}

bool TakesSettingsBikes(std::string_view diaryBytes, const BikeSettings& settings) {
    if (HasBikeSections(diaryBytes) || (settings.bikes.empty() && settings.parts.empty()))
        return false;
    std::unordered_set<std::string_view> named(settings.bikes.begin(), settings.bikes.end());
    for (const ServicePart& part : settings.parts) named.insert(part.bike);
    bool rides = false;
    ForEachNumberedEntry(diaryBytes, kDiarySection, [&](const Profile::Entry& entry) {
        if (!rides)
            rides = named.contains(RecordRow::FromLine(entry.key, entry.value).Get(Field::Bike));
    });
    return rides;
}

bool MoveBikesIntoDiary(const std::string& path, const BikeSettings& settings,
                        std::chrono::milliseconds timeout) {
    CheckBikes(settings);
    bool moved = false;
    (void)ChangeUnderLock(path, LockedFile::Diary, timeout, [&](std::string& bytes) {
        moved = TakesSettingsBikes(bytes, settings);
        if (moved) bytes = WithBikes(std::move(bytes), settings);
        return moved;
    });
    return moved;
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

std::vector<RecordRow> BikeChange::Rows() const {
    if (!bytes) return {};
    return DiaryRows(bytes);
}

std::string BikeChange::Message() const {
    if (applied) return {};
    return "Jízdy na kole „" + Cp1250ToUtf8(bike) +
           "“ mezitím změnil jiný program. Nic nebylo změněno; seznam teď ukazuje deník tak, "
           "jak je uložen.";
}

BikeChange RenameBikeInDiary(const std::string& path, std::string_view from, std::string_view to,
                             std::optional<std::size_t> expectedRides,
                             std::chrono::milliseconds timeout) {
    if (!to.empty()) CheckBikeName(to);
    const auto rename = [&](BikeSettings& bikes, std::string& file, BikeChange& result) {
        result.bike = from;
        if (file.empty()) return false;
        file = RenameBikeInDiaryBytes(file, from, to, result.rides);
        result.applied = !expectedRides || *expectedRides == result.rides;
        if (!result.applied) return false;
        bool listed = false;
        std::vector<std::string> renamed;
        for (std::string& bike : bikes.bikes) {
            if (bike == from) {
                listed = true;
                if (to.empty()) continue;
                bike = to;
            }
            AddOnce(renamed, bike);
        }
        std::vector<ServicePart> kept;
        for (ServicePart& part : bikes.parts) {
            if (part.bike == from) {
                listed = true;
                if (to.empty()) continue;
                part.bike = to;
            }
            kept.push_back(std::move(part));
        }
        if (!listed && result.rides == 0) return false;
        if (!to.empty()) AddOnce(renamed, to);
        bikes = {std::move(renamed), std::move(kept)};
        return true;
    };
    BikeChange change = ChangeBikes(path, timeout, nullptr, rename);
    change.bike = from;
    return change;
}

BikeChange RemoveBikeFromDiary(const std::string& path, std::string_view bike,
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
        PlainNumberText(figures.rides),
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
