#pragma once
// Diaries of the previous generation: text lines of "*"-terminated fields.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

// The ten fields of an old line: a field ends at "*" and starts after the last "=" or "*"
// before it (labels before "=" are skipped); fields after the tenth are ignored, missing ones
// are empty.
std::array<std::string, 10> SplitOldLine(std::string_view line);

// The record of an old line: fields 1..9 into date..maxSpeed, "?" as ride time, field 10 as
// the note.
DiaryRecord OldLineToRecord(std::string_view line);

// "<path less its last four characters>.vam".
std::string ImportTargetPath(std::string_view sourcePath);

// Reads the whole old diary (lines of any length; CRLF, LF or CR; empty lines give no record)
// and returns its records numbered 1..n. Throws ReadError when the file cannot be read.
std::vector<DiaryRecord> ReadOldDiary(const std::string& path);

}  // namespace diary
