#include "TestText.h"

#include <optional>

#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/record.h"

namespace testsupport {

std::string L(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8.substr(i, 2) == "§") {
            out += diary::kSeparator;
            ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

}  // namespace testsupport

namespace testsupport {
namespace {

std::optional<diary::RecordRow> RideOf(const std::string& path, const std::string& number) {
    for (diary::RecordRow& row : diary::ReadDiaryRows(path))
        if (row.Number() == number) return std::move(row);
    return std::nullopt;
}

}  // namespace

void WriteRide(const std::string& path, const std::string& number,
               const diary::DiaryRecord& record) {
    if (const auto ride = RideOf(path, number)) {
        (void)diary::EditRecord(path, *ride, record);
    } else {
        (void)diary::AddRecord(path, record);
    }
}

void DeleteRide(const std::string& path, const std::string& number) {
    if (const auto ride = RideOf(path, number)) (void)diary::DeleteRecord(path, *ride);
}

}  // namespace testsupport
