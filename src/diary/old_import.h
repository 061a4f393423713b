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

// The path with its ".dat" (any case) replaced by ".vam"; without ".dat", ".vam" is appended.
std::string ImportTargetPath(std::string_view sourcePath);

// Reads the whole old diary (lines of any length; CRLF, LF or CR; a line without a single "*",
// an empty one among them, gives no record) and returns its records numbered 1..n. Throws
// ReadError when the file is missing or cannot be read.
std::vector<DiaryRecord> ReadOldDiary(const std::string& path);

}  // namespace diary
