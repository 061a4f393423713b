#pragma once
// Test texts are written with a UTF-8 "§"; diary files hold the code page 1250 byte 0xA7.

#include <string>
#include <string_view>

namespace testsupport {

// `utf8` with every "§" replaced by the separator byte 0xA7, every other byte kept.
std::string L(std::string_view utf8);

}  // namespace testsupport
