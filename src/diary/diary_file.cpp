#include "diary/diary_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "diary/atomic_file.h"
#include "diary/errors.h"
#include "diary/locked_change.h"
#include "diary/profile.h"

namespace diary {
namespace {

// The program reads and saves whole diaries under "Data" and writes single records under
// "data"; the names match either way, the spelling only shows when a section is added.
constexpr std::string_view kReadSection = "Data";
constexpr std::string_view kRecordSection = "data";

struct NumberDigits {
    char buf[24];
    std::size_t size;
    explicit NumberDigits(std::uint64_t n) {
        size = static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, n).ptr - buf);
    }
    std::string_view view() const { return {buf, size}; }
};

// Appends "<n>=<line>\r\n" for every record, refusing a field or line that would not read back.
template <typename Record, typename GetField>
std::string BuildKeyLines(const std::vector<Record>& records, GetField field) {
    std::size_t size = 0;
    for (const Record& r : records) {
        size += 24 + kFieldCount;
        for (int i = 0; i < kFieldCount; ++i) size += field(r, i).size();
    }
    std::string out;
    out.reserve(size);
    std::uint64_t n = 0;
    for (const Record& r : records) {
        out.append(NumberDigits(++n).view());
        out += '=';
        const std::size_t valueStart = out.size();
        // As FormatRecordLine: an optional field only when it or a later one is set.
        const int written = WrittenFieldCount([&](int i) { return field(r, i); });
        for (int i = 0; i < written; ++i) {
            out.append(field(r, i));
            out += kSeparator;
        }
        CheckProfileValue(std::string_view(out).substr(valueStart));
        out += "\r\n";
    }
    return out;
}

void SaveKeyLines(const std::string& path, std::string_view keyLines) {
    (void)ChangeUnderLock(path, LockedFile::Diary, kLockTimeout, [&](std::string& bytes) {
        Profile profile(std::move(bytes));
        profile.ReplaceSectionLines(kReadSection, kReadSection, keyLines);
        bytes = std::move(profile).TakeBytes();
        return true;
    });
}

}  // namespace

std::vector<RecordRow> DiaryRows(std::shared_ptr<const std::string> bytes) {
    std::vector<RecordRow> rows;
    // Room for a ride every 48 bytes, more than any diary needs: pages reserved but never
    // used cost nothing, while growing would copy the rows and touch fresh pages each time.
    rows.reserve(bytes->size() / 48 + 16);
    ForEachNumberedEntry(*bytes, kReadSection, [&](const Profile::Entry& e) {
        rows.push_back(RecordRow::FromShared(bytes, e.key, e.value));
    });
    return rows;
}

std::vector<RecordRow> ReadDiaryRows(const std::string& path) {
    auto file = ReadWholeFile(path);
    if (!file) return {};
    // The rows read their texts where they lie in the file's bytes, which they keep between
    // them: one buffer for the whole diary instead of one per ride.
    return DiaryRows(std::make_shared<const std::string>(std::move(*file)));
}

bool HasRideSection(std::string_view bytes) {
    ProfileScanner scanner(bytes);
    for (ProfileLine line; scanner.Next(line);) {
        if (line.kind == ProfileLine::Kind::Section && EqualsNoCase(line.name, kReadSection))
            return true;
    }
    return false;
}

std::optional<ProfileLine> RecordLineAt(std::string_view bytes, std::string_view number) {
    const std::optional<std::uint64_t> k = NumberOfKey(number);
    if (!k) return std::nullopt;
    return NumberedKeyLine(bytes, kReadSection, *k);
}

std::uint64_t AppendRecords(std::string& bytes, const std::vector<DiaryRecord>& records) {
    std::vector<std::string> lines;
    lines.reserve(records.size());
    for (const DiaryRecord& record : records) {
        CheckRecordFields(record);
        lines.push_back(FormatRecordLine(record));
    }
    Profile profile(std::move(bytes));
    const std::uint64_t first = profile.AppendToRun(kRecordSection, lines);
    bytes = std::move(profile).TakeBytes();
    return first;
}

std::string WithRideLines(std::string_view bytes, const std::vector<std::string_view>& lines) {
    // A line as the readers give it is trimmed and holds no line break; only one that still has
    // a pair of outer quotes (it had two) would read back otherwise.
    for (std::string_view line : lines) {
        if (line.size() >= 2 && (line.front() == '"' || line.front() == '\''))
            CheckProfileValue(line);
    }
    return WithSectionLines(bytes, kReadSection, kReadSection, [&](std::string& out) {
        std::uint64_t n = 0;
        for (std::string_view line : lines) {
            out.append(NumberDigits(++n).view());
            out += '=';
            out.append(line);
            out += "\r\n";
        }
    });
}

std::vector<DiaryRecord> ReadDiary(const std::string& path) {
    std::vector<DiaryRecord> records;
    for (const RecordRow& row : ReadDiaryRows(path)) records.push_back(row.ToRecord());
    return records;
}

std::optional<std::string> WithoutRecord(std::string_view bytes, std::string_view number) {
    const std::optional<std::uint64_t> k = NumberOfKey(number);
    if (!k) return std::nullopt;
    return WithoutNumberedKey(bytes, kReadSection, *k);
}

void SaveDiary(const std::string& path, const std::vector<DiaryRecord>& records) {
    for (const DiaryRecord& r : records) CheckRecordFields(r);
    const std::string keyLines = BuildKeyLines(
        records,
        [](const DiaryRecord& r, int i) -> std::string_view { return r[static_cast<Field>(i)]; });
    SaveKeyLines(path, keyLines);
}

void SaveDiary(const std::string& path, const std::vector<RecordRow>& rows) {
    for (const RecordRow& row : rows) {
        for (int i = 0; i < kFieldCount; ++i) CheckRecordField(row.Get(static_cast<Field>(i)));
    }
    const std::string keyLines =
        BuildKeyLines(rows, [](const RecordRow& r, int i) { return r.Get(static_cast<Field>(i)); });
    SaveKeyLines(path, keyLines);
}

}  // namespace diary
