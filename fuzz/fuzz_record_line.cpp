// Record lines: the compact row must split exactly as ParseRecordLine does, and a record that
// can be written comes back unchanged from its line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/errors.h"
#include "diary/record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const diary::DiaryRecord parsed = diary::ParseRecordLine("7\xA7" + line);
    const diary::RecordRow row = diary::RecordRow::FromLine("7", line);
    if (!(row.ToRecord() == parsed)) __builtin_trap();
    for (int c = 0; c < diary::kColumnCount; ++c) (void)row.Column(c);
    try {
        diary::CheckRecordFields(parsed);
        const diary::DiaryRecord back =
            diary::ParseRecordLine("7\xA7" + diary::FormatRecordLine(parsed));
        if (!(back == parsed)) __builtin_trap();
    } catch (const diary::InvalidValueError&) {
    }
    return 0;
}
