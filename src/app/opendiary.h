#pragma once
// The open diary: its path, the list of its rides, the watch on its file and every command that
// changes it. Windows get a reference to it and to nothing else of the main window; each
// command names its ride by the row the user saw, captured when the user chose it, and the core
// checks that against the file under the lock. A command returns true only once its change is
// in the file; otherwise it has said why in a box over the window that started it.

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diary/backup.h"
#include "diary/bikes.h"
#include "diary/goals.h"
#include "diary/record.h"
#include "diary/regional.h"

namespace diary {
struct ChangeResult;
struct DailyBackup;
struct MergePlan;
enum class MergeChoice;
}  // namespace diary

class DiaryWatcher;
class QWidget;
class RecordModel;

class OpenDiary : public QObject {
    Q_OBJECT
public:
    // `settingsFolder` holds the settings file and the backups.
    OpenDiary(const QString& settingsFolder, const diary::RegionalSettings& regional,
              QObject* parent = nullptr);

    const QString& path() const { return path_; }
    RecordModel& model() const { return *model_; }
    const diary::RegionalSettings& regional() const { return regional_; }
    std::string SettingsFile() const;
    // Where the daily backups of every diary are kept: "zalohy" beside the settings file.
    std::string BackupFolder() const;

    // Reads the diary at `path` into the list (a missing file is an empty diary) and watches
    // it; a file that cannot be read is said over `parent` and leaves the list empty. A diary
    // that is to take the bikes an older version kept in the settings file
    // (diary::TakesSettingsBikes) takes them now; when it cannot be written, they are shown
    // from the settings without a word.
    void Load(const QString& path, QWidget* parent);
    // The list was saved whole as `path`, which is the open diary from now on; the list stays
    // as it is shown.
    void SavedAs(const QString& path);
    // Why the list is empty although the file is not: it has no section of rides (empty when
    // it has, or is empty).
    QString NoRidesNote() const;
    // `path` is a new, empty diary from now on.
    void StartEmpty(const QString& path);
    // Reads the file again after another program changed it: the list keeps its order, and the
    // ride `selected` (by its contents: another program may have renumbered it) comes back as
    // the returned number, empty where it is gone.
    std::string Reload(QWidget* parent, const std::optional<diary::RecordRow>& selected);

    // The record commands. `record.number` of a new ride is the number the dialog showed.
    bool AddRide(QWidget* parent, const diary::DiaryRecord& record);
    // Many new rides at once (an import), in their order after the diary's last ride: one
    // change under the lock, one backup, one save.
    bool AddRides(QWidget* parent, const std::vector<diary::DiaryRecord>& records);
    bool EditRide(QWidget* parent, const diary::RecordRow& expected,
                  const diary::DiaryRecord& record);
    bool DeleteRide(QWidget* parent, const diary::RecordRow& expected);
    bool RestoreBackup(QWidget* parent, const diary::BackupEntry& backup);
    // Merges a conflict copy as `plan` says, its conflicts settled by `choices`: one change
    // under the lock; the list then shows the diary as saved (or as found, when it or the
    // copy changed since the plan: said, nothing merged).
    bool MergeCopy(QWidget* parent, const diary::MergePlan& plan,
                   const std::vector<diary::MergeChoice>& choices);
    // Before a change of the diary the bikes window makes itself (the record commands keep
    // the day's backup inside their own change, under the lock).
    void KeepDailyBackup(QWidget* parent);

    // The list holds the file as it is on disk now: what it was read from or saved as, and
    // the file has not changed since (by its stamp).
    bool ListIsOnDisk() const;

    // The goals the diary file holds, as last read or saved (the file's order).
    const std::vector<diary::Goal>& goals() const { return goals_; }
    // Adds `now` (no `old`), changes `old` to `now` or removes `old` (no `now`) in the file, under
    // the lock as every change. A goal another program changed or removed meanwhile is said and
    // nothing is written; either way the goals are then as the file holds them.
    bool ChangeGoal(QWidget* parent, const std::optional<diary::Goal>& old,
                    const std::optional<diary::Goal>& now);

    // The bikes and parts the diary file holds, as last read or saved.
    const diary::BikeSettings& bikes() const { return bikes_; }
    // The bike changes, each one change of the file under the lock as every change; a failure
    // is said over `parent`. Each returns true once its change is in the file.
    // Adds the names the list does not hold yet.
    bool AddBikes(QWidget* parent, const std::vector<std::string>& names);
    // diary::RenameBikeInDiary; an empty `to` removes the bike. Rides another program put on
    // the bike meanwhile are said and nothing is written.
    bool RenameBike(QWidget* parent, const std::string& from, const std::string& to,
                    std::optional<std::size_t> expectedRides = std::nullopt);
    // diary::ChangeServicePart; a part another program changed or removed meanwhile is said.
    bool ChangePart(QWidget* parent, const std::optional<diary::ServicePart>& old,
                    const std::optional<diary::ServicePart>& now);

    // The list sorted by `column` (0: the file's order), and so after every reload.
    void SortBy(int column);

    // Windows that lead to rides (the overview) ask for them through here.
    void SelectRides(const std::vector<std::string>& numbers) { emit RidesToSelect(numbers); }
    void ShowRide(const std::string& number) { emit RideToShow(number); }

signals:
    void PathChanged(const QString& path);
    // A ride was added, changed or removed, or the rides were read anew: figures made from
    // them are out of date (a sort changes none).
    void RidesChanged();
    // Another program changed the file: the owner of the list's selection calls Reload.
    void ChangedOnDisk();
    // After a change: the ride to select (empty: none).
    void ChangeShown(const std::string& number);
    // A change waits for another program's lock (true) or stopped waiting (false).
    void Waiting(bool waiting);
    void RidesToSelect(const std::vector<std::string>& numbers);
    void RideToShow(const std::string& number);
    // The goals are other than they were (another diary, another program's save, a change).
    void GoalsChanged();
    // The same of the bikes and parts.
    void BikesChanged();
    // Files beside the diary came or went: a sync tool's conflict copy may be among them.
    void FolderChanged();

private:
    // Runs `call(timeout)`, one change under the lock, waiting for another program in short
    // steps while the windows repaint; false after a failure, said over `parent`.
    template <typename Call>
    bool Change(QWidget* parent, Call&& call);
    // The list after a change the core made under the lock.
    void ShowResult(const diary::ChangeResult& result, const diary::DiaryRecord* record,
                    bool added);
    void ShowRows(std::vector<diary::RecordRow> rows, const std::string& select);
    diary::DailyBackup TodaysBackup() const;
    void SayBackupFailure(QWidget* parent, const diary::ChangeResult& result);
    void Follow();
    // The goals and bikes of `bytes` from now on; GoalsChanged and BikesChanged when they
    // differ from those before.
    void TakeSections(std::string_view bytes);
    // Load's move of the settings file's bikes into the diary just read.
    void TakeSettingsBikes();
    // The file as a change of its sections (bikes, parts) or a merge saved or found it: the
    // list reads its rides again unless they are the ones it holds (`followsKnown`).
    void ShowSavedFile(std::shared_ptr<const std::string> bytes, bool followsKnown);

    const QString settingsFolder_;
    const diary::RegionalSettings regional_;
    QString path_;
    RecordModel* model_;
    DiaryWatcher* watcher_;
    // The bytes the list was read from or last saved as: a change that finds the file holding
    // them touches one row of the list instead of all.
    std::shared_ptr<const std::string> known_;
    int sortColumn_ = 0;
    std::vector<diary::Goal> goals_;
    diary::BikeSettings bikes_;
    // The diary was to take the settings file's bikes but could not be written: they are shown
    // until the file has bikes of its own.
    bool settingsBikes_ = false;
    // A change is under way; the watcher's news waits for its end.
    bool changing_ = false;
    bool changedMeanwhile_ = false;
    // The file holds bytes but no section of rides.
    bool noRides_ = false;
    // The last failure of a reload that was said, and whether its box is open.
    QString reloadFailure_;
    bool sayingReloadFailure_ = false;
};
