// Reads, changes and merges diaries through the program's own core, for the end-to-end run in
// which a real sync tool carries one diary between two folders (two_computers.py):
//
//   sync_driver add DIARY DATE FROM TO KM    a new ride at the end, as "Nový údaj" adds it
//   sync_driver edit DIARY NUMBER NOTE       ride NUMBER gets the note, as "Editovat" saves it
//   sync_driver rides DIARY                  every ride's line (no number: what a ride is wherever
//   it
//                                            is numbered), in UTF-8
//   sync_driver backup DIARY BACKUPS         the day's backup, as the day's first change keeps it
//   sync_driver conflicts DIARY              the conflict copies found beside the diary
//   sync_driver merge DIARY COPY BACKUPS     merges COPY into DIARY, every conflict kept twice
//
// Texts on the command line are UTF-8. Exit status 1 with the message on standard error when
// the core refuses.

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "diary/backup.h"
#include "diary/cp1250.h"
#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/record.h"
#include "diary/regional.h"
#include "diary/sync_merge.h"

namespace {

diary::Date Today() {
    const std::chrono::year_month_day day{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    return {static_cast<int>(day.year()), static_cast<int>(static_cast<unsigned>(day.month())),
            static_cast<int>(static_cast<unsigned>(day.day()))};
}

int Usage() {
    std::fputs("usage: sync_driver add|edit|rides|conflicts|merge DIARY ...\n", stderr);
    return 2;
}

int Refused(const diary::ChangeResult& result) {
    if (result.applied()) return 0;
    std::fprintf(stderr, "%s\n", diary::Cp1250ToUtf8(result.Message()).c_str());
    return 1;
}

int Run(const std::vector<std::string>& args) {
    const std::string& command = args[0];
    const std::string& path = args[1];
    if (command == "add" && args.size() == 6) {
        diary::DiaryRecord ride;
        ride.fields[static_cast<int>(diary::Field::Date)] = args[2];
        ride.fields[static_cast<int>(diary::Field::From)] = diary::Utf8ToCp1250(args[3]);
        ride.fields[static_cast<int>(diary::Field::To)] = diary::Utf8ToCp1250(args[4]);
        ride.fields[static_cast<int>(diary::Field::DistanceKm)] = args[5];
        return Refused(diary::AddRecord(path, ride));
    }
    if (command == "edit" && args.size() == 4) {
        for (const diary::RecordRow& row : diary::ReadDiaryRows(path)) {
            if (row.Number() != args[2]) continue;
            diary::DiaryRecord ride = row.ToRecord();
            ride.fields[static_cast<int>(diary::Field::Note)] = diary::Utf8ToCp1250(args[3]);
            return Refused(diary::EditRecord(path, row, ride));
        }
        std::fprintf(stderr, "no ride %s\n", args[2].c_str());
        return 1;
    }
    if (command == "rides" && args.size() == 2) {
        for (const diary::RecordRow& row : diary::ReadDiaryRows(path)) {
            const std::string line = diary::FormatRecordLine(row.ToRecord());
            std::printf("%s\n", diary::Cp1250ToUtf8(line).c_str());
        }
        return 0;
    }
    if (command == "backup" && args.size() == 3) {
        diary::KeepDailyBackup(path, args[2], Today());
        return 0;
    }
    if (command == "conflicts" && args.size() == 2) {
        for (const std::string& copy : diary::FindConflictCopies(path))
            std::printf("%s\n", copy.c_str());
        return 0;
    }
    if (command == "merge" && args.size() == 4) {
        const diary::MergePlan plan = diary::PlanMerge(path, args[2], args[3]);
        // Every conflict kept both ways, as the preview offers it.
        const diary::MergeOutcome outcome = diary::ApplyMerge(plan, {}, args[3], Today());
        if (!outcome.applied) {
            std::fprintf(stderr, "%s\n", outcome.message.c_str());
            return 1;
        }
        std::printf("%zu added, %zu changed, %zu removed, %zu conflicts, base %s\n", plan.added,
                    plan.changed, plan.removed, plan.conflicts.size(),
                    plan.basePath.empty() ? "none" : plan.basePath.c_str());
        return 0;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", diary::Cp1250ToUtf8(e.what()).c_str());
        return 1;
    }
}
