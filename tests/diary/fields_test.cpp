// The field table drives every field's way through the program: a record line read into a row,
// the row's list cell, the CSV cell under the field's caption, and the line written back.

#include "diary/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diary/cp1250.h"
#include "diary/csv_export.h"
#include "diary/record.h"
#include "diary/regional.h"

namespace {

using diary::Field;
using diary::FieldKind;

// A text of the field's kind, different for every field, with a Czech letter where the kind
// allows one, and never the CSV separator, so that a cell is its field's text alone.
std::string Sample(const diary::FieldInfo& f) {
    const std::string slot = std::to_string(static_cast<int>(f.field));
    switch (f.kind) {
        case FieldKind::Date:
            return slot + ".5.2024";
        case FieldKind::Decimal:
            return "1" + slot + ",5";
        case FieldKind::RideTime:
            return slot + " h 45 min";
        case FieldKind::Text:
            break;
    }
    return diary::Utf8ToCp1250("Žďár " + slot);
}

// The cells of a CSV line that holds no quoted cell.
std::vector<std::string> Cells(std::string_view line) {
    std::vector<std::string> cells(1);
    for (const char c : line) {
        if (c == ';') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

TEST(FieldTable, DrivesEveryFieldFromLineToCsvAndBack) {
    // Every field set, then the optional ones left empty: a line without them is as it was.
    for (const bool optionalSet : {true, false}) {
        SCOPED_TRACE(optionalSet ? "every field set" : "optional fields empty");
        std::string line;
        for (const diary::FieldInfo& f : diary::kFields) {
            if (f.optional && !optionalSet) break;
            line += Sample(f) + diary::kSeparator;
        }
        const diary::RecordRow row = diary::RecordRow::FromLine("7", line);

        const std::string csv =
            diary::FormatCsv(diary::ListCsvColumns(), {row}, diary::RegionalSettings::Czech());
        const std::size_t headerEnd = csv.find("\r\n");
        ASSERT_NE(headerEnd, std::string::npos);
        const std::vector<std::string> header =
            Cells(std::string_view(csv).substr(3, headerEnd - 3));
        const std::vector<std::string> cells =
            Cells(std::string_view(csv).substr(headerEnd + 2, csv.size() - headerEnd - 4));
        ASSERT_EQ(header.size(), std::size_t{diary::kColumnCount});
        ASSERT_EQ(cells.size(), std::size_t{diary::kColumnCount});
        EXPECT_EQ(cells[0], "7");

        diary::DiaryRecord back;
        for (const diary::FieldInfo& f : diary::kFields) {
            SCOPED_TRACE(f.shown.list);
            const std::string text = f.optional && !optionalSet ? "" : Sample(f);
            const auto column = static_cast<std::size_t>(f.column);
            EXPECT_EQ(row.Get(f.field), text);
            EXPECT_EQ(row.Column(f.column), text);
            EXPECT_EQ(header[column], f.shown.csv);
            EXPECT_EQ(cells[column], diary::Cp1250ToUtf8(text));
            back[f.field] = diary::Utf8ToCp1250(cells[column]);
        }
        EXPECT_EQ(diary::FormatRecordLine(back), line);
    }
}

}  // namespace
