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
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace diary {

class Profile {
public:
    Profile() = default;
    // Takes the bytes of a whole file; each query walks them, each change splices them.
    explicit Profile(std::string bytes);

    // Loads `path`; a missing file gives an empty profile. Throws ReadError.
    static Profile Load(const std::string& path);

    // The value of `key` in the first section named `section`, or nullopt.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view fallback) const;

    // Every key line of the first section named `section`, in file order, duplicates included
    // (comments and lines without '=' left out). Kept for the fuzzers and tests.
    struct Entry {
        std::string_view key;
        std::string_view value;
    };
    std::vector<Entry> Entries(std::string_view section) const;

    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Adds `values` under the keys that follow the section's run 1..n (see NumberedKeyLines):
    // n + 1, n + 2, ... Returns n + 1. One walk of the bytes both counts the run and finds
    // where the new lines go, after the section's last key line, as Set adds a new key (or in
    // a new section at the end). A key of theirs that already stands beyond a gap is replaced
    // where it stands, as Set would. Nothing changes when `values` is empty.
    std::uint64_t AppendToRun(std::string_view section, const std::vector<std::string>& values);
    // Removes the first line of `key` in the first matching section. False when there is no
    // such key: nothing changed, so a caller need not save. Kept for the fuzzers and tests.
    bool RemoveKey(std::string_view section, std::string_view key);
    // Removes the header and key lines of the first matching section; comment lines inside it
    // stay. False when there is no such section: nothing changed.
    bool RemoveSection(std::string_view section);
    // Replaces all key lines of the first matching section by `keyLines`, adding the section
    // (named `headerName`) at the end when it is missing. Other lines of the section (comments,
    // blank lines) stay. `keyLines` is whole "key=value\r\n" lines whose names and values the
    // caller has checked (CheckProfileKey, CheckProfileValue): a whole diary is written without
    // one string per line.
    void ReplaceSectionLines(std::string_view section, std::string_view headerName,
                             std::string_view keyLines);

    // The file's bytes as they are now.
    std::string Bytes() const;

    // Saves with AtomicWriteFile. Throws WriteError.
    void Save(const std::string& path) const;

    // The bytes moved out, for a caller that saves them itself and keeps them afterwards.
    std::string TakeBytes() && { return std::move(bytes_); }

private:
    // The file exactly as read; every query walks it, every change splices it. Nothing else is
    // kept, so the untouched bytes cannot drift from the file's.
    std::string bytes_;
};

// Throws InvalidValueError unless `value` would read back unchanged from a "key=value" line:
// no CR, LF or NUL, no space, tab or VT at either end, not wrapped in one pair of quotes.
void CheckProfileValue(std::string_view value);

// `bytes` with the key lines of `section` replaced as Profile::ReplaceSectionLines replaces
// them, the new lines appended by `write` straight into the result: a whole diary's section
// written in one copy of the file.
std::string WithSectionLines(std::string_view bytes, std::string_view section,
                             std::string_view headerName,
                             const std::function<void(std::string&)>& write);
// Throws InvalidValueError for a key that would not read back as one (CR, LF, NUL, '=', a
// leading '[' or ';', edge blanks) and for a section name holding CR, LF, NUL or ']'.
void CheckProfileKey(std::string_view key);
void CheckProfileSection(std::string_view section);

// One line of a profile file as the reader sees it. Offsets are into the bytes scanned.
struct ProfileLine {
    enum class Kind { Other, Comment, Section, Key };
    Kind kind = Kind::Other;
    std::size_t begin = 0;   // first byte of the line
    std::size_t end = 0;     // end of its text: its terminator (if any) starts here
    std::size_t next = 0;    // first byte of the next line
    std::string_view name;   // section name or key, trimmed (empty for other lines)
    std::string_view value;  // a key's value as read: trimmed, one pair of outer quotes off
};

// Walks the lines of a profile file's bytes once, in order.
class ProfileScanner {
public:
    explicit ProfileScanner(std::string_view bytes) : bytes_(bytes) {}
    bool Next(ProfileLine& line);
    // Passes over the lines that cannot be a section's header (whose first byte after blanks
    // is not "["), with one search for "[" instead of a look at every line: what a search for
    // a section after a diary's hundred thousand rides needs.
    void SkipToSection();

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// The key lines "1", "2", ... of the first section named `section`, up to the first missing
// key, as Windows would find them one by one: the first of equal keys wins, and a key must be
// that decimal text once trimmed ("01" is not key 1). `run[i]` is key i + 1. When `shadowed`
// is given it receives the later copies of those keys, which no read can reach.
std::vector<ProfileLine> NumberedKeyLines(std::string_view bytes, std::string_view section,
                                          std::vector<ProfileLine>* shadowed = nullptr);
// Key `n` of that run (n from 1), found with one walk that stops at it while the keys come in
// order; nullopt when the run is shorter. What a change of one record checks.
std::optional<ProfileLine> NumberedKeyLine(std::string_view bytes, std::string_view section,
                                           std::uint64_t n);
// Replaces the key line `line` of `bytes` (found by a scan of those very bytes) by one that gives
// the key `value`: what Profile::Set does once it has found the key. Throws InvalidValueError
// for a value that would not read back.
void ReplaceKeyLine(std::string& bytes, const ProfileLine& line, std::string_view value);
// The bytes with key `n` (from 1) of that run cut out and the keys after it moved down by one,
// every other byte as it was; nullopt when the run is shorter. How a diary's record and any
// other numbered entry of the file is deleted.
std::optional<std::string> WithoutNumberedKey(std::string_view bytes, std::string_view section,
                                              std::uint64_t n);
// The number a key stands for in a run: decimal digits without a leading zero; nullopt for any
// other key ("01", "+1", "", ...).
std::optional<std::uint64_t> NumberOfKey(std::string_view key);
// The same run as keys and values only (what the diary and place-list readers need).
std::vector<Profile::Entry> NumberedEntries(std::string_view bytes, std::string_view section);
// The same entries handed to `take` one by one, in key order, as they are found: a large
// diary becomes rows without a list of entries in between.
void ForEachNumberedEntry(std::string_view bytes, std::string_view section,
                          const std::function<void(const Profile::Entry&)>& take);

// One read of the file per call, one atomic replace per change; nothing kept between calls.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback);
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// ASCII-only case-insensitive equality: section and key names, file name extensions.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace diary
