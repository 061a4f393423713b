#include "diary/diary_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "diary/atomic_file.h"
#include "diary/errors.h"
#include "diary/profile.h"

namespace diary {
namespace {

// The program reads and saves whole diaries under "Data" and writes single records under
// "data"; the names match either way, the spelling only shows when a section is added.
constexpr std::string_view kReadSection = "Data";
constexpr std::string_view kRecordSection = "data";

struct NumberText {
    char buf[24];
    std::size_t size;
    explicit NumberText(std::uint64_t n) {
        size = static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, n).ptr - buf);
    }
    std::string_view view() const { return {buf, size}; }
};

// Appends "<n>=<line>\r\n" for every record, refusing a field or line that would not read back.
template <typename Record, typename GetField>
std::string BuildKeyLines(const std::vector<Record>& records, GetField field) {
    std::size_t size = 0;
    for (const Record& r : records) {
        size += 24 + kAllFieldCount;
        for (int i = 0; i < kAllFieldCount; ++i) size += field(r, i).size();
    }
    std::string out;
    out.reserve(size);
    std::uint64_t n = 0;
    for (const Record& r : records) {
        out.append(NumberText(++n).view());
        out += '=';
        const std::size_t valueStart = out.size();
        for (int i = 0; i < kFieldCount; ++i) {
            out.append(field(r, i));
            out += kSeparator;
        }
        // As FormatRecordLine: the bike only when there is one.
        if (const std::string_view bike = field(r, kFieldCount); !bike.empty()) {
            out.append(bike);
            out += kSeparator;
        }
        CheckProfileValue(std::string_view(out).substr(valueStart));
        out += "\r\n";
    }
    return out;
}

void SaveKeyLines(const std::string& path, std::string_view keyLines) {
    Profile profile = Profile::Load(path);
    profile.ReplaceSectionLines(kReadSection, kReadSection, keyLines);
    profile.Save(path);
}

}  // namespace

std::vector<RecordRow> ReadDiaryRows(const std::string& path) {
    std::vector<RecordRow> rows;
    auto file = ReadWholeFile(path);
    if (!file) return rows;
    // The rows read their texts where they lie in the file's bytes, which they keep between
    // them: one buffer for the whole diary instead of one per ride.
    const auto bytes = std::make_shared<const std::string>(std::move(*file));
    // Room for a ride every 48 bytes, more than any diary needs: pages reserved but never
    // used cost nothing, while growing would copy the rows and touch fresh pages each time.
    rows.reserve(bytes->size() / 48 + 16);
    ForEachNumberedEntry(*bytes, kReadSection, [&](const Profile::Entry& e) {
        rows.push_back(RecordRow::FromShared(bytes, e.key, e.value));
    });
    return rows;
}

std::vector<DiaryRecord> ReadDiary(const std::string& path) {
    std::vector<DiaryRecord> records;
    for (const RecordRow& row : ReadDiaryRows(path)) records.push_back(row.ToRecord());
    return records;
}

void WriteRecord(const std::string& path, std::string_view number, const DiaryRecord& record) {
    CheckRecordFields(record);
    const std::string line = FormatRecordLine(record);
    CheckProfileKey(number);
    CheckProfileValue(line);
    Profile profile = Profile::Load(path);
    profile.Set(kRecordSection, number, line);
    profile.Save(path);
}

void DeleteRecordKey(const std::string& path, std::string_view number) {
    Profile profile = Profile::Load(path);
    if (profile.RemoveKey(kRecordSection, number)) profile.Save(path);
}

void DeleteRecordAndRenumber(const std::string& path, std::string_view number) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) return;
    std::vector<ProfileLine> shadowed;
    const std::vector<ProfileLine> run = NumberedKeyLines(*bytes, kReadSection, &shadowed);

    std::uint64_t k = 0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), k);
    if (parsed.ec != std::errc() || parsed.ptr != number.data() + number.size() || k == 0 ||
        k > run.size() || NumberText(k).view() != number) {
        return;  // not a record of this diary: nothing to delete
    }

    // Edits in file order: cut a line, or put a new number in place of a key.
    struct Edit {
        std::size_t begin;
        std::size_t end;
        std::uint64_t newNumber;  // 0: cut
    };
    std::vector<Edit> edits;
    edits.reserve(run.size() - k + 1 + shadowed.size());
    edits.push_back({run[k - 1].begin, run[k - 1].next, 0});
    // Later copies of the run's keys are unreachable now but would shadow the lines renumbered
    // onto their keys, so they go with the record.
    for (const ProfileLine& line : shadowed) edits.push_back({line.begin, line.next, 0});
    for (std::size_t j = k; j < run.size(); ++j) {
        const auto keyAt = static_cast<std::size_t>(run[j].name.data() - bytes->data());
        edits.push_back({keyAt, keyAt + run[j].name.size(), j});
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.begin < b.begin; });

    std::string out;
    out.reserve(bytes->size());
    std::size_t pos = 0;
    for (const Edit& e : edits) {
        out.append(*bytes, pos, e.begin - pos);
        if (e.newNumber != 0) out.append(NumberText(e.newNumber).view());
        pos = e.end;
    }
    out.append(*bytes, pos, std::string::npos);
    AtomicWriteFile(path, out);
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
        for (int i = 0; i < kAllFieldCount; ++i) CheckRecordField(row.Get(static_cast<Field>(i)));
    }
    const std::string keyLines =
        BuildKeyLines(rows, [](const RecordRow& r, int i) { return r.Get(static_cast<Field>(i)); });
    SaveKeyLines(path, keyLines);
}

}  // namespace diary
