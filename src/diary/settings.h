#pragma once
// The settings file "vamo2001.ini": the last open diary and the three place lists.
// Every function takes the settings file's path; the caller decides where it lives. Every write
// is one transaction under the settings file's lock (file_lock.h), shared with every other
// instance of the program; BusyError when another holds it too long.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diary/file_lock.h"

namespace diary {

inline constexpr std::string_view kSettingsFileName = "vamo2001.ini";
inline constexpr std::string_view kDefaultDiaryName = "vamo2001.vam";

// `folder` joined with "vamo2001.ini" / "vamo2001.vam".
std::string SettingsPath(const std::string& folder);
std::string DefaultDiaryPath(const std::string& folder);

// Key "file" of section "soubor"; `defaultDiary` when it is missing (or the file is).
std::string ReadLastDiary(const std::string& settingsPath, const std::string& defaultDiary);
void WriteLastDiary(const std::string& settingsPath, const std::string& diaryPath);

// Keys 1, 2, ... of `section` up to the first missing key, duplicates and empty entries kept.
// A place called "error" is a place like any other.
std::vector<std::string> ReadPlaceList(const std::string& settingsPath, std::string_view section);

// Rewrites the sections "odkud", "kam" and "pres" from the three lists (keys 1..n, an empty
// list leaves its section absent) in one atomic save; a failure leaves the old lists whole.
void WritePlaceLists(const std::string& settingsPath, const std::vector<std::string>& fromList,
                     const std::vector<std::string>& toList,
                     const std::vector<std::string>& viaList);

// The three place lists together, in the order of their sections "odkud", "kam", "pres".
struct PlaceLists {
    std::vector<std::string> from;
    std::vector<std::string> to;
    std::vector<std::string> via;
    bool operator==(const PlaceLists&) const = default;
};

// All three lists from one read of the file.
PlaceLists ReadPlaceLists(const std::string& settingsPath);

struct PlaceListsChange {
    bool applied = false;
    // The lists in the file after the call: the new ones when applied, the other program's
    // otherwise.
    PlaceLists lists;
    // Why nothing was saved, in Czech for the user; empty when applied.
    std::string Message() const;
};

// The place lists editor's save: writes `lists` as WritePlaceLists does, but only when the file
// still holds `opened`, the lists the editor started from; when another program has changed
// them since, nothing is written. Throws InvalidValueError for a place that would not read back
// (before anything is read), BusyError and WriteError as every write does.
[[nodiscard]] PlaceListsChange ReplacePlaceLists(const std::string& settingsPath,
                                                 const PlaceLists& opened, const PlaceLists& lists,
                                                 std::chrono::milliseconds timeout = kLockTimeout);

// Section "sloupce": the column widths the user gave each list, one key per list, the widths
// in pixels joined by commas. Older versions of the program never look at it.
inline constexpr int kMaxColumnWidth = 10000;
struct ListColumnWidths {
    std::string list;  // the key
    std::vector<int> widths;
};
// A width that is not a whole number from 1 to kMaxColumnWidth reads as 0, which leaves that
// column at the program's own width; a missing key or file reads as no widths at all.
std::vector<int> ReadColumnWidths(const std::string& settingsPath, std::string_view list);
// Stores the widths of every list given in one atomic save; other keys and sections stay.
void WriteColumnWidths(const std::string& settingsPath, const std::vector<ListColumnWidths>& lists);

// Section "okna": where the user left each window, one key per window, "x,y,width,height" of
// its normal (not maximised) geometry, the inside without the frame, and ",1" when it was
// maximised. Older versions of the
// program never look at it.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
    bool operator==(const WindowPlace&) const = default;
};
// Nothing for a missing key or file and for a value that is not four or five whole numbers
// with a size from 1 to kMaxColumnWidth (a hand-edited or damaged value leaves the window
// where the program puts it).
std::optional<WindowPlace> ReadWindowPlace(const std::string& settingsPath,
                                           std::string_view window);
// Stores every window given in one atomic save; other keys and sections stay.
void WriteWindowPlaces(const std::string& settingsPath,
                       const std::vector<std::pair<std::string, WindowPlace>>& places);

}  // namespace diary
