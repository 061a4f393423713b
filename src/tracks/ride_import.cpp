#include "tracks/ride_import.h"

#include <csv.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "diary/cp1250.h"
#include "diary/field_text.h"
#include "tracks/track_file.h"
#include "tracks/xml_track.h"

namespace tracks {

namespace {

bool Has(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// An English number of the export: "1,234.5" or "1234.5"; nullopt when empty or no number.
std::optional<double> ExportNumber(std::string_view text) {
    std::string plain;
    for (char c : text) {
        if (c != ',' && c != ' ') plain += c;
    }
    if (plain.empty()) return std::nullopt;
    const std::optional<double> v = diary::ParseNumber(plain);
    if (!v || !std::isfinite(*v) || *v < 0) return std::nullopt;
    return v;
}

struct CsvBuilder {
    std::vector<std::vector<std::string>> rows{1};
    static void Field(void* s, std::size_t len, void* data) {
        auto* b = static_cast<CsvBuilder*>(data);
        b->rows.back().emplace_back(s == nullptr ? "" : static_cast<const char*>(s), len);
    }
    static void Row(int, void* data) { static_cast<CsvBuilder*>(data)->rows.emplace_back(); }
};

// What a track member gave: its ride, or why none.
struct TrackResult {
    std::optional<TrackSummary> ride;
    std::string error;
    bool named = false;  // a CSV row took it
};

std::string FolderOf(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// Collects the members of an export and makes them candidates.
class ExportCollector {
public:
    void Found(const std::string& name, std::string_view bytes) {
        std::string lower = AsciiLower(name);
        if (lower.size() > 3 && lower.compare(lower.size() - 3, 3, ".gz") == 0) {
            lower.resize(lower.size() - 3);
        }
        if (lower == "activities.csv" ||
            (lower.size() > 15 && lower.compare(lower.size() - 15, 15, "/activities.csv") == 0)) {
            lists_.emplace_back(name, std::string(bytes));
            return;
        }
        TrackResult result;
        try {
            result.ride = Summarize(ReadTrack(bytes, name));
        } catch (const TrackError& e) {
            result.error = e.what();
        }
        Remember(name, std::move(result));
    }

    void Refused(const std::string& name, const std::string& message) {
        TrackResult result;
        result.error = message;
        Remember(name, std::move(result));
    }

    std::vector<ImportCandidate> Finish() {
        std::vector<ImportCandidate> out;
        for (const auto& [name, bytes] : lists_) FromList(name, bytes, out);
        for (auto& [name, result] : tracks_) {
            if (result.named) continue;
            ImportCandidate c;
            c.source = name;
            if (result.ride) {
                c.ride = *result.ride;
                c.hasRide = true;
            } else {
                c.status = ImportStatus::Unreadable;
                c.reason = result.error;
            }
            out.push_back(std::move(c));
        }
        return out;
    }

private:
    void Remember(const std::string& name, TrackResult result) {
        index_[name] = tracks_.size();
        tracks_.emplace_back(name, std::move(result));
    }

    void FromList(const std::string& name, const std::string& bytes,
                  std::vector<ImportCandidate>& out) {
        std::unique_ptr<ActivityTable> table;
        try {
            table = std::make_unique<ActivityTable>(bytes, name);
        } catch (const TrackError& e) {
            ImportCandidate c;
            c.source = name;
            c.status = ImportStatus::Unreadable;
            c.reason = e.what();
            out.push_back(std::move(c));
            return;
        }
        const std::string folder = FolderOf(name);
        for (std::size_t r = 0; r < table->size(); ++r) {
            ImportCandidate c;
            c.type = std::string(table->Cell(r, "Activity Type"));
            c.bike = std::string(table->Cell(r, "Activity Gear"));
            const std::string file(table->Cell(r, "Filename"));
            c.source = file.empty() ? name + " (" + std::string(table->Cell(r, "Activity ID")) + ")"
                                    : folder + file;
            const auto track = file.empty() ? index_.end() : index_.find(folder + file);
            if (track == index_.end() && !file.empty()) {
                c.reason = "V exportu chybí soubor „" + folder + file + "“.";
            } else if (track != index_.end()) {
                TrackResult& result = tracks_[track->second].second;
                result.named = true;
                if (result.ride) {
                    c.ride = *result.ride;
                    c.hasRide = true;
                } else {
                    c.reason = result.error;
                }
            }
            if (!c.hasRide) FromColumns(*table, r, c);
            const std::string_view title = table->Cell(r, "Activity Name");
            if (!title.empty()) c.ride.name = std::string(title);
            if (!IsCyclingType(c.type)) {
                c.status = ImportStatus::NotARide;
            } else if (!c.hasRide) {
                c.status = ImportStatus::Unreadable;
                if (c.reason.empty()) {
                    c.reason = "Aktivita " + std::string(table->Cell(r, "Activity ID")) +
                               " nemá záznam trasy ani ujetou vzdálenost.";
                }
            } else {
                // The columns stood in for a track that could not be read: nothing to say.
                c.reason.clear();
            }
            out.push_back(std::move(c));
        }
    }

    // The ride from the list's own columns: the second "Distance" is in metres, the first in
    // kilometres; the moving time, else the first "Elapsed Time", in seconds.
    static void FromColumns(const ActivityTable& t, std::size_t r, ImportCandidate& c) {
        std::optional<double> metres = ExportNumber(t.Cell(r, "Distance", 1));
        if (!metres) {
            if (const auto km = ExportNumber(t.Cell(r, "Distance", 0))) metres = *km * 1000;
        }
        if (!metres) return;
        c.hasRide = true;
        c.ride.distanceMetres = *metres;
        if (const auto start = ParseActivityDate(t.Cell(r, "Activity Date")))
            c.ride.startUtc = start;
        std::optional<double> seconds = ExportNumber(t.Cell(r, "Moving Time"));
        if (!seconds || *seconds == 0) seconds = ExportNumber(t.Cell(r, "Elapsed Time", 0));
        if (seconds) c.ride.movingSeconds = seconds;
        if (const auto avg = ExportNumber(t.Cell(r, "Average Speed")); avg && *avg > 0) {
            c.ride.averageSpeed = avg;
        } else if (seconds && *seconds > 0) {
            c.ride.averageSpeed = *metres / *seconds;
        }
        if (const auto max = ExportNumber(t.Cell(r, "Max Speed")); max && *max > 0) {
            c.ride.maxSpeed = max;
        }
    }

    std::vector<std::pair<std::string, std::string>> lists_;
    std::vector<std::pair<std::string, TrackResult>> tracks_;
    std::unordered_map<std::string, std::size_t> index_;
};

std::vector<ImportCandidate> Collect(const std::function<void(ArchiveReader&)>& read,
                                     const ReadControl& control, const ArchiveLimits& limits) {
    ExportCollector collector;
    ArchiveReader reader(
        [&](const std::string& name, std::string_view bytes) { collector.Found(name, bytes); },
        [&](const std::string& name, const std::string& message) {
            collector.Refused(name, message);
        },
        control, limits);
    read(reader);
    return collector.Finish();
}

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                               "jul", "aug", "sep", "oct", "nov", "dec"};

bool Digits(std::string_view s, int& value) {
    if (s.empty() || s.size() > 4) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// What a diary row says for the duplicate check.
struct Known {
    double km;       // NaN: none
    double minutes;  // NaN: none
};

bool Matches(const Known& a, const Known& b) {
    const bool noKm = std::isnan(a.km) && std::isnan(b.km);
    const bool kmNear = !std::isnan(a.km) && !std::isnan(b.km) &&
                        std::fabs(a.km - b.km) <= std::max(0.2, 0.01 * std::max(a.km, b.km));
    const bool noTime = std::isnan(a.minutes) && std::isnan(b.minutes);
    const bool timeNear =
        !std::isnan(a.minutes) && !std::isnan(b.minutes) && std::fabs(a.minutes - b.minutes) <= 3;
    return (noKm || kmNear) && (noTime || timeNear);
}

std::string Clean(std::string text) {
    for (char& c : text) {
        if (c == '\xA7' || c == '\r' || c == '\n' || c == '\0' || c == '\t') c = ' ';
    }
    return text;
}

}  // namespace

ActivityTable::ActivityTable(std::string_view bytes, const std::string& path) {
    csv_parser parser{};
    if (csv_init(&parser, CSV_APPEND_NULL) != 0) throw NotATrack(path);
    CsvBuilder builder;
    // A UTF-8 byte order mark is no part of the first column's name.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::size_t parsed = csv_parse(&parser, bytes.data(), bytes.size(), CsvBuilder::Field,
                                         CsvBuilder::Row, &builder);
    const bool ok = parsed == bytes.size() &&
                    csv_fini(&parser, CsvBuilder::Field, CsvBuilder::Row, &builder) == 0;
    csv_free(&parser);
    if (!ok || builder.rows.front().empty()) {
        throw TrackError(path, "Soubor „" + path + "“ není seznam aktivit (CSV).");
    }
    if (builder.rows.back().empty()) builder.rows.pop_back();
    header_ = std::move(builder.rows.front());
    rows_.assign(std::make_move_iterator(builder.rows.begin() + 1),
                 std::make_move_iterator(builder.rows.end()));
}

std::string_view ActivityTable::Cell(std::size_t row, std::string_view name, int occurrence) const {
    for (std::size_t i = 0; i < header_.size(); ++i) {
        if (header_[i] != name) continue;
        if (occurrence-- > 0) continue;
        return i < rows_[row].size() ? std::string_view(rows_[row][i]) : std::string_view();
    }
    return {};
}

std::optional<std::int64_t> ParseActivityDate(std::string_view text) {
    // Words and numbers, whatever blanks (a narrow no-break space before "AM" too) and commas
    // stand between them.
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
        const bool blank = c == ' ' || c == ',' || c == '\t' || c >= 0x80;
        if (!blank && c != ':') {
            part += static_cast<char>(c);
            continue;
        }
        if (!part.empty()) parts.push_back(AsciiLower(part));
        part.clear();
    }
    if (parts.size() != 6 && parts.size() != 7) {
        // The same moment written the ISO way ("2025-07-01 06:30:00").
        std::string iso(text);
        if (const auto space = iso.find(' '); space != std::string::npos) iso[space] = 'T';
        if (const auto t = ParseIsoTime(iso)) return static_cast<std::int64_t>(std::floor(*t));
        return std::nullopt;
    }
    diary::Date date;
    date.month = 0;
    for (int m = 0; m < 12; ++m) {
        if (parts[0].compare(0, 3, kMonths[m]) == 0 && parts[0].size() >= 3) date.month = m + 1;
    }
    int hour = 0, minute = 0, second = 0;
    if (date.month == 0 || !Digits(parts[1], date.day) || !Digits(parts[2], date.year) ||
        !Digits(parts[3], hour) || !Digits(parts[4], minute) || !Digits(parts[5], second) ||
        !diary::IsValidDate(date) || minute > 59 || second > 60) {
        return std::nullopt;
    }
    if (parts.size() == 7) {
        if (hour < 1 || hour > 12 || (parts[6] != "am" && parts[6] != "pm")) return std::nullopt;
        hour = hour % 12 + (parts[6] == "pm" ? 12 : 0);
    } else if (hour > 23) {
        return std::nullopt;
    }
    // DayNumber counts from 30.12.1899; 25569 days later is 1.1.1970.
    const auto days = static_cast<std::int64_t>(diary::DayNumber(date)) - 25569;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

bool IsCyclingType(std::string_view type) {
    const std::string t = AsciiLower(type);
    return t.empty() || Has(t, "ride") || Has(t, "cycl") || Has(t, "bik") || Has(t, "velomobile") ||
           Has(t, "kol");
}

std::vector<ImportCandidate> ReadExport(const std::vector<std::string>& paths,
                                        const ReadControl& control, const ArchiveLimits& limits) {
    return Collect([&](ArchiveReader& reader) { reader.ReadPaths(paths); }, control, limits);
}

std::vector<ImportCandidate> ReadExportBytes(const std::string& name, std::string_view bytes,
                                             const ArchiveLimits& limits) {
    return Collect([&](ArchiveReader& reader) { reader.ReadBytes(name, bytes); }, {}, limits);
}

void MarkDuplicates(std::vector<ImportCandidate>& candidates,
                    const std::vector<diary::RecordRow>& rows,
                    const diary::RegionalSettings& regional) {
    std::multimap<double, Known> byDay;
    for (const diary::RecordRow& row : rows) {
        const auto day = diary::ReadDateDays(regional, row.Get(diary::Field::Date));
        if (!day) continue;
        const auto km = diary::ParseCommaNumber(row.Get(diary::Field::DistanceKm));
        byDay.emplace(*day, Known{km.value_or(std::nan("")),
                                  diary::RideTimeMinutesOrNaN(row.Get(diary::Field::RideTime))});
    }
    for (ImportCandidate& c : candidates) {
        if (c.status != ImportStatus::New || !c.ride.startUtc) continue;
        const auto date = LocalDate(*c.ride.startUtc);
        if (!date) continue;
        const double day = diary::DayNumber(*date);
        // As the diary keeps it: kilometres to one decimal, whole minutes.
        const Known mine{
            std::round(c.ride.distanceMetres / 100) / 10,
            c.ride.movingSeconds ? std::round(*c.ride.movingSeconds / 60) : std::nan("")};
        const auto [from, to] = byDay.equal_range(day);
        if (std::any_of(from, to, [&](const auto& known) { return Matches(known.second, mine); })) {
            c.status = ImportStatus::Duplicate;
            continue;
        }
        byDay.emplace(day, mine);
    }
}

std::vector<diary::DiaryRecord> ImportRecords(const std::vector<const ImportCandidate*>& chosen,
                                              const diary::RegionalSettings& regional) {
    std::vector<const ImportCandidate*> ordered = chosen;
    std::stable_sort(
        ordered.begin(), ordered.end(), [](const ImportCandidate* a, const ImportCandidate* b) {
            return a->ride.startUtc.value_or(INT64_MAX) < b->ride.startUtc.value_or(INT64_MAX);
        });
    std::vector<diary::DiaryRecord> records;
    records.reserve(ordered.size());
    for (const ImportCandidate* c : ordered) {
        diary::DiaryRecord record = RideFields(c->ride, regional);
        for (int i = 0; i < diary::kFieldCount; ++i) {
            std::string& field = record[static_cast<diary::Field>(i)];
            field = Clean(std::move(field));
        }
        std::string bike = Clean(diary::Utf8ToCp1250(c->bike));
        const auto first = bike.find_first_not_of(" \"");
        bike = first == std::string::npos
                   ? std::string()
                   : bike.substr(first, bike.find_last_not_of(" \"") - first + 1);
        try {
            if (!bike.empty()) diary::CheckBikeName(bike);
        } catch (const std::exception&) {
            bike.clear();
        }
        record[diary::Field::Bike] = std::move(bike);
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace tracks
