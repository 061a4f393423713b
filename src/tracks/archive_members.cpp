#include "tracks/archive_members.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/errors.h"

namespace tracks {

namespace {

constexpr std::size_t kBlock = std::size_t{64} << 10;

struct ArchiveFree {
    void operator()(::archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<::archive, ArchiveFree>;

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

bool IsZip(std::string_view b) {
    return b.size() >= 4 && (b.substr(0, 4) == "PK\x03\x04" || b.substr(0, 4) == "PK\x05\x06");
}

bool IsGzip(std::string_view b) { return b.size() >= 2 && b[0] == '\x1f' && b[1] == '\x8b'; }

// A path that would leave the archive if it were unpacked: absolute, a drive, or a ".." part.
bool Escapes(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') return true;
    if (name.size() >= 2 && name[1] == ':') return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return true;
        start = end + 1;
    }
    return false;
}

std::string Q(const std::string& name) { return "„" + name + "“"; }

std::string DamagedMember(const std::string& name) {
    return "Archiv " + Q(name) + " je poškozený nebo neúplný.";
}

// How reading one member ended.
enum class Outcome { Read, Skipped, ArchiveStops };

}  // namespace

bool WantedMember(std::string_view name) {
    std::string lower = AsciiLower(name);
    if (EndsWith(lower, ".zip")) return true;
    if (EndsWith(lower, ".gz")) lower.resize(lower.size() - 3);
    if (lower == "activities.csv" || EndsWith(lower, "/activities.csv")) return true;
    return EndsWith(lower, ".fit") || EndsWith(lower, ".gpx") || EndsWith(lower, ".tcx");
}

ArchiveReader::ArchiveReader(MemberFound found, MemberRefused refused, ReadControl control,
                             ArchiveLimits limits)
    : found_(std::move(found)),
      refused_(std::move(refused)),
      control_(std::move(control)),
      limits_(limits) {}

void ArchiveReader::CheckCancel() const {
    if (control_.cancelled && control_.cancelled()) throw ReadCancelled();
}

void ArchiveReader::Progress(std::uint64_t doneInFile) const {
    if (control_.progress) control_.progress(doneBefore_ + doneInFile, chosenBytes_);
}

void ArchiveReader::ReadPaths(const std::vector<std::string>& paths) {
    namespace fs = std::filesystem;
    struct Chosen {
        std::string path;
        std::string name;
        std::uint64_t size;
    };
    std::vector<Chosen> files;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::path chosen(path);
        if (fs::is_directory(chosen, error)) {
            std::vector<Chosen> inFolder;
            fs::recursive_directory_iterator it(
                chosen, fs::directory_options::skip_permission_denied, error);
            for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
                if (!it->is_regular_file(error)) continue;
                const std::string name = it->path().lexically_relative(chosen).generic_string();
                if (!WantedMember(name)) continue;
                inFolder.push_back({it->path().string(), name, it->file_size(error)});
            }
            if (error) refused_(path, "Složku " + Q(path) + " nelze celou přečíst.");
            std::sort(inFolder.begin(), inFolder.end(),
                      [](const Chosen& a, const Chosen& b) { return a.name < b.name; });
            files.insert(files.end(), inFolder.begin(), inFolder.end());
        } else {
            const std::uint64_t size = fs::file_size(chosen, error);
            files.push_back({path, chosen.filename().string(), error ? 0 : size});
        }
    }
    chosenBytes_ = 0;
    for (const Chosen& f : files) chosenBytes_ += f.size;
    doneBefore_ = 0;
    for (const Chosen& f : files) {
        if (exhausted_) break;
        CheckCancel();
        Progress(0);
        ReadFile(f.path, f.name);
        doneBefore_ += f.size;
    }
    Progress(0);
}

void ArchiveReader::ReadFile(const std::string& path, const std::string& name) {
    std::array<char, 4> head{};
    {
        std::ifstream in(path, std::ios::binary);
        in.read(head.data(), head.size());
    }
    if (IsZip(std::string_view(head.data(), head.size()))) {
        // Read from the file as it goes: an export of some gigabytes never sits in memory.
        ArchivePtr a(archive_read_new());
        archive_read_support_format_zip(a.get());
        if (archive_read_open_filename(a.get(), path.c_str(), kBlock) != ARCHIVE_OK) {
            refused_(name, DamagedMember(name));
            return;
        }
        Archive(name, a.get(), 0, true);
        return;
    }
    std::optional<std::string> bytes;
    try {
        bytes = diary::ReadWholeFile(path, limits_.memberBytes);
    } catch (const diary::ReadError&) {
        refused_(name, "Soubor " + Q(name) + " nelze přečíst.");
        return;
    }
    if (!bytes) {
        refused_(name, "Soubor " + Q(name) + " neexistuje.");
        return;
    }
    Member(name, *bytes, 0);
}

void ArchiveReader::ReadBytes(const std::string& name, std::string_view bytes) {
    chosenBytes_ = bytes.size();
    doneBefore_ = 0;
    Member(name, bytes, 0);
}

void ArchiveReader::Member(const std::string& name, std::string_view bytes, int depth) {
    CheckCancel();
    if (exhausted_) return;
    if (!IsZip(bytes) && !IsGzip(bytes)) {
        found_(name, bytes);
        return;
    }
    if (depth >= limits_.nesting) {
        refused_(name, "Archiv " + Q(name) + " je vnořený příliš hluboko.");
        return;
    }
    ArchivePtr a(archive_read_new());
    if (IsZip(bytes)) {
        archive_read_support_format_zip(a.get());
    } else {
        archive_read_support_filter_gzip(a.get());
        archive_read_support_format_raw(a.get());
    }
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        refused_(name, DamagedMember(name));
        return;
    }
    Archive(name, a.get(), depth + 1, false);
}

void ArchiveReader::Archive(const std::string& name, ::archive* a, int depth, bool top) {
    // A gzip is one member under its own name, what it packs.
    const bool raw = archive_format(a) == ARCHIVE_FORMAT_RAW;
    std::uint64_t unpackedHere = 0;
    std::string data;
    std::array<char, kBlock> block{};
    archive_entry* entry = nullptr;
    while (!exhausted_) {
        CheckCancel();
        const int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF) return;
        if (r < ARCHIVE_WARN) {
            refused_(name, DamagedMember(name));
            return;
        }
        if (top) Progress(static_cast<std::uint64_t>(archive_filter_bytes(a, -1)));
        const bool isRaw = raw || archive_format(a) == ARCHIVE_FORMAT_RAW;
        if (!isRaw && archive_entry_filetype(entry) != AE_IFREG) continue;
        std::string member = name;
        if (!isRaw) {
            const char* inner = archive_entry_pathname_utf8(entry);
            if (inner == nullptr) inner = archive_entry_pathname(entry);
            if (inner == nullptr || !WantedMember(inner)) continue;
            member = top ? std::string(inner) : name + "/" + inner;
            if (Escapes(inner)) {
                refused_(member, "Soubor " + Q(member) + " má v archivu cestu mimo archiv.");
                continue;
            }
        }
        if (archive_entry_size_is_set(entry) != 0 &&
            static_cast<std::uint64_t>(archive_entry_size(entry)) > limits_.memberBytes) {
            refused_(member, "Soubor " + Q(member) + " je na záznam trasy příliš velký.");
            continue;
        }
        data.clear();
        Outcome outcome = Outcome::Read;
        for (;;) {
            CheckCancel();
            const la_ssize_t n = archive_read_data(a, block.data(), block.size());
            if (n == 0) break;
            if (n < 0) {
                refused_(name, DamagedMember(name));
                return;
            }
            const auto got = static_cast<std::uint64_t>(n);
            unpacked_ += got;
            unpackedHere += got;
            const auto packed =
                static_cast<std::uint64_t>(std::max<la_int64_t>(archive_filter_bytes(a, -1), 1));
            if (unpackedHere > limits_.ratioAfter && unpackedHere / packed >= limits_.ratio) {
                refused_(name, "Archiv " + Q(name) +
                                   " se rozbaluje do nepřiměřeně velkých dat; zbytek nebyl "
                                   "přečten.");
                return;
            }
            if (unpacked_ > limits_.totalBytes) {
                refused_(member, "Export je po rozbalení příliš velký; od souboru " + Q(member) +
                                     " dál nebyl přečten.");
                exhausted_ = true;
                outcome = Outcome::ArchiveStops;
                break;
            }
            if (data.size() + got > limits_.memberBytes) {
                refused_(member, "Soubor " + Q(member) + " je na záznam trasy příliš velký.");
                outcome = Outcome::Skipped;
                break;
            }
            data.append(block.data(), got);
        }
        if (outcome == Outcome::ArchiveStops) return;
        if (outcome == Outcome::Skipped) continue;
        Member(member, data, depth);
    }
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace tracks
