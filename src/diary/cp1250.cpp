#include "diary/cp1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace diary {
namespace {

// Bytes 0x80..0xFF. The five holes of the code page (0x81, 0x83, 0x88, 0x90, 0x98) stand for
// the C1 control of the same number, as Windows' own MultiByteToWideChar gives them, so that a
// file holding them still comes back byte for byte.
constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
// clang-format on

struct Reverse {
    char16_t unit;
    unsigned char byte;
};

// The table above sorted by character, for the way back.
constexpr std::array<Reverse, 128> MakeReverse() {
    std::array<Reverse, 128> r{};
    for (std::size_t i = 0; i < 128; ++i) {
        r[i] = {kHigh[i], static_cast<unsigned char>(0x80 + i)};
    }
    // Insertion sort: std::sort is not constexpr in C++20 on every library we build with.
    for (std::size_t i = 1; i < r.size(); ++i) {
        for (std::size_t j = i; j > 0 && r[j - 1].unit > r[j].unit; --j) {
            std::swap(r[j - 1], r[j]);
        }
    }
    return r;
}
constexpr std::array<Reverse, 128> kReverse = MakeReverse();

std::optional<unsigned char> ToByte(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    if (c > 0xFFFF) return std::nullopt;
    const auto unit = static_cast<char16_t>(c);
    auto it = std::lower_bound(kReverse.begin(), kReverse.end(), unit,
                               [](const Reverse& r, char16_t u) { return r.unit < u; });
    if (it == kReverse.end() || it->unit != unit) return std::nullopt;
    return it->byte;
}

char16_t ToUnit(unsigned char b) { return b < 0x80 ? char16_t{b} : kHigh[b - 0x80]; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One character of `s` from `i` on; an ill-formed sequence (overlong, surrogate, cut short,
// beyond U+10FFFF) gives nullopt and a step of one byte, so every input ends.
std::optional<char32_t> DecodeUtf8(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    ++i;
    if (lead < 0x80) return lead;
    int extra;
    char32_t c;
    char32_t min;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    if (s.size() - i < static_cast<std::size_t>(extra)) return std::nullopt;
    for (int k = 0; k < extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    i += static_cast<std::size_t>(extra);
    return c;
}

}  // namespace

std::u16string Cp1250ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out[i] = ToUnit(static_cast<unsigned char>(bytes[i]));
    }
    return out;
}

std::optional<std::string> Utf16ToCp1250(std::u16string_view text) {
    std::string out;
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto b = ToByte(text[i]);
        if (!b) return std::nullopt;
        out[i] = static_cast<char>(*b);
    }
    return out;
}

bool IsCp1250Representable(char16_t c) { return ToByte(c).has_value(); }

std::string Utf8ToCp1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto c = DecodeUtf8(utf8, i);
        auto b = c ? ToByte(*c) : std::nullopt;
        out += b ? static_cast<char>(*b) : '?';
    }
    return out;
}

std::string Cp1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char b : bytes) AppendUtf8(out, ToUnit(static_cast<unsigned char>(b)));
    return out;
}

}  // namespace diary
