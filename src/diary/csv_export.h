#pragma once
// The diary's rows as a CSV file for spreadsheets: UTF-8 with a byte order mark (so that a
// spreadsheet takes the Czech letters as such), fields quoted as RFC 4180 says, lines ending
// in CRLF, the file replaced atomically. A text a spreadsheet would run as a formula (it starts
// with "=", "+", "@", a tab, a CR, or "-" and is no negative number) gets a leading apostrophe.
// A number of a number field is written with the user's decimal separator whichever one it was
// typed with ("3.6" is "3,6" for a Czech spreadsheet, which would read "3.6" as a date); a text
// that is no number is written as typed.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/record.h"

namespace diary {

struct RegionalSettings;

// A column: its caption and how a row gives its text. The list's own columns name their list
// column (which the writer reads directly); any other column gives a function.
struct CsvColumn {
    std::string caption;                                     // UTF-8
    std::function<std::string_view(const RecordRow&)> text;  // code page 1250
    int listColumn = -1;  // 0..kColumnCount - 1, or -1 to call `text`
};

// The list's columns, the number and every field in list order, each under its CSV caption from
// kFields. More columns may follow them.
std::vector<CsvColumn> ListCsvColumns();

// ";" where the decimal separator is a comma, so that "21,5" stays one field; "," otherwise.
char CsvSeparator(const RegionalSettings& regional);

// The file's bytes: the byte order mark, the captions, then one line a row in the given order.
std::string FormatCsv(const std::vector<CsvColumn>& columns, const std::vector<RecordRow>& rows,
                      const RegionalSettings& regional);

// Writes FormatCsv(...) to `path` atomically; throws WriteError as every save does.
void ExportCsv(const std::string& path, const std::vector<CsvColumn>& columns,
               const std::vector<RecordRow>& rows, const RegionalSettings& regional);

}  // namespace diary
