#include "diary/diary_transaction.h"

#include <charconv>
#include <optional>
#include <utility>

#include "diary/backup.h"
#include "diary/diary_file.h"
#include "diary/errors.h"
#include "diary/field_text.h"
#include "diary/locked_change.h"
#include "diary/profile.h"

namespace diary {
namespace {

// Hands the diary's bytes under its lock to `change`, which fills in the result and returns true
// when it changed them.
template <typename Change>
ChangeResult Transact(const std::string& path, std::chrono::milliseconds timeout,
                      const std::shared_ptr<const std::string>& known, const DailyBackup* backup,
                      Change change) {
    ChangeResult result;
    std::string bytes = ChangeUnderLock(path, LockedFile::Diary, timeout, [&](std::string& found) {
        result.followsKnown = known && *known == found;
        if (backup != nullptr) {
            try {
                (void)KeepDailyBackupOf(found, path, backup->folder, backup->today);
            } catch (const WriteError&) {
                result.backupFailure = std::current_exception();
            }
        }
        return change(found, result);
    });
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

void CheckRideWritable(const DiaryRecord& record) {
    CheckRecordFields(record);
    CheckProfileValue(FormatRecordLine(record));
}

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
            return "Údaj č. " + PlainNumberText(number) + " mezitím změnil jiný program." + shown;
        case ChangeStatus::Gone:
            return "Údaj č. " + PlainNumberText(number) +
                   " už v deníku není, mezitím ho smazal jiný program." + shown;
    }
    return {};
}

ChangeResult AddRecord(const std::string& path, const DiaryRecord& record,
                       std::chrono::milliseconds timeout,
                       const std::shared_ptr<const std::string>& known, const DailyBackup* backup) {
    return AddRecords(path, {record}, timeout, known, backup);
}

ChangeResult AddRecords(const std::string& path, const std::vector<DiaryRecord>& records,
                        std::chrono::milliseconds timeout,
                        const std::shared_ptr<const std::string>& known,
                        const DailyBackup* backup) {
    for (const DiaryRecord& record : records) CheckRideWritable(record);
    return Transact(path, timeout, known, backup, [&](std::string& bytes, ChangeResult& result) {
        result.number = AppendRecords(bytes, records);
        return !records.empty();
    });
}

ChangeResult EditRecord(const std::string& path, const RecordRow& expected,
                        const DiaryRecord& record, std::chrono::milliseconds timeout,
                        const std::shared_ptr<const std::string>& known,
                        const DailyBackup* backup) {
    CheckRideWritable(record);
    return Transact(path, timeout, known, backup, [&](std::string& bytes, ChangeResult& result) {
        const std::optional<ProfileLine> line = StillThere(bytes, expected, result);
        // Replaced where it was found: a second search for the key would cost as much again.
        if (line) ReplaceKeyLine(bytes, *line, FormatRecordLine(record));
        return line.has_value();
    });
}

ChangeResult DeleteRecord(const std::string& path, const RecordRow& expected,
                          std::chrono::milliseconds timeout,
                          const std::shared_ptr<const std::string>& known,
                          const DailyBackup* backup) {
    return Transact(path, timeout, known, backup, [&](std::string& bytes, ChangeResult& result) {
        if (!StillThere(bytes, expected, result)) return false;
        bytes = std::move(WithoutRecord(bytes, expected.Number()).value());
        return true;
    });
}

}  // namespace diary
