#include "diary/sync_merge.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <regex>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/backup.h"
#include "diary/bikes.h"
#include "diary/diary_file.h"
#include "diary/errors.h"
#include "diary/overview.h"
#include "diary/profile.h"
#include "diary/record.h"
#include "diary/unique_fd.h"

namespace diary {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

using Lines = std::vector<std::string_view>;

Lines RideLines(std::string_view bytes) {
    Lines lines;
    lines.reserve(bytes.size() / 64 + 16);
    ForEachNumberedEntry(bytes, "Data", [&](const Profile::Entry& e) { lines.push_back(e.value); });
    return lines;
}

std::string_view DateOf(std::string_view line) { return line.substr(0, line.find(kSeparator)); }

// A line's hash, eight bytes at a step: three diaries' lines are hashed per merge, and the
// library's byte-wise hash would cost more than reading them.
std::size_t LineHash(std::string_view line) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ line.size();
    std::size_t i = 0;
    for (; i + 8 <= line.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    }
    std::uint64_t rest = 0;
    std::memcpy(&rest, line.data() + i, line.size() - i);
    h = (h ^ rest) * 0xC4CEB9FE1A85EC53ULL;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

std::vector<std::size_t> Hashes(const Lines& lines) {
    std::vector<std::size_t> hashes(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) hashes[i] = LineHash(lines[i]);
    return hashes;
}

// The lines of one side, found by their text: an open-addressing table of each distinct
// line's first place, and from each place the next place with the same line. Diaries of a
// hundred thousand rides are looked up several times per merge; a table of nodes would spend
// most of that on allocations and cache misses.
class SideIndex {
public:
    explicit SideIndex(const Lines& side)
        : side_(side.data()), hashes_(Hashes(side)), next_(side.size(), kNone) {
        std::size_t size = 16;
        while (size < side.size() * 2) size *= 2;
        slots_.assign(size, kNone);
        mask_ = size - 1;
        for (std::size_t j = side.size(); j-- > 0;) {
            std::uint32_t& slot = slots_[Slot(side[j], hashes_[j])];
            next_[j] = slot;
            slot = static_cast<std::uint32_t>(j);
        }
    }

    // For each base line in order (`hashes` theirs), the side's next identical line not taken
    // yet, or kNone.
    std::vector<std::uint32_t> PairIdentical(const Lines& base,
                                             const std::vector<std::size_t>& hashes) const {
        std::vector<std::uint32_t> cursor = slots_;
        std::vector<std::uint32_t> paired(base.size(), kNone);
        for (std::size_t i = 0; i < base.size(); ++i) {
            std::uint32_t& at = cursor[Slot(base[i], hashes[i])];
            if (at == kNone) continue;
            paired[i] = at;
            at = next_[at];
        }
        return paired;
    }

private:
    // The slot of `line`: the one that holds its first place, or the empty one it would take.
    std::size_t Slot(std::string_view line, std::size_t hash) const {
        for (std::size_t s = hash & mask_;; s = (s + 1) & mask_) {
            const std::uint32_t j = slots_[s];
            if (j == kNone || (hashes_[j] == hash && side_[j] == line)) return s;
        }
    }

    const std::string_view* side_;  // the side's lines, which outlive the index
    std::vector<std::size_t> hashes_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint32_t> slots_;
    std::size_t mask_ = 0;
};

// One side held against the base.
struct SideMatch {
    std::vector<std::uint32_t> sideOf;  // per base ride: its ride on the side, kNone: deleted
    std::vector<bool> same;             // per base ride: that ride is identical
    std::vector<std::uint32_t> baseOf;  // per side ride: its base ride, kNone: added
};

// The longest run of identical pairs that keeps its order on both (patience sorting), as
// (base, side) places in ascending order.
std::vector<std::pair<std::uint32_t, std::uint32_t>> Anchors(
    const std::vector<std::uint32_t>& sideOf) {
    std::vector<std::uint32_t> tails;  // base places ending the best run of each length
    std::vector<std::uint32_t> before(sideOf.size(), kNone);
    for (std::uint32_t i = 0; i < sideOf.size(); ++i) {
        if (sideOf[i] == kNone) continue;
        // Most pairs extend the longest run: no search for them.
        if (!tails.empty() && sideOf[tails.back()] < sideOf[i]) {
            before[i] = tails.back();
            tails.push_back(i);
            continue;
        }
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), sideOf[i],
                             [&](std::uint32_t b, std::uint32_t side) { return sideOf[b] < side; });
        if (at != tails.begin()) before[i] = *(at - 1);
        if (at == tails.end()) {
            tails.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> anchors;
    for (std::uint32_t i = tails.empty() ? kNone : tails.back(); i != kNone; i = before[i])
        anchors.emplace_back(i, sideOf[i]);
    std::reverse(anchors.begin(), anchors.end());
    return anchors;
}

SideMatch Match(const Lines& base, const Lines& side, std::vector<std::uint32_t> identical) {
    SideMatch m{std::move(identical), std::vector<bool>(base.size()),
                std::vector<std::uint32_t>(side.size(), kNone)};
    for (std::uint32_t i = 0; i < base.size(); ++i) {
        if (m.sideOf[i] == kNone) continue;
        m.same[i] = true;
        m.baseOf[m.sideOf[i]] = i;
    }
    const auto anchors = Anchors(m.sideOf);
    const auto lastGap = static_cast<std::uint32_t>(anchors.size());

    // The left-over rides of both, each with its gap: the anchors before it.
    struct Left {
        std::uint32_t gap;
        std::string_view date;
        std::uint32_t place;
    };
    std::vector<Left> baseLeft;
    std::vector<Left> sideLeft;
    for (std::uint32_t i = 0, gap = 0; i < base.size(); ++i) {
        while (gap < lastGap && anchors[gap].first < i) ++gap;
        if (m.sideOf[i] == kNone) baseLeft.push_back({gap, DateOf(base[i]), i});
    }
    for (std::uint32_t j = 0, gap = 0; j < side.size(); ++j) {
        while (gap < lastGap && anchors[gap].second < j) ++gap;
        if (m.baseOf[j] == kNone) sideLeft.push_back({gap, DateOf(side[j]), j});
    }
    const auto pair = [&](std::uint32_t i, std::uint32_t j) {
        m.sideOf[i] = j;
        m.baseOf[j] = i;
    };

    // The same date in the same gap, first with first.
    std::vector<Left> byDate = sideLeft;
    const auto order = [](const Left& a, const Left& b) {
        return std::tie(a.gap, a.date, a.place) < std::tie(b.gap, b.date, b.place);
    };
    std::sort(byDate.begin(), byDate.end(), order);
    for (const Left& b : baseLeft) {
        auto at = std::lower_bound(byDate.begin(), byDate.end(), Left{b.gap, b.date, 0}, order);
        for (; at != byDate.end() && at->gap == b.gap && at->date == b.date; ++at) {
            if (m.baseOf[at->place] != kNone) continue;
            pair(b.place, at->place);
            break;
        }
    }

    // One ride left on each side of a gap before the last anchor: that ride, its date changed.
    std::unordered_map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>>
        alone;  // gap -> i, j
    std::unordered_map<std::uint32_t, std::pair<int, int>> counts;
    for (const Left& b : baseLeft) {
        if (b.gap == lastGap || m.sideOf[b.place] != kNone) continue;
        ++counts[b.gap].first;
        alone[b.gap].first = b.place;
    }
    for (const Left& s : sideLeft) {
        if (s.gap == lastGap || m.baseOf[s.place] != kNone) continue;
        ++counts[s.gap].second;
        alone[s.gap].second = s.place;
    }
    for (const auto& [gap, n] : counts) {
        if (n.first == 1 && n.second == 1) pair(alone[gap].first, alone[gap].second);
    }
    return m;
}

struct BaseChoice {
    std::string path;
    std::shared_ptr<const std::string> bytes;
    Lines lines;
    std::vector<std::uint32_t> inLocal;
    std::vector<std::uint32_t> inCopy;
    std::size_t foundInCopy = 0;
    std::size_t localOnly = 0;
};

// See PlanMerge.
BaseChoice ChooseBase(const std::string& diaryPath, const std::string& backupFolder,
                      const SideIndex& local, const SideIndex& copy) {
    BaseChoice best;
    for (const BackupEntry& entry : BackupsByName(diaryPath, backupFolder)) {
        BaseChoice candidate;
        try {
            std::optional<std::string> bytes = ReadWholeFile(entry.path);
            if (!bytes) continue;
            candidate.bytes = std::make_shared<const std::string>(std::move(*bytes));
        } catch (const ReadError&) {
            continue;
        }
        candidate.path = entry.path;
        candidate.lines = RideLines(*candidate.bytes);
        const std::vector<std::size_t> hashes = Hashes(candidate.lines);
        candidate.inLocal = local.PairIdentical(candidate.lines, hashes);
        candidate.inCopy = copy.PairIdentical(candidate.lines, hashes);
        std::size_t inBoth = 0;
        for (std::size_t i = 0; i < candidate.lines.size(); ++i) {
            const bool c = candidate.inCopy[i] != kNone;
            const bool l = candidate.inLocal[i] != kNone;
            candidate.foundInCopy += c;
            candidate.localOnly += l && !c;
            inBoth += l && c;
        }
        if (candidate.foundInCopy == 0) continue;
        if (best.bytes == nullptr || candidate.foundInCopy > best.foundInCopy ||
            (candidate.foundInCopy == best.foundInCopy && candidate.localOnly < best.localOnly)) {
            best = std::move(candidate);
        }
        // Both sides still hold every ride of this one: neither changed or deleted anything
        // since, and an older backup can only know less.
        if (inBoth == best.lines.size() && best.path == entry.path) break;
    }
    return best;
}

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace

bool IsConflictCopyName(std::string_view diaryName, std::string_view candidate) {
    const std::size_t dot = diaryName.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    const std::string_view stem = hasExtension ? diaryName.substr(0, dot) : diaryName;
    const std::string_view extension = hasExtension ? diaryName.substr(dot) : std::string_view();
    if (stem.empty() || candidate.size() <= stem.size() + extension.size() ||
        !candidate.starts_with(stem) || !candidate.ends_with(extension))
        return false;
    // Syncthing; Nextcloud and ownCloud (newer ones name the user); Dropbox, whose apostrophe
    // may be a typographic one and which counts a second copy of the same day.
    static const std::regex kMark(
        R"(\.sync-conflict-\d{8}-\d{6}-[0-9A-Z]{7})"
        R"(| \(conflicted copy (?:.+ )?\d{4}-\d{2}-\d{2} \d{6}\))"
        R"(| \(.+(?:'|\xE2\x80\x99)s conflicted copy \d{4}-\d{2}-\d{2}(?: \(\d+\))?\))");
    const std::string mark(
        candidate.substr(stem.size(), candidate.size() - stem.size() - extension.size()));
    return std::regex_match(mark, kMark);
}

std::vector<std::string> FindConflictCopies(const std::string& diaryPath) {
    std::vector<std::pair<fs::path, std::string>> places{
        {fs::path(diaryPath).parent_path(), NameOf(diaryPath)}};
    std::error_code ec;
    const fs::path target = fs::canonical(diaryPath, ec);
    if (!ec) places.emplace_back(target.parent_path(), target.filename().string());
    std::vector<std::string> found;
    for (const auto& [folder, name] : places) {
        for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
             !ec && it != end; it.increment(ec)) {
            const std::string candidate = it->path().filename().string();
            std::error_code regular;
            if (!IsConflictCopyName(name, candidate) || !fs::is_regular_file(it->path(), regular))
                continue;
            std::string path = (folder / candidate).string();
            if (std::find(found.begin(), found.end(), path) == found.end())
                found.push_back(std::move(path));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::size_t MergePlan::ExtraRides() const {
    std::size_t extra = added;
    for (const std::size_t k : conflicts) extra += items[k].copy.has_value();
    return extra;
}

std::vector<std::string_view> MergePlan::Result(const std::vector<MergeChoice>& choices) const {
    std::vector<std::string_view> lines;
    lines.reserve(localLines.size() + items.size());
    struct Tail {
        double day;
        std::string_view line;
    };
    std::vector<Tail> tail;
    const auto later = [&](const MergeItem& item) {
        tail.push_back(
            {item.copyDay.value_or(std::numeric_limits<double>::infinity()), *item.copy});
    };
    std::size_t conflict = 0;
    const auto apply = [&](const MergeItem& item) {
        switch (item.kind) {
            case MergeItem::Kind::Changed:
                lines.push_back(*item.copy);
                break;
            case MergeItem::Kind::Removed:
                break;
            case MergeItem::Kind::Added:
                later(item);
                break;
            case MergeItem::Kind::Conflict: {
                const MergeChoice choice =
                    conflict < choices.size() ? choices[conflict] : MergeChoice::KeepBoth;
                ++conflict;
                if (item.local && choice != MergeChoice::Copy) lines.push_back(*item.local);
                if (!item.copy || choice == MergeChoice::Local) break;
                if (item.local && choice == MergeChoice::Copy) {
                    lines.push_back(*item.copy);
                } else {
                    later(item);
                }
                break;
            }
        }
    };
    std::size_t next = 0;
    for (std::size_t j = 0; j < localLines.size(); ++j) {
        if (next < items.size() && items[next].place == j) {
            apply(items[next++]);
        } else {
            lines.push_back(localLines[j]);
        }
    }
    for (; next < items.size(); ++next) apply(items[next]);
    std::stable_sort(tail.begin(), tail.end(),
                     [](const Tail& a, const Tail& b) { return a.day < b.day; });
    for (const Tail& t : tail) lines.push_back(t.line);
    return lines;
}

MergePlan PlanMerge(const std::string& diaryPath, const std::string& copyPath,
                    const std::string& backupFolder, const RegionalSettings& regional) {
    MergePlan plan;
    plan.diaryPath = diaryPath;
    plan.copyPath = copyPath;
    std::optional<std::string> copyBytes = ReadWholeFile(copyPath);
    if (!copyBytes)
        throw ReadError(copyPath, "Kopie deníku „" + NameOf(copyPath) + "“ už neexistuje.");
    if (copyBytes->find('\0') != std::string::npos || !HasRideSection(*copyBytes)) {
        throw ReadError(copyPath, "Soubor „" + NameOf(copyPath) +
                                      "“ není deník (nemá oddíl jízd), nelze ho sloučit. Nic "
                                      "nebylo změněno.");
    }
    plan.copyBytes = std::make_shared<const std::string>(std::move(*copyBytes));
    plan.diaryBytes =
        std::make_shared<const std::string>(ReadWholeFile(diaryPath).value_or(std::string()));
    plan.localLines = RideLines(*plan.diaryBytes);
    const Lines& local = plan.localLines;
    const Lines copy = RideLines(*plan.copyBytes);
    const SideIndex localIndex(local);
    const SideIndex copyIndex(copy);
    BaseChoice base = ChooseBase(diaryPath, backupFolder, localIndex, copyIndex);
    plan.basePath = base.path;
    plan.baseBytes = base.bytes;
    const Lines& b = base.lines;
    const SideMatch ml = Match(b, local, std::move(base.inLocal));
    const SideMatch mc = Match(b, copy, std::move(base.inCopy));

    const auto dayOf = [&](std::string_view line) -> std::optional<double> {
        return ReadDateDays(regional, DateOf(line));
    };
    using Kind = MergeItem::Kind;
    std::unordered_map<std::string_view, std::size_t> addedHere;
    for (std::uint32_t j = 0; j < local.size(); ++j) {
        const std::uint32_t i = ml.baseOf[j];
        if (i == kNone) {
            ++addedHere[local[j]];
            continue;
        }
        MergeItem item{Kind::Removed, j, local[j], std::nullopt, b[i], std::nullopt};
        const std::uint32_t c = mc.sideOf[i];
        if (c == kNone) {
            if (!ml.same[i]) item.kind = Kind::Conflict;
        } else {
            // Unchanged in the copy, or changed alike on both: the local ride stays.
            if (mc.same[i] || local[j] == copy[c]) continue;
            item.copy = copy[c];
            item.copyDay = dayOf(copy[c]);
            item.kind = ml.same[i] ? Kind::Changed : Kind::Conflict;
        }
        plan.items.push_back(item);
    }
    // The copy's rides that have no place among the local ones, in date order.
    struct Later {
        MergeItem item;
        std::uint32_t place;  // in the copy
    };
    std::vector<Later> later;
    for (std::uint32_t i = 0; i < b.size(); ++i) {
        const std::uint32_t c = mc.sideOf[i];
        if (ml.sideOf[i] != kNone || c == kNone || mc.same[i]) continue;
        later.push_back(
            {{Kind::Conflict, MergeItem::kNoPlace, std::nullopt, copy[c], b[i], dayOf(copy[c])},
             c});
    }
    for (std::uint32_t c = 0; c < copy.size(); ++c) {
        if (mc.baseOf[c] != kNone) continue;
        // Added alike on both sides: kept once.
        if (const auto it = addedHere.find(copy[c]); it != addedHere.end() && it->second > 0) {
            --it->second;
            continue;
        }
        later.push_back({{Kind::Added, MergeItem::kNoPlace, std::nullopt, copy[c], std::nullopt,
                          dayOf(copy[c])},
                         c});
    }
    std::sort(later.begin(), later.end(), [](const Later& x, const Later& y) {
        constexpr double kUndated = std::numeric_limits<double>::infinity();
        return std::pair(x.item.copyDay.value_or(kUndated), x.place) <
               std::pair(y.item.copyDay.value_or(kUndated), y.place);
    });
    for (Later& l : later) plan.items.push_back(l.item);

    for (std::size_t k = 0; k < plan.items.size(); ++k) {
        switch (plan.items[k].kind) {
            case Kind::Added:
                ++plan.added;
                break;
            case Kind::Changed:
                ++plan.changed;
                break;
            case Kind::Removed:
                ++plan.removed;
                break;
            case Kind::Conflict:
                plan.conflicts.push_back(k);
                break;
        }
    }
    return plan;
}

MergeOutcome ApplyMerge(const MergePlan& plan, const std::vector<MergeChoice>& choices,
                        const std::string& backupFolder, const Date& today,
                        std::chrono::milliseconds timeout) {
    if (!IsValidDate(today)) throw InvalidValueError("impossible backup date");
    MergeOutcome outcome;
    const FileLock lock(plan.diaryPath, LockedFile::Diary, timeout);
    std::string found = ReadWholeFile(plan.diaryPath).value_or(std::string());
    const std::optional<std::string> copy = ReadWholeFile(plan.copyPath);
    if (found != *plan.diaryBytes || !copy || *copy != *plan.copyBytes) {
        outcome.message =
            "Deník nebo jeho kopie ze synchronizace se mezitím změnily. Nic nebylo sloučeno; "
            "sloučení je třeba spustit znovu.";
        outcome.bytes = std::make_shared<const std::string>(std::move(found));
        return outcome;
    }
    try {
        (void)KeepDailyBackupOf(found, plan.diaryPath, backupFolder, today);
    } catch (const WriteError&) {
        outcome.backupFailure = std::current_exception();
    }
    outcome.undoBackup = KeepNumberedBackupOf(found, plan.diaryPath, backupFolder, today);
    // The bikes and their parts are the union of both sides; the goals stay the local ones.
    std::string merged = MergeBikeSections(WithRideLines(found, plan.Result(choices)), *copy);
    AtomicWriteFile(plan.diaryPath, merged);
    outcome.applied = true;
    outcome.bytes = std::make_shared<const std::string>(std::move(merged));
    try {
        outcome.movedCopy = MoveIntoFolder(plan.copyPath, backupFolder);
    } catch (const WriteError&) {
        outcome.moveFailure = std::current_exception();
    }
    return outcome;
}

std::string MoveIntoFolder(const std::string& path, const std::string& folder) {
    std::error_code ec;
    const fs::path dir(folder);
    if (!dir.parent_path().empty()) fs::create_directories(dir.parent_path(), ec);
    // Backups hold whole diaries: only their owner looks into the folder.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw WriteError(folder, errno);
    const fs::path name = fs::path(path).filename();
    for (int n = 1; n < 1000; ++n) {
        const fs::path target = dir / (n == 1 ? name.string()
                                              : name.stem().string() + " (" + std::to_string(n) +
                                                    ")" + name.extension().string());
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return target.string();
        if (errno == EEXIST) continue;
        if (errno != EXDEV && errno != EINVAL) throw WriteError(path, errno);
        // Another file system (or one that cannot refuse to replace): a copy, then the original
        // goes.
        const UniqueFd source(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!source.Open()) throw WriteError(path, errno);
        if (!AtomicCopyFile(source.Descriptor(), target.string(), AtomicWriteOptions{path, true}))
            continue;
        if (::unlink(path.c_str()) != 0) throw WriteError(path, errno);
        return target.string();
    }
    throw WriteError(path, EEXIST);
}

std::string ConflictCopyNote(const MergePlan* plan) {
    std::string note = "Vedle deníku je kopie ze synchronizace";
    if (plan != nullptr)
        note += ": " +
                CzechCount(static_cast<long long>(plan->ExtraRides()), "jízda", "jízdy", "jízd") +
                " navíc";
    return note + ". Sloučit…";
}

}  // namespace diary
