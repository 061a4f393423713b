#pragma once
// The record commands' changes of a diary, each one transaction under the diary's lock: read
// the file, check the change against it, change, save atomically, let go. A change is checked
// against the file, not against the list it was made in, so that another program's change made
// since the list was read is never overwritten, lost or hidden.

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "diary/file_lock.h"
#include "diary/record.h"
#include "diary/regional.h"

namespace diary {

enum class ChangeStatus {
    Applied,
    // The record's number holds another ride now: it was edited, or rides before it were
    // deleted and it moved. Nothing was written.
    Changed,
    // The diary has no record of that number any more. Nothing was written.
    Gone,
};

// What a record command did: applied, or refused because the file no longer holds the ride the
// user chose. The one answer of every checked change of a diary.
struct ChangeResult {
    ChangeStatus status = ChangeStatus::Applied;
    // The number the record has in the file: the new ride's for AddRecord, the addressed one's
    // for EditRecord and DeleteRecord.
    std::uint64_t number = 0;
    // The diary's bytes as they are after the call: with the change when it was applied, as
    // found otherwise. Shared with the rows that Rows() makes.
    std::shared_ptr<const std::string> bytes;
    // The file held exactly the caller's `known` bytes when the lock was taken: the change is
    // the only difference, so a list of those bytes needs only that one ride changed.
    bool followsKnown = false;
    // The day's backup could not be kept (a WriteError); the change went ahead all the same.
    std::exception_ptr backupFailure;

    bool applied() const { return status == ChangeStatus::Applied; }
    // The diary's rows as they are after the call, without reading the file again: what the
    // list shows next, whether the change was applied or refused.
    std::vector<RecordRow> Rows() const;
    // Why nothing was changed, in Czech for the user; empty when the change was applied.
    std::string Message() const;
};

// Refuses with InvalidValueError (its message Czech, for the user) a ride that the diary file
// could not hold as typed: "§", CR, LF or NUL in a field, a bike's name that would not be found
// again, a line the profile reader would read back otherwise. The entry dialog asks it before
// it saves; every change below asks it again before the diary is even locked.
void CheckRideWritable(const DiaryRecord& record);

// Where a change keeps the day's backup: the day's first change keeps the diary as it read it,
// under the same lock, whether the change is then applied or refused.
struct DailyBackup {
    std::string folder;
    Date today;
};

// Each change takes `known`, the bytes the caller's list was read from (null: none), only to
// tell in the result whether the file still held them, and `backup`, where to keep the day's
// backup (null: none).

// Adds `record` under the diary's first free number (the length of its run 1..n plus one),
// whatever the caller's list holds; its own number is ignored. A missing file is created.
[[nodiscard]] ChangeResult AddRecord(const std::string& path, const DiaryRecord& record,
                                     std::chrono::milliseconds timeout = kLockTimeout,
                                     const std::shared_ptr<const std::string>& known = nullptr,
                                     const DailyBackup* backup = nullptr);

// Adds `records` in their order under the diary's next free numbers, in one save: an import
// of many rides keeps one backup and writes the file once. `number` of the result is the first
// new ride's. Every record is checked before the diary is locked.
[[nodiscard]] ChangeResult AddRecords(const std::string& path,
                                      const std::vector<DiaryRecord>& records,
                                      std::chrono::milliseconds timeout = kLockTimeout,
                                      const std::shared_ptr<const std::string>& known = nullptr,
                                      const DailyBackup* backup = nullptr);

// Replaces record `expected.Number()` by `record` (whose own number is ignored) only when the
// file still holds exactly the ride `expected` was read as; otherwise writes nothing and says
// why.
[[nodiscard]] ChangeResult EditRecord(const std::string& path, const RecordRow& expected,
                                      const DiaryRecord& record,
                                      std::chrono::milliseconds timeout = kLockTimeout,
                                      const std::shared_ptr<const std::string>& known = nullptr,
                                      const DailyBackup* backup = nullptr);

// Deletes record `expected.Number()` and moves the records after it down by one, only when the
// file still holds exactly the ride `expected` was read as; otherwise writes nothing.
[[nodiscard]] ChangeResult DeleteRecord(const std::string& path, const RecordRow& expected,
                                        std::chrono::milliseconds timeout = kLockTimeout,
                                        const std::shared_ptr<const std::string>& known = nullptr,
                                        const DailyBackup* backup = nullptr);

// Every one of them refuses a field that would corrupt the line with InvalidValueError before
// anything is read, throws BusyError when another instance holds the diary too long, ReadError
// when the file cannot be read and WriteError when it cannot be saved; in each case the file is
// as it was.

}  // namespace diary
