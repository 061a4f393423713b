// Rows found by record number in one step give what a scan from the top gives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diary/record.h"
#include "diary/record_table.h"

namespace {

diary::RecordTable TableOf(const std::vector<std::string>& numbers) {
    std::vector<diary::RecordRow> rows;
    for (const std::string& number : numbers) {
        rows.push_back(diary::RecordRow::FromLine(number,
                                                  "1.5.2001\xA7"
                                                  "Doma\xA7"));
    }
    return diary::RecordTable(std::move(rows));
}

struct IndexCase {
    const char* name;
    std::vector<std::string> numbers;  // the table's rows, in list order
    std::vector<std::string> asked;
};

class NumberIndexFind : public ::testing::TestWithParam<IndexCase> {};

TEST_P(NumberIndexFind, AnswersAsFindNumber) {
    const diary::RecordTable table = TableOf(GetParam().numbers);
    const diary::NumberIndex index(table);
    for (const std::string& number : GetParam().asked) {
        EXPECT_EQ(index.Find(number), table.FindNumber(number)) << "number '" << number << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberIndexFind,
    ::testing::Values(
        IndexCase{"Empty", {}, {"1", "0", ""}},
        IndexCase{"InOrder", {"1", "2", "3"}, {"1", "2", "3", "4", "0", "01", " 1", "1 ", "-1"}},
        IndexCase{"SortedByAnotherColumn", {"3", "1", "2"}, {"1", "2", "3"}},
        IndexCase{"DuplicateNumbersFirstWins", {"2", "1", "2"}, {"2", "1"}},
        IndexCase{"LeadingZerosAreOtherTexts", {"01", "1", "007"}, {"1", "01", "001", "007", "7"}},
        IndexCase{"FarBeyondTheRowCount",
                  {"1", "99999999999999999999999", "5000"},
                  {"99999999999999999999999", "5000", "99999999999999999999998"}},
        IndexCase{"NotNumbers", {"x", "", "1a"}, {"x", "", "1a", "1"}},
        IndexCase{"Zero", {"0", "1"}, {"0", "00", "1"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
