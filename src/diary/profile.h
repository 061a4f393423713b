#pragma once
// Profile (INI) files read the way the Windows profile functions read them, and edited so that
// every byte a change does not touch stays where it was.
//
// Reading: lines end in CRLF, LF or a lone CR; a line whose first non-blank character is ';'
// is a comment; a section name ends at the first ']' (trimmed; text after ']' ignored; a
// header without ']' runs to the end of the line); section and key names match without regard
// to ASCII case; keys and values are trimmed of spaces and tabs (values also of VT) and one
// matching pair of outer quotes (' or ") around a value is removed; the first of duplicate
// sections or keys wins; a line without '=' is no key. Values have no length limit.
//
// Writing: a changed key keeps its line's place; a new key goes right after the last key line
// of the first matching section (before trailing comments and blank lines); a new section goes
// at the end of the file (a CRLF is added first when the last line lacks one); written lines
// end in CRLF. A value holding CR, LF or NUL, or one whose edge blanks or outer quotes would
// not survive a read, is refused with InvalidValueError.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace diary {

class Profile {
public:
    Profile() = default;
    // Parses the bytes of a whole file once.
    explicit Profile(std::string bytes);

    // Loads `path`; a missing file gives an empty profile. Throws ReadError.
    static Profile Load(const std::string& path);

    // The value of `key` in the first section named `section`, or nullopt.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view fallback) const;

    // Every key line of the first section named `section`, in file order, duplicates included
    // (comments and lines without '=' left out).
    struct Entry {
        std::string_view key;
        std::string_view value;
    };
    std::vector<Entry> Entries(std::string_view section) const;

    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the first line of `key` in the first matching section; a missing key is no error.
    void Remove(std::string_view section, std::string_view key);
    // Removes the header and key lines of the first matching section; comment lines inside it
    // stay. A missing section is no error.
    void EraseSection(std::string_view section);
    // Replaces all key lines of the first matching section by `entries` (written as key=value
    // lines, CRLF), adding the section at the end when it is missing. Other lines of the
    // section (comments, blank lines) stay.
    void ReplaceSection(std::string_view section, std::string_view headerName,
                        const std::vector<std::pair<std::string, std::string>>& entries);

    // The file's bytes as they are now.
    std::string Bytes() const;

    // Saves with AtomicWriteFile. Throws WriteError.
    void Save(const std::string& path) const;

private:
    struct Line {
        std::string text;  // the line without its terminator
        std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    std::vector<Line> lines_;
};

// One read of the file per call, one atomic replace per change; nothing kept between calls.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback);
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
void DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);
void EraseProfileSection(const std::string& path, std::string_view section);

// ASCII-only case-insensitive equality, as used for section and key names.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace diary
