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
constexpr std::string_view kWindowSection = "okna";

// "75, 90,x" as {75, 90, nullopt}: the comma-separated whole numbers of a value, each trimmed
// (a hand-edited "75, 90" means what it says).
std::vector<std::optional<int>> WholeNumbers(std::string_view rest) {
    std::vector<std::optional<int>> numbers;
    if (rest.empty()) return numbers;
    while (true) {
        const std::size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
            item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        int value = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
        const bool whole =
            !item.empty() && error == std::errc() && end == item.data() + item.size();
        numbers.push_back(whole ? std::optional<int>(value) : std::nullopt);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return numbers;
}

void AppendNumber(std::string& out, int value) {
    char buf[16];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

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
    for (const std::optional<int> width : WholeNumbers(text))
        widths.push_back(width && *width >= 1 && *width <= kMaxColumnWidth ? *width : 0);
    return widths;
}

void WriteColumnWidths(const std::string& settingsPath,
                       const std::vector<ListColumnWidths>& lists) {
    Profile profile = Profile::Load(settingsPath);
    for (const ListColumnWidths& entry : lists) {
        std::string value;
        for (const int width : entry.widths) {
            if (!value.empty()) value += ',';
            AppendNumber(value, width);
        }
        profile.Set(kColumnSection, entry.list, value);
    }
    profile.Save(settingsPath);
}

std::optional<WindowPlace> ReadWindowPlace(const std::string& settingsPath,
                                           std::string_view window) {
    const auto numbers = WholeNumbers(ReadProfileString(settingsPath, kWindowSection, window, ""));
    if (numbers.size() != 4 && numbers.size() != 5) return std::nullopt;
    for (const std::optional<int>& n : numbers)
        if (!n) return std::nullopt;
    WindowPlace place{*numbers[0], *numbers[1], *numbers[2], *numbers[3],
                      numbers.size() == 5 && *numbers[4] == 1};
    const auto size = [](int n) { return n >= 1 && n <= kMaxColumnWidth; };
    if (!size(place.width) || !size(place.height)) return std::nullopt;
    return place;
}

void WriteWindowPlaces(const std::string& settingsPath,
                       const std::vector<std::pair<std::string, WindowPlace>>& places) {
    (void)ChangeUnderLock(
        settingsPath, LockedFile::Settings, kLockTimeout, [&](std::string& bytes) {
            Profile profile(std::move(bytes));
            for (const auto& [window, place] : places) {
                std::string value;
                for (const int n : {place.x, place.y, place.width, place.height}) {
                    if (!value.empty()) value += ',';
                    AppendNumber(value, n);
                }
                if (place.maximized) value += ",1";
                profile.Set(kWindowSection, window, value);
            }
            bytes = std::move(profile).TakeBytes();
            return true;
        });
}

}  // namespace diary
