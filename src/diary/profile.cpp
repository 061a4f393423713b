#include "diary/profile.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "diary/atomic_file.h"
#include "diary/errors.h"

namespace diary {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsValueBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// What Windows reads from the text after '=': blanks (VT too) off both ends, then one matching
// pair of outer quotes, keeping whatever is inside them.
std::string_view ReadValue(std::string_view s) {
    while (!s.empty() && IsValueBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsValueBlank(s.back())) s.remove_suffix(1);
    if (s.size() >= 2 && IsQuote(s.front()) && s.back() == s.front()) {
        s.remove_prefix(1);
        s.remove_suffix(1);
    }
    return s;
}

// The caller's section and key arguments lose spaces only, as the Windows functions treat them.
std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A key that is a record or list number: decimal digits without a leading zero, as the text
// that Windows compares. Eighteen digits are more lines than any file can hold, so a longer key
// can never be part of a 1..n run and is simply not a number here.
bool KeyNumber(std::string_view key, std::uint64_t& n) {
    if (key.empty() || key.size() > 18 || key.front() == '0') return false;
    n = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool HasTerminator(const ProfileLine& line) { return line.next != line.end; }

bool LastLineOpen(std::string_view bytes) {
    return !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r';
}

// Hands `take` each key line of the first section named `section` (trimmed already), in file
// order, until `take` returns false or the section ends.
template <typename Take>
void ForEachKeyLine(std::string_view bytes, std::string_view section, Take&& take) {
    ProfileScanner scanner(bytes);
    ProfileLine line;
    bool inside = false;
    scanner.SkipToSection();
    while (scanner.Next(line)) {
        if (line.kind == ProfileLine::Kind::Section) {
            if (inside) return;
            inside = EqualsNoCase(line.name, section);
            if (!inside) scanner.SkipToSection();
        } else if (inside && line.kind == ProfileLine::Kind::Key) {
            if (!take(line)) return;
        }
    }
}

// Where a section starts and what it holds, from one walk of the file.
struct SectionInfo {
    bool found = false;
    ProfileLine header;
    std::vector<ProfileLine> keys;  // key lines in file order
};

SectionInfo FindSection(std::string_view bytes, std::string_view section) {
    SectionInfo info;
    ProfileScanner scanner(bytes);
    ProfileLine line;
    scanner.SkipToSection();
    while (scanner.Next(line)) {
        if (line.kind == ProfileLine::Kind::Section) {
            if (info.found) break;
            if (EqualsNoCase(line.name, section)) {
                info.found = true;
                info.header = line;
            } else {
                scanner.SkipToSection();
            }
        } else if (info.found && line.kind == ProfileLine::Kind::Key) {
            info.keys.push_back(line);
        }
    }
    return info;
}

// The bytes with the given lines cut out (each [begin, next)), in one copy.
std::string WithoutLines(const std::string& bytes, const std::vector<ProfileLine>& lines,
                         std::size_t insertAt = std::string::npos, std::string_view insert = {}) {
    std::string out;
    out.reserve(bytes.size() + insert.size());
    std::size_t pos = 0;
    bool inserted = insertAt == std::string::npos;
    for (const ProfileLine& line : lines) {
        if (!inserted && insertAt <= line.begin) {
            out.append(bytes, pos, insertAt - pos);
            out.append(insert);
            pos = insertAt;
            inserted = true;
        }
        out.append(bytes, pos, line.begin - pos);
        pos = line.next;
    }
    if (!inserted) {
        out.append(bytes, pos, insertAt - pos);
        out.append(insert);
        pos = insertAt;
    }
    out.append(bytes, pos, std::string::npos);
    return out;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

void ProfileScanner::SkipToSection() {
    const char* const base = bytes_.data();
    const std::size_t size = bytes_.size();
    for (std::size_t from = pos_; from < size;) {
        const void* hit = std::memchr(base + from, '[', size - from);
        if (hit == nullptr) break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        // A header's "[" has only blanks before it on its line, which begins after a CR or an
        // LF (or where the scan stands).
        std::size_t start = at;
        while (start > pos_ && IsBlank(base[start - 1])) --start;
        if (start == pos_ || base[start - 1] == '\n' || base[start - 1] == '\r') {
            pos_ = start;
            return;
        }
        from = at + 1;
    }
    pos_ = size;
}

namespace {

// The first CR or LF at or after `pos`, or `size`: sixteen bytes at a time where the machine has
// SSE2. One search for either ends a line where a search for LF and then for a CR before it
// looked at each line twice.
std::size_t LineBreakAt(const char* base, std::size_t pos, std::size_t size) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; pos + 16 <= size; pos += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
        const auto hits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
        if (hits != 0) return pos + static_cast<std::size_t>(std::countr_zero(hits));
    }
#endif
    for (; pos < size; ++pos)
        if (base[pos] == '\r' || base[pos] == '\n') return pos;
    return size;
}

}  // namespace

bool ProfileScanner::Next(ProfileLine& line) {
    const std::size_t size = bytes_.size();
    if (pos_ >= size) return false;
    const char* base = bytes_.data();
    // A line ends at its first CR or LF; a CR followed by an LF ends it as one break.
    line.begin = pos_;
    line.end = LineBreakAt(base, pos_, size);
    if (line.end == size)
        line.next = size;
    else if (base[line.end] == '\r' && line.end + 1 < size && base[line.end + 1] == '\n')
        line.next = line.end + 2;
    else
        line.next = line.end + 1;
    pos_ = line.next;

    std::string_view text(base + line.begin, line.end - line.begin);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    line.name = {};
    line.value = {};
    if (i == text.size()) {
        line.kind = ProfileLine::Kind::Other;
    } else if (text[i] == ';') {
        line.kind = ProfileLine::Kind::Comment;
    } else if (text[i] == '[') {
        line.kind = ProfileLine::Kind::Section;
        std::string_view inside = text.substr(i + 1);
        line.name = TrimBlanks(inside.substr(0, inside.find(']')));
    } else {
        const void* eq = std::memchr(text.data() + i, '=', text.size() - i);
        if (eq == nullptr) {
            line.kind = ProfileLine::Kind::Other;
        } else {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(eq) - text.data());
            line.kind = ProfileLine::Kind::Key;
            line.name = TrimBlanks(text.substr(i, at - i));
            line.value = ReadValue(text.substr(at + 1));
        }
    }
    return true;
}

namespace {

// Hands `take` every key line with a decimal key (and that number) of the first section named
// `section`, in file order, until `take` returns false or the section ends.
template <typename Take>
void ForEachNumberedLine(std::string_view bytes, std::string_view section, Take&& take) {
    ForEachKeyLine(bytes, TrimSpaces(section), [&](const ProfileLine& line) {
        std::uint64_t n;
        return !KeyNumber(line.name, n) || take(line, n);
    });
}

// The run of keys 1..n as NumberedKeyLines defines it, holding for each key what `make` takes
// from its line; `at` gives back where in the file a held slot came from, so that a copy met
// earlier in the file can win over one taken on the fast path.
template <typename Slot, typename Make, typename At>
std::vector<Slot> NumberedRun(std::string_view bytes, std::string_view section, Make make, At at) {
    std::vector<Slot> run;
    // Room for a key every 48 bytes, more than a diary's lines need: growing a vector of a
    // hundred thousand entries would copy it and touch fresh pages again at every doubling.
    run.reserve(bytes.size() / 48 + 16);
    // Keys met before all the smaller ones: rare (a file edited by hand), settled at the end.
    std::vector<std::pair<std::uint64_t, ProfileLine>> early;
    ForEachNumberedLine(bytes, section, [&](const ProfileLine& line, std::uint64_t n) {
        if (n == run.size() + 1) {
            run.push_back(make(line));
        } else if (n > run.size()) {
            early.emplace_back(n, line);
        }
        // n <= run.size(): a later copy of a key already taken.
        return true;
    });
    if (early.empty()) return run;

    // A run can hold no more keys than there are numbered lines.
    const std::size_t cap = run.size() + early.size();
    std::vector<bool> taken(cap, false);
    std::fill(taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(run.size()), true);
    run.resize(cap);
    for (const auto& [n, l] : early) {
        if (n > cap) continue;
        const auto i = static_cast<std::size_t>(n - 1);
        if (!taken[i] || at(run[i]) > l.begin) {
            run[i] = make(l);
            taken[i] = true;
        }
    }
    std::size_t length = 0;
    while (length < cap && taken[length]) ++length;
    run.resize(length);
    return run;
}

}  // namespace

std::vector<ProfileLine> NumberedKeyLines(std::string_view bytes, std::string_view section,
                                          std::vector<ProfileLine>* shadowed) {
    std::vector<ProfileLine> run = NumberedRun<ProfileLine>(
        bytes, section, [](const ProfileLine& l) { return l; },
        [](const ProfileLine& l) { return l.begin; });
    if (shadowed != nullptr) {
        shadowed->clear();
        ForEachNumberedLine(bytes, section, [&](const ProfileLine& line, std::uint64_t n) {
            if (n <= run.size() && run[static_cast<std::size_t>(n - 1)].begin != line.begin) {
                shadowed->push_back(line);
            }
            return true;
        });
    }
    return run;
}

std::optional<ProfileLine> NumberedKeyLine(std::string_view bytes, std::string_view section,
                                           std::uint64_t n) {
    if (n == 0) return std::nullopt;
    // Walked up to key n while the keys come in order; only a key met ahead of its turn needs
    // the whole run built.
    std::optional<ProfileLine> found;
    std::uint64_t length = 0;
    bool inOrder = true;
    ForEachNumberedLine(bytes, section, [&](const ProfileLine& line, std::uint64_t k) {
        if (k == length + 1) {
            ++length;
            if (length != n) return true;
            // Every copy of this key met so far would have been ahead of its turn, so none
            // came earlier: this line is the key.
            found = line;
            return false;
        }
        inOrder = k <= length;
        return inOrder;
    });
    if (inOrder) return found;
    const std::vector<ProfileLine> run = NumberedKeyLines(bytes, section);
    if (n <= run.size()) return run[static_cast<std::size_t>(n - 1)];
    return std::nullopt;
}

std::optional<std::string> WithoutNumberedKey(std::string_view bytes, std::string_view section,
                                              std::uint64_t n) {
    std::vector<ProfileLine> shadowed;
    const std::vector<ProfileLine> run = NumberedKeyLines(bytes, section, &shadowed);
    if (n == 0 || n > run.size()) return std::nullopt;

    // Edits in file order: cut a line, or put a new number in place of a key.
    struct Edit {
        std::size_t begin;
        std::size_t end;
        std::uint64_t newNumber;  // 0: cut
    };
    std::vector<Edit> edits;
    edits.reserve(run.size() - n + 1 + shadowed.size());
    edits.push_back({run[n - 1].begin, run[n - 1].next, 0});
    // Later copies of the run's keys are unreachable now but would shadow the lines renumbered
    // onto their keys, so they go with the entry.
    for (const ProfileLine& line : shadowed) edits.push_back({line.begin, line.next, 0});
    for (std::size_t j = n; j < run.size(); ++j) {
        const auto keyAt = static_cast<std::size_t>(run[j].name.data() - bytes.data());
        edits.push_back({keyAt, keyAt + run[j].name.size(), j});
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.begin < b.begin; });

    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    for (const Edit& e : edits) {
        out.append(bytes.substr(pos, e.begin - pos));
        if (e.newNumber != 0) {
            char digits[24];
            out.append(digits, std::to_chars(digits, digits + sizeof digits, e.newNumber).ptr);
        }
        pos = e.end;
    }
    out.append(bytes.substr(pos));
    return out;
}

std::optional<std::uint64_t> NumberOfKey(std::string_view key) {
    std::uint64_t n;
    if (!KeyNumber(key, n)) return std::nullopt;
    return n;
}

std::vector<Profile::Entry> NumberedEntries(std::string_view bytes, std::string_view section) {
    // A value lies inside its line, so its place orders it among lines as the line's would.
    return NumberedRun<Profile::Entry>(
        bytes, section,
        [](const ProfileLine& l) {
            return Profile::Entry{l.name, l.value};
        },
        [&bytes](const Profile::Entry& e) {
            return static_cast<std::size_t>(e.value.data() - bytes.data());
        });
}

void ForEachNumberedEntry(std::string_view bytes, std::string_view section,
                          const std::function<void(const Profile::Entry&)>& take) {
    std::uint64_t delivered = 0;
    ForEachNumberedLine(bytes, section, [&](const ProfileLine& line, std::uint64_t n) {
        if (n == delivered + 1) {
            take({line.name, line.value});
            ++delivered;
        } else if (n > delivered + 1) {
            // A key ahead of its turn. Everything handed over so far came from earlier lines, so
            // no copy further on can displace it; the rest is settled the slow way.
            const std::vector<Profile::Entry> all = NumberedEntries(bytes, section);
            for (std::size_t i = delivered; i < all.size(); ++i) take(all[i]);
            return false;
        }
        return true;
    });
}

void CheckProfileValue(std::string_view value) {
    // Two scans of the bytes rather than find_first_of, which looks each byte up in the set
    // with a call of its own: a whole diary's lines are checked before it is written.
    if (value.find('\r') != std::string_view::npos || value.find('\n') != std::string_view::npos) {
        throw InvalidValueError("Hodnota nesmí obsahovat konec řádku.");
    }
    if (value.find('\0') != std::string_view::npos) {
        throw InvalidValueError("Hodnota nesmí obsahovat nulový znak.");
    }
    if (!value.empty() && (IsValueBlank(value.front()) || IsValueBlank(value.back()))) {
        throw InvalidValueError("Hodnota nesmí začínat ani končit mezerou nebo tabulátorem.");
    }
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        throw InvalidValueError("Hodnota nesmí být celá v uvozovkách.");
    }
}

void CheckProfileKey(std::string_view key) {
    if (key.find_first_of(std::string_view("\r\n\0=", 4)) != std::string_view::npos ||
        key != TrimBlanks(key) || (!key.empty() && (key.front() == '[' || key.front() == ';'))) {
        throw InvalidValueError("Neplatný název klíče.");
    }
}

void CheckProfileSection(std::string_view section) {
    if (section.find_first_of(std::string_view("\r\n\0]", 4)) != std::string_view::npos ||
        section != TrimBlanks(section)) {
        throw InvalidValueError("Neplatný název sekce.");
    }
}

Profile::Profile(std::string bytes) : bytes_(std::move(bytes)) {}

Profile Profile::Load(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    return bytes ? Profile(std::move(*bytes)) : Profile();
}

std::optional<std::string_view> Profile::Find(std::string_view section,
                                              std::string_view key) const {
    const std::string_view wantedKey = TrimSpaces(key);
    std::optional<std::string_view> found;
    ForEachKeyLine(bytes_, TrimSpaces(section), [&](const ProfileLine& line) {
        if (EqualsNoCase(line.name, wantedKey)) found = line.value;
        return !found;
    });
    return found;
}

std::string Profile::Get(std::string_view section, std::string_view key,
                         std::string_view fallback) const {
    return std::string(Find(section, key).value_or(fallback));
}

std::vector<Profile::Entry> Profile::Entries(std::string_view section) const {
    std::vector<Entry> entries;
    for (const ProfileLine& line : FindSection(bytes_, TrimSpaces(section)).keys) {
        entries.push_back({line.name, line.value});
    }
    return entries;
}

namespace {

// Where new key lines of a section go: after its last key line, else after its header; a
// missing section is added at the end under the caller's spelling of its name.
struct InsertPlace {
    bool found = false;
    ProfileLine after;
};

void InsertKeyLines(std::string& bytes, const InsertPlace& place, std::string_view section,
                    std::string_view keyLines) {
    std::string text;
    if (!place.found) {
        if (LastLineOpen(bytes)) text += "\r\n";
        text.append("[").append(section).append("]\r\n").append(keyLines);
        bytes += text;
        return;
    }
    if (!HasTerminator(place.after)) text += "\r\n";
    text.append(keyLines);
    bytes.insert(place.after.next, text);
}

// Hands `take` each line of the first section named `section` (trimmed already) after noting
// the section's header and last key line in `place`; stops where `take` returns false.
template <typename Take>
void WalkSectionFor(std::string_view bytes, std::string_view section, InsertPlace& place,
                    Take&& take) {
    ProfileScanner scanner(bytes);
    ProfileLine line;
    scanner.SkipToSection();
    while (scanner.Next(line)) {
        if (line.kind == ProfileLine::Kind::Section) {
            if (place.found) return;
            if (EqualsNoCase(line.name, section)) {
                place.found = true;
                place.after = line;
            } else {
                scanner.SkipToSection();
            }
        } else if (place.found && line.kind == ProfileLine::Kind::Key) {
            if (!take(line)) return;
            place.after = line;
        }
    }
}

}  // namespace

void Profile::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    CheckProfileSection(section);
    CheckProfileKey(key);
    CheckProfileValue(value);
    // One walk: the key is replaced where it stands, else it follows the section's last key.
    InsertPlace place;
    std::optional<ProfileLine> existing;
    WalkSectionFor(bytes_, section, place, [&](const ProfileLine& line) {
        if (EqualsNoCase(line.name, key)) existing = line;
        return !existing;
    });
    if (existing) {
        ReplaceKeyLine(bytes_, *existing, value);
        return;
    }
    std::string keyLine;
    keyLine.append(key).append("=").append(value).append("\r\n");
    InsertKeyLines(bytes_, place, section, keyLine);
}

std::uint64_t Profile::AppendToRun(std::string_view section,
                                   const std::vector<std::string>& values) {
    section = TrimSpaces(section);
    CheckProfileSection(section);
    for (const std::string& value : values) CheckProfileValue(value);

    // The run counted as the keys come; a key met before all the smaller ones is kept aside
    // (rare: a file edited by hand) and joins the run at the end if the keys before it came.
    std::uint64_t length = 0;
    std::vector<std::uint64_t> ahead;
    InsertPlace place;
    WalkSectionFor(bytes_, section, place, [&](const ProfileLine& line) {
        std::uint64_t n;
        if (KeyNumber(line.name, n)) {
            if (n == length + 1)
                ++length;
            else if (n > length + 1)
                ahead.push_back(n);
        }
        return true;
    });
    std::sort(ahead.begin(), ahead.end());
    for (const std::uint64_t n : ahead) {
        if (n > length + 1) break;
        if (n == length + 1) ++length;
    }
    const std::uint64_t first = length + 1;
    if (values.empty()) return first;

    const auto keyOf = [first](std::size_t i) {
        char digits[24];
        return std::string(digits, std::to_chars(digits, digits + sizeof digits,
                                                 first + static_cast<std::uint64_t>(i))
                                       .ptr);
    };
    const auto clash =
        std::lower_bound(ahead.begin(), ahead.end(), first + 1);  // first itself is never there
    if (clash != ahead.end() && *clash < first + values.size()) {
        for (std::size_t i = 0; i < values.size(); ++i) Set(section, keyOf(i), values[i]);
        return first;
    }
    std::string keyLines;
    for (std::size_t i = 0; i < values.size(); ++i)
        keyLines.append(keyOf(i)).append("=").append(values[i]).append("\r\n");
    InsertKeyLines(bytes_, place, section, keyLines);
    return first;
}

void ReplaceKeyLine(std::string& bytes, const ProfileLine& line, std::string_view value) {
    CheckProfileValue(value);
    // The file's own spelling of the key stays; only the value is new.
    std::string text;
    text.reserve(line.name.size() + value.size() + 3);
    text.append(line.name).append("=").append(value).append("\r\n");
    bytes.replace(line.begin, line.next - line.begin, text);
}

bool Profile::RemoveKey(std::string_view section, std::string_view key) {
    key = TrimSpaces(key);
    std::optional<ProfileLine> found;
    ForEachKeyLine(bytes_, TrimSpaces(section), [&](const ProfileLine& line) {
        if (EqualsNoCase(line.name, key)) found = line;
        return !found;
    });
    if (!found) return false;
    bytes_.erase(found->begin, found->next - found->begin);
    return true;
}

bool Profile::RemoveSection(std::string_view section) {
    SectionInfo info = FindSection(bytes_, TrimSpaces(section));
    if (!info.found) return false;
    info.keys.insert(info.keys.begin(), info.header);
    bytes_ = WithoutLines(bytes_, info.keys);
    return true;
}

void Profile::ReplaceSectionLines(std::string_view section, std::string_view headerName,
                                  std::string_view keyLines) {
    bytes_ = WithSectionLines(bytes_, section, headerName,
                              [&](std::string& out) { out.append(keyLines); });
}

std::string WithSectionLines(std::string_view bytes, std::string_view section,
                             std::string_view headerName,
                             const std::function<void(std::string&)>& write) {
    section = TrimSpaces(section);
    // One walk that copies as it goes: a whole diary's section is replaced without a list of
    // its key lines in between.
    ProfileScanner scanner(bytes);
    std::optional<ProfileLine> header;
    std::string out;
    std::size_t copied = 0;
    scanner.SkipToSection();
    for (ProfileLine line; scanner.Next(line);) {
        if (line.kind == ProfileLine::Kind::Section) {
            if (header) break;
            if (EqualsNoCase(line.name, section)) header = line;
            if (!header) scanner.SkipToSection();
            continue;
        }
        if (!header || line.kind != ProfileLine::Kind::Key) continue;
        // The new lines take the place of the first old key line; comments and blank lines of
        // the section stay where they were.
        if (copied == 0) {
            out.reserve(bytes.size() + bytes.size() / 8);
            out.append(bytes.substr(0, line.begin));
            write(out);
        } else {
            out.append(bytes.substr(copied, line.begin - copied));
        }
        copied = line.next;
    }
    if (copied > 0) {
        out.append(bytes.substr(copied));
        return out;
    }
    if (!header) {
        CheckProfileSection(TrimSpaces(headerName));
        out.append(bytes);
        if (LastLineOpen(bytes)) out += "\r\n";
        out.append("[").append(TrimSpaces(headerName)).append("]\r\n");
        write(out);
        return out;
    }
    out.append(bytes.substr(0, header->next));
    if (!HasTerminator(*header)) out += "\r\n";
    write(out);
    out.append(bytes.substr(header->next));
    return out;
}

std::string Profile::Bytes() const { return bytes_; }

void Profile::Save(const std::string& path) const { AtomicWriteFile(path, bytes_); }

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    return Profile::Load(path).Get(section, key, fallback);
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    CheckProfileSection(TrimSpaces(section));
    CheckProfileKey(TrimSpaces(key));
    CheckProfileValue(value);
    Profile profile = Profile::Load(path);
    profile.Set(section, key, value);
    profile.Save(path);
}

}  // namespace diary
