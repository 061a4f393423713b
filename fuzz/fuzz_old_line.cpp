// Lines of the previous generation's diaries.
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/old_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const auto fields = diary::SplitOldLine(line);
    for (const auto& f : fields) {
        if (f.find('*') != std::string::npos) __builtin_trap();
    }
    const diary::DiaryRecord record = diary::OldLineToRecord(line);
    if (record[diary::Field::RideTime] != "?") __builtin_trap();
    (void)diary::ImportTargetPath(line);
    return 0;
}
