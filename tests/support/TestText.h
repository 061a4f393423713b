#pragma once
// Test texts are written with a UTF-8 "§"; diary files hold the code page 1250 byte 0xA7.

#include <string>
#include <string_view>

namespace testsupport {

// `utf8` with every "§" replaced by the separator byte 0xA7, every other byte kept.
std::string L(std::string_view utf8);

}  // namespace testsupport

#include "diary/record.h"

namespace testsupport {

// The record commands as the program runs them (diary_transaction.h): `record` added when the
// diary has no ride `number` (it takes the next free number), else the ride under `number`
// replaced as it stands in the file now.
void WriteRide(const std::string& path, const std::string& number,
               const diary::DiaryRecord& record);
// The ride under `number` deleted as it stands now, the later ones moved down; none: nothing.
void DeleteRide(const std::string& path, const std::string& number);

}  // namespace testsupport
