#pragma once
// The files of a service's export: a zip archive (zips inside it included), a folder, or single
// files, each gzipped or not, read through libarchive into memory one at a time. Nothing is ever
// written to disk, so a member's path (absolute, "../") cannot reach outside anything; such a
// path is still refused, as no export has one.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct archive;

namespace tracks {

struct ArchiveLimits {
    // A member larger than this unpacked is refused (as a track file of that size is).
    std::uint64_t memberBytes = std::uint64_t{512} << 20;
    // All members unpacked together: beyond this the rest of the export is refused.
    std::uint64_t totalBytes = std::uint64_t{64} << 30;
    // Unpacked bytes per packed byte of one archive once past `ratioAfter`: a zip bomb packs
    // a thousand to one, tracks some twenty.
    std::uint64_t ratio = 100;
    std::uint64_t ratioAfter = std::uint64_t{16} << 20;
    // Zips inside zips: an export has one level, a bomb many.
    int nesting = 4;
};

// The user pressed "Storno": thrown out of the reader between two blocks of data.
class ReadCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

struct ReadControl {
    // Asked between blocks; true stops the reading with ReadCancelled.
    std::function<bool()> cancelled;
    // Bytes of the chosen files read so far of all of them.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

// What the reader hands on: a file of the export by its path inside it (UTF-8, "/" between
// folders; a member of a nested zip as "inner.zip/member"), gzip already undone.
using MemberFound = std::function<void(const std::string& name, std::string_view bytes)>;
// A file or an archive that could not be read, with the reason in Czech naming it.
using MemberRefused = std::function<void(const std::string& name, const std::string& message)>;

// Reads every file a ride may come from: tracks (.fit, .gpx, .tcx, each maybe .gz) and the
// activity list (activities.csv), in zips and folders at any depth up to the limits. Other
// files are passed over unread.
class ArchiveReader {
public:
    ArchiveReader(MemberFound found, MemberRefused refused, ReadControl control,
                  ArchiveLimits limits = {});

    // Zips, gzips, tracks, lists, or folders of them, by their local paths. Members are named
    // relative to a chosen folder, or starting with the chosen file's name.
    void ReadPaths(const std::vector<std::string>& paths);
    // An archive or a file in memory called `name`.
    void ReadBytes(const std::string& name, std::string_view bytes);

private:
    void ReadFile(const std::string& path, const std::string& name);
    void Member(const std::string& name, std::string_view bytes, int depth);
    void Archive(const std::string& name, ::archive* a, int depth, bool top);
    void Progress(std::uint64_t doneInFile) const;
    void CheckCancel() const;

    MemberFound found_;
    MemberRefused refused_;
    ReadControl control_;
    ArchiveLimits limits_;
    std::uint64_t unpacked_ = 0;    // bytes unpacked so far
    bool exhausted_ = false;        // past totalBytes: nothing more is read
    std::uint64_t doneBefore_ = 0;  // bytes of the chosen files finished
    std::uint64_t chosenBytes_ = 0;
};

// Whether a member called `name` is read at all: tracks, archives and the activity list.
bool WantedMember(std::string_view name);
// `text` with A-Z made a-z: names and kinds of a service's files are compared without case.
std::string AsciiLower(std::string_view text);

}  // namespace tracks
