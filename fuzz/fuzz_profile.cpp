// The profile reader and writer: any bytes parse, every query answers, and a value written
// reads back while every other key keeps its answer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "diary/errors.h"
#include "diary/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    diary::Profile profile(bytes);
    if (profile.Bytes() != bytes) __builtin_trap();
    const auto before = profile.Find("Data", "1");
    const std::string kept = before ? std::string(*before) : std::string("\x01missing");
    (void)profile.Entries("data");
    (void)diary::NumberedKeyLines(bytes, "Data");
    (void)profile.Find("soubor", "file");
    try {
        profile.Set("Data", "2",
                    "a\xA7"
                    "b\xA7");
        const auto after = profile.Find("data", "2");
        if (!after || *after !=
                          "a\xA7"
                          "b\xA7")
            __builtin_trap();
        const auto one = profile.Find("Data", "1");
        const std::string again = one ? std::string(*one) : std::string("\x01missing");
        if (again != kept) __builtin_trap();
        if (!profile.RemoveKey("Data", "2")) __builtin_trap();
        (void)profile.RemoveSection("odkud");
        diary::Profile reread(profile.Bytes());
        (void)reread.Find("Data", "1");
    } catch (const diary::InvalidValueError&) {
    }
    return 0;
}
