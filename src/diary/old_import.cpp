#include "diary/old_import.h"

#include <charconv>

#include "diary/atomic_file.h"
#include "diary/errors.h"
#include "diary/profile.h"

namespace diary {

namespace {

constexpr std::array<Field, 9> kOldFieldTargets = {
    Field::Date,      Field::From,       Field::To,       Field::Via,      Field::DepartureKm,
    Field::ArrivalKm, Field::DistanceKm, Field::AvgSpeed, Field::MaxSpeed,
};

// The old format kept no ride time.
constexpr std::string_view kUnknownRideTime = "?";

}  // namespace

std::array<std::string, 10> SplitOldLine(std::string_view line) {
    std::array<std::string, 10> fields;
    std::size_t next = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size() && next < fields.size(); ++i) {
        if (line[i] == '=') {
            start = i + 1;
        } else if (line[i] == '*') {
            fields[next++] = std::string(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

DiaryRecord OldLineToRecord(std::string_view line) {
    const std::array<std::string, 10> old = SplitOldLine(line);
    DiaryRecord record;
    for (std::size_t i = 0; i < kOldFieldTargets.size(); ++i) record[kOldFieldTargets[i]] = old[i];
    // Moved in rather than assigned from a literal: g++ 12 at -O3 warns falsely on the latter.
    record[Field::RideTime] = std::string(kUnknownRideTime);
    record[Field::Note] = old[9];
    return record;
}

std::string ImportTargetPath(std::string_view sourcePath) {
    constexpr std::string_view kOld = ".dat";
    std::string target(sourcePath);
    if (target.size() >= kOld.size() &&
        EqualsNoCase(std::string_view(target).substr(target.size() - kOld.size()), kOld))
        target.resize(target.size() - kOld.size());
    target += ".vam";
    return target;
}

std::vector<DiaryRecord> ReadOldDiary(const std::string& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) throw ReadError(path, "File not found: " + path);

    std::vector<DiaryRecord> records;
    const std::string_view text = *bytes;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(begin, end - begin);
        // A line without a single "*" holds no field (an empty line, a DOS end-of-file mark);
        // skipping it keeps the record numbers contiguous and the diary free of empty rides.
        if (line.find('*') != std::string_view::npos) {
            DiaryRecord record = OldLineToRecord(line);
            std::array<char, 24> buf{};
            auto r = std::to_chars(buf.data(), buf.data() + buf.size(), records.size() + 1);
            record.number.assign(buf.data(), r.ptr);
            records.push_back(std::move(record));
        }
        begin = end + 1;
        if (end < text.size() && text[end] == '\r' && begin < text.size() && text[begin] == '\n')
            ++begin;
    }
    return records;
}

}  // namespace diary
