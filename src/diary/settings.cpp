#include "diary/settings.h"

#include <charconv>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/locked_change.h"
#include "diary/profile.h"

namespace diary {
namespace {

constexpr std::string_view kFileSection = "soubor";
constexpr std::string_view kFileKey = "file";
constexpr std::string_view kPlaceSections[] = {"odkud", "kam", "pres"};
constexpr std::string_view kColumnSection = "sloupce";

std::string Join(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string path = folder;
    if (path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string NumberedLines(const std::vector<std::string>& values) {
    std::string out;
    std::size_t n = 0;
    for (const std::string& v : values) {
        char buf[24];
        const auto end = std::to_chars(buf, buf + sizeof buf, ++n).ptr;
        out.append(buf, end).append("=").append(v).append("\r\n");
    }
    return out;
}

std::vector<std::string> PlacesOf(std::string_view bytes, std::string_view section) {
    std::vector<std::string> places;
    for (const Profile::Entry& entry : NumberedEntries(bytes, section)) {
        places.emplace_back(entry.value);
    }
    return places;
}

PlaceLists ListsOf(std::string_view bytes) {
    return {PlacesOf(bytes, kPlaceSections[0]), PlacesOf(bytes, kPlaceSections[1]),
            PlacesOf(bytes, kPlaceSections[2])};
}

void CheckPlaces(const PlaceLists& lists) {
    for (const auto* list : {&lists.from, &lists.to, &lists.via}) {
        for (const std::string& place : *list) CheckProfileValue(place);
    }
}

// Erases the three sections of `profile`, writes the lists in their place and hands back the
// bytes to save. Every copy
// of a section goes: with only the first erased, a forgotten duplicate section further down
// would come to light with its stale places.
std::string WithLists(Profile profile, const PlaceLists& lists) {
    for (std::string_view section : kPlaceSections) {
        while (profile.RemoveSection(section)) {
        }
    }
    const std::vector<std::string>* ordered[] = {&lists.from, &lists.to, &lists.via};
    for (int i = 0; i < 3; ++i) {
        if (ordered[i]->empty()) continue;
        profile.ReplaceSectionLines(kPlaceSections[i], kPlaceSections[i],
                                    NumberedLines(*ordered[i]));
    }
    return std::move(profile).TakeBytes();
}

}  // namespace

std::string SettingsPath(const std::string& folder) { return Join(folder, kSettingsFileName); }

std::string DefaultDiaryPath(const std::string& folder) { return Join(folder, kDefaultDiaryName); }

std::string ReadLastDiary(const std::string& settingsPath, const std::string& defaultDiary) {
    return ReadProfileString(settingsPath, kFileSection, kFileKey, defaultDiary);
}

void WriteLastDiary(const std::string& settingsPath, const std::string& diaryPath) {
    CheckProfileValue(diaryPath);
    (void)ChangeUnderLock(settingsPath, LockedFile::Settings, kLockTimeout,
                          [&](std::string& bytes) {
                              Profile profile(std::move(bytes));
                              profile.Set(kFileSection, kFileKey, diaryPath);
                              bytes = std::move(profile).TakeBytes();
                              return true;
                          });
}

std::vector<std::string> ReadPlaceList(const std::string& settingsPath, std::string_view section) {
    const auto bytes = ReadWholeFile(settingsPath);
    return bytes ? PlacesOf(*bytes, section) : std::vector<std::string>();
}

PlaceLists ReadPlaceLists(const std::string& settingsPath) {
    const auto bytes = ReadWholeFile(settingsPath);
    return bytes ? ListsOf(*bytes) : PlaceLists();
}

void WritePlaceLists(const std::string& settingsPath, const std::vector<std::string>& fromList,
                     const std::vector<std::string>& toList,
                     const std::vector<std::string>& viaList) {
    const PlaceLists lists{fromList, toList, viaList};
    CheckPlaces(lists);
    (void)ChangeUnderLock(settingsPath, LockedFile::Settings, kLockTimeout,
                          [&](std::string& bytes) {
                              bytes = WithLists(Profile(std::move(bytes)), lists);
                              return true;
                          });
}

std::string PlaceListsChange::Message() const {
    if (applied) return {};
    return "Seznamy míst mezitím změnil jiný program. Nic nebylo uloženo; editor teď ukazuje "
           "seznamy tak, jak jsou uloženy.";
}

PlaceListsChange ReplacePlaceLists(const std::string& settingsPath, const PlaceLists& opened,
                                   const PlaceLists& lists, std::chrono::milliseconds timeout) {
    CheckPlaces(lists);
    PlaceListsChange change;
    (void)ChangeUnderLock(settingsPath, LockedFile::Settings, timeout, [&](std::string& bytes) {
        change.lists = ListsOf(bytes);
        if (change.lists != opened) return false;
        bytes = WithLists(Profile(std::move(bytes)), lists);
        change.applied = true;
        change.lists = lists;
        return true;
    });
    return change;
}

std::vector<int> ReadColumnWidths(const std::string& settingsPath, std::string_view list) {
    const std::string text = ReadProfileString(settingsPath, kColumnSection, list, "");
    std::vector<int> widths;
    if (text.empty()) return widths;
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        // A hand-edited "75, 90" means what it says.
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
            item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        int width = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), width);
        const bool whole = error == std::errc() && end == item.data() + item.size();
        widths.push_back(whole && width >= 1 && width <= kMaxColumnWidth ? width : 0);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return widths;
}

void WriteColumnWidths(const std::string& settingsPath,
                       const std::vector<ListColumnWidths>& lists) {
    Profile profile = Profile::Load(settingsPath);
    for (const ListColumnWidths& entry : lists) {
        std::string value;
        for (const int width : entry.widths) {
            if (!value.empty()) value += ',';
            char buf[16];
            value.append(buf, std::to_chars(buf, buf + sizeof buf, width).ptr);
        }
        profile.Set(kColumnSection, entry.list, value);
    }
    profile.Save(settingsPath);
}

}  // namespace diary
