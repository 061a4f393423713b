#pragma once
// The settings file "vamo2001.ini": the last open diary and the three place lists.
// Every function takes the settings file's path; the caller decides where it lives.

#include <string>
#include <string_view>
#include <vector>

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

}  // namespace diary
