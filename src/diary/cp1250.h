#pragma once
// Code page 1250 against UTF-16, byte for byte reversible. The five bytes the code page leaves
// undefined map to U+0081, U+0083, U+0088, U+0090 and U+0098 so that every byte survives.

#include <optional>
#include <string>
#include <string_view>

namespace diary {

std::u16string Cp1250ToUtf16(std::string_view bytes);
// nullopt when a character has no code page 1250 byte.
std::optional<std::string> Utf16ToCp1250(std::u16string_view text);
bool IsCp1250Representable(char16_t c);

// UTF-8 literals of the program's own texts to code page 1250 (for messages and captions the
// core returns); characters outside the code page become '?'.
std::string Utf8ToCp1250(std::string_view utf8);
std::string Cp1250ToUtf8(std::string_view bytes);

}  // namespace diary
