#pragma once
// Conflict copies: when two computers that share a diary's folder through a sync tool both
// changed the diary while apart, the tool keeps one version and sets the other beside it under
// a name of its own. Here such copies are found and merged back into the diary ride by ride.
//
// Rides are matched by their content, the record line without its number, byte for byte:
// numbers say nothing across the two files, as each side renumbers after its own deletes.
//
// The merge is three-way against a base, one of the local diary's daily backups (see PlanMerge
// for which). Each side (the local diary, the copy) is held against the base in three steps:
//  1. Identical lines pair up in order: the k-th occurrence of a line in the base with its k-th
//     occurrence on the side. A line the side holds twice and the base once is one kept and
//     one added; one the base holds twice and the side once, one kept and one gone.
//  2. The longest run of those pairs that keeps its order on both are anchors; between two
//     anchors (a gap) lie the base rides that were changed or deleted there and the side's
//     rides that were changed or added there. An edit keeps a ride in its place and a delete
//     only shifts the rides after it, so a changed ride is in the gap of its base ride.
//  3. Within a gap, a base ride left over pairs with the side's first left-over ride of the
//     same date: that ride, changed. A gap before the last anchor that then holds exactly one
//     left-over ride on each side pairs them too (an edit of the date); the gap after the last
//     anchor is where new rides go, so there only the date pairs. What is still left over was
//     deleted from the base or added on the side.
// Then, ride by ride: changed on one side only gives the change; deleted on one side and
// unchanged on the other, deleted; changed on both alike, the change; changed on both
// differently, or changed on one and deleted on the other, a conflict the user settles. Rides
// added on both sides alike are kept once. Without a base every ride of either side is kept,
// as many times as the side that has it more often holds it.
//
// The result keeps the local diary's order; the rides that have no place in it come after it in
// date order (undated ones last, in the copy's order), and the whole is numbered 1..n.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/file_lock.h"
#include "diary/regional.h"

namespace diary {

// Whether `candidate` is the name a sync tool gives a conflict copy of the file `diaryName`:
// "d.sync-conflict-20261209-101500-ABCDEF1.vam", "d (conflicted copy 2026-12-09 101500).vam",
// "d (Eva's conflicted copy 2026-12-09).vam" for "d.vam".
bool IsConflictCopyName(std::string_view diaryName, std::string_view candidate);

// The conflict copies of the diary at `diaryPath` that are regular files, by path: beside the
// path, and for a symlink also beside the file it leads to under that file's name.
std::vector<std::string> FindConflictCopies(const std::string& diaryPath);

// How a conflict is settled.
enum class MergeChoice {
    KeepBoth,  // the local version in its place and the copy's among the new rides
    Local,
    Copy,
};

// What the merge does to one ride.
struct MergeItem {
    enum class Kind {
        Added,     // a ride of the copy that the local diary lacks
        Changed,   // the local ride, replaced by the copy's change of it
        Removed,   // the local ride, deleted in the copy
        Conflict,  // changed on both sides differently, or changed on one and deleted on the other
    };
    static constexpr std::uint32_t kNoPlace = 0xFFFFFFFF;
    Kind kind = Kind::Added;
    // The ride's place among the local rides; kNoPlace for a ride of the copy that has none.
    std::uint32_t place = kNoPlace;
    // The ride's lines: on the local side, in the copy, in the base; none where it is not there.
    std::optional<std::string_view> local;
    std::optional<std::string_view> copy;
    std::optional<std::string_view> base;
    // The copy's ride's date as a day number, for the order of new rides; none: undated.
    std::optional<double> copyDay;
};

struct MergePlan {
    std::string diaryPath;
    std::string copyPath;
    std::string basePath;  // the backup taken as the base; empty: none, a union of both
    // The bytes the plan was made from; the lines below point into them.
    std::shared_ptr<const std::string> diaryBytes;
    std::shared_ptr<const std::string> copyBytes;
    std::shared_ptr<const std::string> baseBytes;
    std::vector<std::string_view> localLines;  // the local rides in their order
    // Every ride the merge does not keep as the local diary has it: those among the local
    // rides in their order, then the copy's rides that have no place among them in date order.
    std::vector<MergeItem> items;
    std::vector<std::size_t> conflicts;  // the conflicts' indexes in `items`, in order
    std::size_t added = 0;
    std::size_t changed = 0;
    std::size_t removed = 0;

    // The rides of the copy that the result holds beyond the local ones with every conflict
    // kept both ways: what the status bar counts.
    std::size_t ExtraRides() const;
    // The result's lines in their order, each conflict settled by `choices` (by its place in
    // `conflicts`; one missing is kept both ways).
    std::vector<std::string_view> Result(const std::vector<MergeChoice>& choices) const;
};

// Plans the merge of the conflict copy at `copyPath` into the diary at `diaryPath`. The base is
// the backup of the diary in `backupFolder` that holds the most rides found in the copy (the
// state both sides last shared holds every ride neither changed since; an older one lacks the
// rides added before they parted, and one kept after they parted holds nothing more of the
// copy); of those, the one with the fewest rides found only in the local diary (a backup kept
// after they parted holds the local side's new rides, which against it would look deleted in
// the copy); of those, the newest. None when no backup shares a ride with the copy. The
// backups are read newest first, and the first whose every ride both sides still hold ends the
// search: older ones can only know less (unless the diary has since shrunk).
// Throws ReadError (Czech) when either file cannot be read or the copy is no diary (nothing,
// no section of rides, or binary).
MergePlan PlanMerge(const std::string& diaryPath, const std::string& copyPath,
                    const std::string& backupFolder,
                    const RegionalSettings& regional = RegionalSettings::Czech());

struct MergeOutcome {
    bool applied = false;
    std::string message;  // why nothing was merged, in Czech; empty when applied
    // The diary's bytes after the call: merged, or as found when refused.
    std::shared_ptr<const std::string> bytes;
    std::string undoBackup;  // the backup of the diary as it was just before the merge
    std::string movedCopy;   // where the copy is now, in the backup folder
    // The day's backup could not be kept, or the copy could not be moved (a WriteError each);
    // the merge is in the diary all the same.
    std::exception_ptr backupFailure;
    std::exception_ptr moveFailure;
};

// Writes `plan`'s result with `choices` into the diary, one change under the diary's lock: the
// day's backup first, as every change keeps it, then a numbered backup of the diary as it was
// (so "Obnovit ze zálohy…" undoes the merge), the merged diary in one atomic save, and the copy
// moved into `backupFolder` under a name no file there has. Refused (nothing written) when the
// diary or the copy is no longer what the plan was made from. BusyError, ReadError, WriteError
// and InvalidValueError pass through with the diary as it was.
MergeOutcome ApplyMerge(const MergePlan& plan, const std::vector<MergeChoice>& choices,
                        const std::string& backupFolder, const Date& today,
                        std::chrono::milliseconds timeout = kLockTimeout);

// Moves the file at `path` into `folder` (created when missing) under its own name, or with
// " (2)", " (3)", ... before its extension when a file has that name; returns the new path.
// Never replaces a file. Throws WriteError.
std::string MoveIntoFolder(const std::string& path, const std::string& folder);

// The status bar's note about a conflict copy (UTF-8): "Vedle deníku je kopie ze
// synchronizace: 3 jízdy navíc. Sloučit…"; with no plan (the copy is no diary), without the
// count.
std::string ConflictCopyNote(const MergePlan* plan);

}  // namespace diary
