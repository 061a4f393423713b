#include "diary/diary_transaction.h"

#include <charconv>
#include <optional>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/diary_file.h"
#include "diary/profile.h"

namespace diary {
namespace {

std::string NumberText(std::uint64_t n) {
    char buf[24];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

// A record that could not be written is refused before the diary is even locked.
void CheckWritable(const DiaryRecord& record) {
    CheckRecordFields(record);
    CheckProfileValue(FormatRecordLine(record));
}

// Locks the diary, reads it and hands its bytes to `change`, which fills in the result and, when
// it changes the bytes, returns true: they are saved before the lock is let go.
template <typename Change>
ChangeResult Transact(const std::string& path, std::chrono::milliseconds timeout, Change change) {
    const FileLock lock(path, LockedFile::Diary, timeout);
    std::string bytes = ReadWholeFile(path).value_or(std::string());
    ChangeResult result;
    if (change(bytes, result)) AtomicWriteFile(path, bytes);
    result.bytes = std::make_shared<const std::string>(std::move(bytes));
    return result;
}

// The key line of the record `expected` was read as, while it is still the one under its
// number; when not, the result says why.
std::optional<ProfileLine> StillThere(std::string_view bytes, const RecordRow& expected,
                                      ChangeResult& result) {
    result.number = NumberOfKey(expected.Number()).value_or(0);
    const std::optional<ProfileLine> line = RecordLineAt(bytes, expected.Number());
    if (!line) {
        result.status = ChangeStatus::Gone;
    } else if (!(RecordRow::FromLine(line->name, line->value) == expected)) {
        result.status = ChangeStatus::Changed;
        return std::nullopt;
    }
    return line;
}

}  // namespace

std::vector<RecordRow> ChangeResult::Rows() const {
    if (!bytes) return {};
    return DiaryRows(bytes);
}

std::string ChangeResult::Message() const {
    const std::string shown = " Nic nebylo změněno; seznam teď ukazuje deník tak, jak je uložen.";
    switch (status) {
        case ChangeStatus::Applied:
            break;
        case ChangeStatus::Changed:
            return "Údaj č. " + NumberText(number) + " mezitím změnil jiný program." + shown;
        case ChangeStatus::Gone:
            return "Údaj č. " + NumberText(number) +
                   " už v deníku není, mezitím ho smazal jiný program." + shown;
    }
    return {};
}

ChangeResult AddRecord(const std::string& path, const DiaryRecord& record,
                       std::chrono::milliseconds timeout) {
    CheckWritable(record);
    return Transact(path, timeout, [&](std::string& bytes, ChangeResult& result) {
        result.number = RecordCount(bytes) + 1;
        bytes = WithRecord(std::move(bytes), NumberText(result.number), record);
        return true;
    });
}

ChangeResult EditRecord(const std::string& path, const RecordRow& expected,
                        const DiaryRecord& record, std::chrono::milliseconds timeout) {
    CheckWritable(record);
    return Transact(path, timeout, [&](std::string& bytes, ChangeResult& result) {
        const std::optional<ProfileLine> line = StillThere(bytes, expected, result);
        // Replaced where it was found: a second search for the key would cost as much again.
        if (line) ReplaceKeyLine(bytes, *line, FormatRecordLine(record));
        return line.has_value();
    });
}

ChangeResult DeleteRecord(const std::string& path, const RecordRow& expected,
                          std::chrono::milliseconds timeout) {
    return Transact(path, timeout, [&](std::string& bytes, ChangeResult& result) {
        if (!StillThere(bytes, expected, result)) return false;
        bytes = std::move(WithoutRecord(bytes, expected.Number()).value());
        return true;
    });
}

}  // namespace diary
