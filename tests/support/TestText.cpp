#include "TestText.h"

#include "diary/record.h"

namespace testsupport {

std::string L(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8.substr(i, 2) == "§") {
            out += diary::kSeparator;
            ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

}  // namespace testsupport
