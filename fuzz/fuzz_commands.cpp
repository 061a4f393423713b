// Random sequences of the record commands against one diary file, with another program changing
// the file between them and the list going stale: after every step the file must hold exactly
// the rides the model says, a command on a stale row must be applied only when the file still
// holds that very ride, and nothing may be lost or duplicated.

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/record.h"

namespace {

using diary::DiaryRecord;
using diary::RecordRow;

// Few distinct rides, so that a stale row often looks like the one that took its place.
DiaryRecord Ride(std::uint8_t seed) {
    DiaryRecord r;
    r[diary::Field::Date] = std::to_string(1 + seed % 28) + ".5.2001";
    r[diary::Field::Note] = "n" + std::to_string(seed % 6);
    return r;
}

void Renumber(std::vector<DiaryRecord>& rides) {
    for (std::size_t i = 0; i < rides.size(); ++i) rides[i].number = std::to_string(i + 1);
}

// Whether the file still holds `row` under its number, by the model.
bool Holds(const std::vector<DiaryRecord>& truth, const RecordRow& row) {
    const std::size_t at = std::stoul(std::string(row.Number())) - 1;
    return at < truth.size() && RecordRow(truth[at]) == row;
}

const std::string& Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/fuzz_commands.XXXXXX";
        if (::mkdtemp(name) == nullptr) abort();
        return std::string(name);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/d.vam";
    ::unlink(path.c_str());
    std::vector<DiaryRecord> truth;  // what the file must hold
    std::vector<RecordRow> seen;     // the list as last shown, possibly stale
    std::size_t i = 0;
    const auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
    const std::chrono::milliseconds wait(100);
    while (i < size && truth.size() < 64) {
        const std::uint8_t op = next();
        switch (op % 5) {
            case 0: {
                DiaryRecord ride = Ride(next());
                const diary::ChangeResult result = diary::AddRecord(path, ride, wait);
                ride.number = std::to_string(result.number);
                if (result.number != truth.size() + 1) abort();
                truth.push_back(ride);
                seen = result.Rows();
                break;
            }
            case 1:
            case 2: {
                if (seen.empty()) break;
                const RecordRow row = seen[next() % seen.size()];
                const bool holds = Holds(truth, row);
                const std::size_t at = std::stoul(std::string(row.Number())) - 1;
                diary::ChangeResult result;
                if (op % 5 == 1) {
                    DiaryRecord ride = Ride(next());
                    result = diary::EditRecord(path, row, ride, wait);
                    if (holds) {
                        ride.number = truth[at].number;
                        truth[at] = ride;
                    }
                } else {
                    result = diary::DeleteRecord(path, row, wait);
                    if (holds) {
                        truth.erase(truth.begin() + static_cast<std::ptrdiff_t>(at));
                        Renumber(truth);
                    }
                }
                if (result.applied() != holds) abort();
                seen = result.Rows();
                break;
            }
            case 3: {
                // Another program: the file changes, this list does not.
                const std::uint8_t how = next();
                if (!truth.empty() && how % 2 == 0) {
                    truth.erase(truth.begin() +
                                static_cast<std::ptrdiff_t>(how / 2 % truth.size()));
                } else {
                    truth.insert(
                        truth.begin() + static_cast<std::ptrdiff_t>(how % (truth.size() + 1)),
                        Ride(next()));
                }
                Renumber(truth);
                diary::SaveDiary(path, truth);
                break;
            }
            default:
                seen = diary::ReadDiaryRows(path);
                break;
        }
        if (diary::ReadDiary(path) != truth) abort();
    }
    return 0;
}
