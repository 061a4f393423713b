#pragma once
// Diary files: a profile file whose section "Data" holds keys 1..n, each a record line.
// Every function reads the file anew and lets it go; every change is one atomic replace, made
// under the diary's lock (file_lock.h): it waits for another instance's change to end and throws
// BusyError when that takes too long. The changes that check the file against what the user saw
// first are in diary_transaction.h.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/profile.h"
#include "diary/record.h"

namespace diary {

// The records of keys 1, 2, 3, ... of section "Data" up to the first missing key (a gap ends
// the diary), as the compact rows the lists and the search hold. A missing file gives no
// records; an unreadable one throws ReadError. A record line of any length is read whole; a
// line with fewer separators leaves its last fields empty.
std::vector<RecordRow> ReadDiaryRows(const std::string& path);
// The same records, each a DiaryRecord of its own. Kept for the benchmarks and tests.
std::vector<DiaryRecord> ReadDiary(const std::string& path);

// Writes the whole diary in one save: the "Data" section of `path` (created if missing) ends
// up holding exactly keys 1..n with `records` in their order (their own numbers are ignored);
// every other section and line of an existing file stays.
void SaveDiary(const std::string& path, const std::vector<DiaryRecord>& records);
void SaveDiary(const std::string& path, const std::vector<RecordRow>& rows);

// The same readings and changes on the bytes of a diary file, for a caller that reads and saves
// them itself under the lock.

// The rows of the diary `bytes` holds, reading their texts in place (the rows share the bytes).
std::vector<RecordRow> DiaryRows(std::shared_ptr<const std::string> bytes);
// Whether the bytes have a section of rides at all. A file that has bytes but none is no diary
// of this program (or an empty one made elsewhere): it reads as no rides, and the window says
// why its list is empty.
bool HasRideSection(std::string_view bytes);
// The key line of record `number`, where the readers find it; nullopt when it is no record of
// the diary.
std::optional<ProfileLine> RecordLineAt(std::string_view bytes, std::string_view number);
// `records` added to the bytes under the numbers after the diary's last, in one walk of the
// bytes; returns the first one's number. What AddRecords saves.
std::uint64_t AppendRecords(std::string& bytes, const std::vector<DiaryRecord>& records);
// The bytes with the rides' section holding exactly `lines` (record lines without their numbers,
// as the readers give them: trimmed, without line breaks) under keys 1..n, every other section
// and line kept. Throws InvalidValueError for a line the reader would read back otherwise.
std::string WithRideLines(std::string_view bytes, const std::vector<std::string_view>& lines);
// The bytes with record `number` cut out and the records after it moved down by one, as
// DeleteRecord saves them; nullopt when `number` is no record of the diary.
std::optional<std::string> WithoutRecord(std::string_view bytes, std::string_view number);

}  // namespace diary
