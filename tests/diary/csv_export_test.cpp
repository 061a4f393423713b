// The diary as CSV: exact bytes for a small list, and every cell read back by a real CSV
// reader (Python's csv module) for cells full of separators, quotes and Czech letters.

#include "diary/csv_export.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/cp1250.h"
#include "diary/errors.h"
#include "diary/regional.h"

namespace {

using diary::Field;

// A row from UTF-8 field texts in file order, stored as the diary stores them (code page 1250).
diary::RecordRow Row(const std::string& number, const std::array<std::string, 11>& utf8,
                     const std::string& bike = "") {
    diary::DiaryRecord r;
    r.number = number;
    for (std::size_t i = 0; i < utf8.size(); ++i) r.fields[i] = diary::Utf8ToCp1250(utf8[i]);
    r[Field::Bike] = diary::Utf8ToCp1250(bike);
    return diary::RecordRow(r);
}

diary::RegionalSettings Us() { return {"%m/%d/%Y", "."}; }

TEST(FormatCsv, WritesTheListAsExactBytes) {
    const std::vector<diary::RecordRow> rows = {
        Row("1",
            {"18.5.2024", "Doma", "Lhota", "Ves", "1200", "1235", "35", "21,5", "41", "1 h 45 min",
             "vítr \"od západu\""},
            "Horské, 26\""),
        Row("2", {"", "", "", "", "", "", "", "", "", "", ""}),
        // Numbers typed with either separator, and what is no number, in the number fields.
        Row("3", {"1.6.2024", "", "", "", "1200.5", "cca 40", "1,2,3", "3.6", "-0,5", "", "3.6"}),
    };
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* label;
        diary::RegionalSettings regional;
        std::string bytes;
    } cases[] = {
        {"decimal comma: semicolons", diary::RegionalSettings::Czech(),
         bom + ";Datum;Odkud;Přes;Kam;Odjezd;Ujeto;Příjezd;Čas jízdy;Prům. r.;Max. r.;Poznámky;"
               "Kolo\r\n"
               "1;18.5.2024;Doma;Ves;Lhota;1200;35;1235;1 h 45 min;21,5;41;"
               "\"vítr \"\"od západu\"\"\";\"Horské, 26\"\"\"\r\n"
               "2;;;;;;;;;;;;\r\n"
               "3;1.6.2024;;;;1200,5;1,2,3;cca 40;;3,6;-0,5;3.6;\r\n"},
        {"decimal point: commas", Us(),
         bom + ",Datum,Odkud,Přes,Kam,Odjezd,Ujeto,Příjezd,Čas jízdy,Prům. r.,Max. r.,Poznámky,"
               "Kolo\r\n"
               "1,18.5.2024,Doma,Ves,Lhota,1200,35,1235,1 h 45 min,21.5,41,"
               "\"vítr \"\"od západu\"\"\",\"Horské, 26\"\"\"\r\n"
               "2,,,,,,,,,,,,\r\n"
               "3,1.6.2024,,,,1200.5,\"1,2,3\",cca 40,,3.6,-0.5,3.6,\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(diary::FormatCsv(diary::ListCsvColumns(), rows, c.regional), c.bytes) << c.label;
    }
    EXPECT_EQ(diary::FormatCsv(diary::ListCsvColumns(), {}, diary::RegionalSettings::Czech()),
              bom +
                  ";Datum;Odkud;Přes;Kam;Odjezd;Ujeto;Příjezd;Čas jízdy;Prům. r.;Max. r.;"
                  "Poznámky;Kolo\r\n")
        << "no rides: the captions alone";
}

// A text cell that a spreadsheet would run as a formula is kept text by a leading apostrophe;
// numbers, dates and other text are written as they are.
TEST(FormatCsv, CellsASpreadsheetWouldRunGetAnApostrophe) {
    const std::vector<diary::CsvColumn> note = {
        {"P", [](const diary::RecordRow& row) { return row.Get(Field::Note); }}};
    const auto cell = [&](const std::string& text) {
        const std::string csv =
            diary::FormatCsv(note, {Row("1", {"", "", "", "", "", "", "", "", "", "", text})},
                             diary::RegionalSettings::Czech());
        return csv.substr(6, csv.size() - 8);  // without the captions' line and the CRLF
    };
    for (const std::string text : {"=1+1", "+420 7", "@SUM(A1)", "\t=1", "-", "-2+3", "-1,2,3"})
        EXPECT_EQ(cell(text), "'" + text);
    for (const std::string text : {"\r=1", "=A;B"}) EXPECT_EQ(cell(text), "\"'" + text + "\"");
    for (const std::string text : {"-5", "-21,5", "-0.5", "1.5.2024", "a=b", ""})
        EXPECT_EQ(cell(text), text);
}

std::string Hex(const std::string& utf8) {
    if (utf8.empty()) return "-";
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const char c : utf8) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

// What Python's csv module reads from `path`: one line a row, each cell as hex.
std::string PythonCells(const std::string& path, char separator) {
    const std::string command =
        std::string("python3 '") + CSV_READER_SCRIPT + "' '" + path + "' '" + separator + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "(no python3)";
    std::string out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    const int status = ::pclose(pipe);
    return status == 0 ? out : "(python3 failed) " + out;
}

TEST(ExportCsv, ARealCsvReaderReadsEveryCellBack) {
    const std::vector<diary::RecordRow> rows = {
        // Numbers without a decimal separator: the cells below read back as typed.
        Row("1", {"18.5.2024", "Žďár; nad Sázavou", "\"Kam\"", "Ves, Lhota", "1 200,5", "1235",
                  "35", "21", "41", "1 h 45 min", "\"; , \"\""}),
        Row("2", {" 1.1.2001", "Příliš žluťoučký kůň úpěl ďábelské ódy", "ŠČŘŽÝÁÍÉŮÚŤĎŇ", "€‚„…",
                  "", "", "", "", "", "", "   "}),
        Row("10", {"", "a\"b", "\"", ";", ",", "\"\"", "x;y,z", "", "", "", ""}),
    };
    // One more column after the list's own.
    std::vector<diary::CsvColumn> columns = diary::ListCsvColumns();
    columns[0].caption = "Číslo";
    columns[2].caption = "Odkud; \"kam\", přes";
    columns[11].caption = "Poznámky\r\nřádek\ndva";
    columns.push_back({"Kolo \"silniční\"", [](const diary::RecordRow& row) {
                           return row.Get(Field::Note).substr(0, 2);
                       }});

    testsupport::TempDir dir;
    for (const auto& regional : {diary::RegionalSettings::Czech(), Us()}) {
        const char separator = diary::CsvSeparator(regional);
        SCOPED_TRACE(std::string("separator ") + separator);
        const std::string path = dir.File("jizdy.csv");
        diary::ExportCsv(path, columns, rows, regional);

        std::ostringstream want;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            want << (c > 0 ? " " : "") << Hex(columns[c].caption);
        }
        want << "\n";
        for (const diary::RecordRow& row : rows) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                want << (c > 0 ? " " : "") << Hex(diary::Cp1250ToUtf8(columns[c].text(row)));
            }
            want << "\n";
        }
        EXPECT_EQ(PythonCells(path, separator), want.str());
        const std::string bytes = testsupport::ReadFileBytes(path);
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    }
}

TEST(ExportCsv, AFailedWriteLeavesNoFileAndSaysWhere) {
    testsupport::TempDir dir;
    const std::string path = dir.File("chybí/jizdy.csv");
    try {
        diary::ExportCsv(path, diary::ListCsvColumns(), {}, diary::RegionalSettings::Czech());
        ADD_FAILURE() << "written";
    } catch (const diary::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_FALSE(testsupport::FileExists(path));
}

}  // namespace
