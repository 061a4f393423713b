#include "app/opendiary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <utility>

#include "app/datepicker.h"
#include "app/diarywatcher.h"
#include "app/errortext.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/atomic_file.h"
#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/errors.h"
#include "diary/settings.h"
#include "diary/sync_merge.h"

namespace {

// One try for the lock: short enough that the windows repaint between tries.
constexpr std::chrono::milliseconds kLockStep{50};
// From then on the user is told why nothing happens yet.
constexpr qint64 kSayWaitingAfterMs = 500;

}  // namespace

OpenDiary::OpenDiary(const QString& settingsFolder, const diary::RegionalSettings& regional,
                     QObject* parent)
    : QObject(parent),
      settingsFolder_(settingsFolder),
      regional_(regional),
      model_(new RecordModel(this)),
      watcher_(new DiaryWatcher(this)) {
    model_->setObjectName(QStringLiteral("SeznamModel"));
    connect(model_, &QAbstractItemModel::modelReset, this, &OpenDiary::RidesChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &OpenDiary::RidesChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &OpenDiary::RidesChanged);
    connect(model_, &QAbstractItemModel::dataChanged, this, &OpenDiary::RidesChanged);
    connect(watcher_, &DiaryWatcher::ChangedOnDisk, this, [this] {
        // A change of ours shows the file as its result found it; one from outside meanwhile
        // is in that result too.
        if (changing_) {
            changedMeanwhile_ = true;
            return;
        }
        emit ChangedOnDisk();
    });
    connect(watcher_, &DiaryWatcher::FolderChanged, this, &OpenDiary::FolderChanged);
}

std::string OpenDiary::SettingsFile() const {
    return diary::SettingsPath(ToFsPath(settingsFolder_));
}

std::string OpenDiary::BackupFolder() const {
    return ToFsPath(settingsFolder_ + QStringLiteral("/zalohy"));
}

void OpenDiary::Follow() {
    watcher_->Watch(path_);
    if (known_) watcher_->Known(known_);
    emit PathChanged(path_);
}

void OpenDiary::Load(const QString& path, QWidget* parent) {
    path_ = path;
    sortColumn_ = 0;
    known_.reset();
    noRides_ = false;
    model_->Clear();
    Guarded(parent, [&] {
        std::optional<std::string> bytes = diary::ReadWholeFile(ToFsPath(path_));
        known_ = std::make_shared<const std::string>(std::move(bytes).value_or(std::string()));
        noRides_ = !known_->empty() && !diary::HasRideSection(*known_);
        model_->Assign(diary::DiaryRows(known_), regional_);
    });
    settingsBikes_ = false;
    if (known_) TakeSettingsBikes();
    TakeSections(known_ ? std::string_view(*known_) : std::string_view());
    Follow();
}

void OpenDiary::TakeSettingsBikes() {
    // Nothing here is said: the settings file's own load says why it cannot be read, and a
    // diary that cannot be written says so at its first change.
    try {
        const diary::BikeSettings settings = diary::ReadBikeSettings(SettingsFile());
        if (!diary::TakesSettingsBikes(*known_, settings)) return;
        settingsBikes_ = true;
        if (bikes_ != settings) {
            bikes_ = settings;
            emit BikesChanged();
        }
        if (diary::MoveBikesIntoDiary(ToFsPath(path_), settings)) {
            known_ = std::make_shared<const std::string>(
                diary::ReadWholeFile(ToFsPath(path_)).value_or(std::string()));
            model_->Assign(diary::DiaryRows(known_), regional_);
        }
    } catch (const std::exception&) {
    }
}

QString OpenDiary::NoRidesNote() const {
    if (!noRides_) return {};
    return QStringLiteral("Soubor %1 neobsahuje žádné jízdy.").arg(QFileInfo(path_).fileName());
}

void OpenDiary::SavedAs(const QString& path) {
    path_ = path;
    // Written from the rows, not from the bytes they were read from: the next change reads
    // the list anew.
    known_.reset();
    Follow();
}

void OpenDiary::StartEmpty(const QString& path) {
    path_ = path;
    sortColumn_ = 0;
    known_ = std::make_shared<const std::string>();
    model_->Clear();
    settingsBikes_ = false;
    TakeSections({});
    Follow();
}

std::string OpenDiary::Reload(QWidget* parent, const std::optional<diary::RecordRow>& selected) {
    std::vector<diary::RecordRow> rows;
    try {
        std::optional<std::string> bytes = diary::ReadWholeFile(ToFsPath(path_));
        known_ = std::make_shared<const std::string>(std::move(bytes).value_or(std::string()));
        rows = diary::DiaryRows(known_);
        TakeSections(*known_);
        reloadFailure_.clear();
    } catch (const std::exception& e) {
        known_.reset();
        // Another program may replace the file many times a second: the same failure is said
        // once, and never while its box is still open.
        const QString text = ErrorText(e);
        if (text != reloadFailure_ && !sayingReloadFailure_) {
            reloadFailure_ = text;
            sayingReloadFailure_ = true;
            ShowError(parent, text);
            sayingReloadFailure_ = false;
        }
    }
    const auto sameRide = [&selected](const diary::RecordRow& row) {
        for (int i = 0; i < diary::kFieldCount; ++i) {
            const auto field = static_cast<diary::Field>(i);
            if (row.Get(field) != selected->Get(field)) return false;
        }
        return true;
    };
    std::string number;
    for (std::size_t i = 0; selected && i < rows.size(); ++i) {
        if (!sameRide(rows[i])) continue;
        number = rows[i].Number();
        if (number == selected->Number()) break;
    }
    ShowRows(std::move(rows), {});
    return number;
}

bool OpenDiary::ListIsOnDisk() const { return known_ && watcher_->StillKnown(); }

void OpenDiary::SortBy(int column) {
    sortColumn_ = column;
    model_->SortByColumn(column, regional_);
}

void OpenDiary::ShowRows(std::vector<diary::RecordRow> rows, const std::string& select) {
    model_->Assign(std::move(rows), regional_);
    if (sortColumn_ > 0) model_->SortByColumn(sortColumn_, regional_);
    if (!select.empty()) emit ChangeShown(select);
}

diary::DailyBackup OpenDiary::TodaysBackup() const { return {BackupFolder(), Today()}; }

void OpenDiary::SayBackupFailure(QWidget* parent, const diary::ChangeResult& result) {
    if (!result.backupFailure) return;
    try {
        std::rethrow_exception(result.backupFailure);
    } catch (const std::exception& e) {
        ShowException(parent, e);
    }
}

void OpenDiary::KeepDailyBackup(QWidget* parent) {
    // A backup that fails is said, and the change is saved all the same.
    Guarded(parent, [&] { diary::KeepDailyBackup(ToFsPath(path_), BackupFolder(), Today()); });
}

template <typename Call>
bool OpenDiary::Change(QWidget* parent, Call&& call) {
    changing_ = true;
    changedMeanwhile_ = false;
    QElapsedTimer waited;
    waited.start();
    bool waiting = false;
    bool done = false;
    const auto stopWaiting = [&] {
        if (!waiting) return;
        waiting = false;
        QApplication::restoreOverrideCursor();
        emit Waiting(false);
    };
    // Tried in short steps, so that the windows repaint while another program holds the diary;
    // the user's input waits meanwhile, so nothing else can start.
    for (;;) {
        try {
            call(kLockStep);
            done = true;
            break;
        } catch (const diary::BusyError& e) {
            if (waited.elapsed() + kLockStep.count() >= diary::kLockTimeout.count()) {
                stopWaiting();
                ShowException(parent, e);
                break;
            }
            if (!waiting && waited.elapsed() >= kSayWaitingAfterMs) {
                waiting = true;
                QApplication::setOverrideCursor(Qt::WaitCursor);
                emit Waiting(true);
            }
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        } catch (const std::exception& e) {
            stopWaiting();
            ShowException(parent, e);
            break;
        }
    }
    stopWaiting();
    changing_ = false;
    // A change that was made tells the watcher what it saved (ShowResult); one that was not
    // leaves the news of another program's change to be shown.
    if (!done && changedMeanwhile_) emit ChangedOnDisk();
    return done;
}

void OpenDiary::ShowResult(const diary::ChangeResult& result, const diary::DiaryRecord* record,
                           bool added) {
    const std::string number = std::to_string(result.number);
    const bool followed = result.followsKnown && result.applied();
    known_ = result.bytes;
    // The file as this change left it is known: its save is no news from another program.
    if (known_) {
        watcher_->Known(known_);
        TakeSections(*known_);
    }
    const auto row = static_cast<int>(model_->table().FindNumber(number));
    if (followed && record != nullptr && (added || row >= 0)) {
        diary::DiaryRecord saved = *record;
        saved.number = number;
        if (added) {
            model_->Append(diary::RecordRow(saved));
        } else {
            model_->Replace(row, diary::RecordRow(saved));
        }
        emit ChangeShown(number);
        return;
    }
    if (followed && record == nullptr && row >= 0) {
        model_->RemoveAndRenumber(row);
        return;
    }
    std::vector<diary::RecordRow> rows = result.Rows();
    if (added && result.applied() && sortColumn_ > 0) {
        // A new ride goes to the end of the list, however the list is sorted.
        diary::RecordRow fresh = std::move(rows.back());
        rows.pop_back();
        ShowRows(std::move(rows), {});
        model_->Append(std::move(fresh));
        emit ChangeShown(number);
        return;
    }
    const bool select =
        result.applied() ? record != nullptr : result.status == diary::ChangeStatus::Changed;
    ShowRows(std::move(rows), select ? number : std::string());
}

bool OpenDiary::AddRide(QWidget* parent, const diary::DiaryRecord& record) {
    const diary::DailyBackup backup = TodaysBackup();
    diary::ChangeResult result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::AddRecord(path, record, timeout, known_, &backup);
        }))
        return false;
    ShowResult(result, &record, true);
    SayBackupFailure(parent, result);
    if (std::to_string(result.number) != record.number) {
        ShowMessage(parent, MsgKind::Information,
                    QStringLiteral("Deník mezitím změnil jiný program. Jízda byla přidána "
                                   "pod číslem %1.")
                        .arg(result.number));
    }
    return true;
}

bool OpenDiary::AddRides(QWidget* parent, const std::vector<diary::DiaryRecord>& records) {
    const diary::DailyBackup backup = TodaysBackup();
    diary::ChangeResult result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::AddRecords(path, records, timeout, known_, &backup);
        }))
        return false;
    known_ = result.bytes;
    if (known_) watcher_->Known(known_);
    ShowRows(result.Rows(), {});
    SayBackupFailure(parent, result);
    return true;
}

bool OpenDiary::EditRide(QWidget* parent, const diary::RecordRow& expected,
                         const diary::DiaryRecord& record) {
    const diary::DailyBackup backup = TodaysBackup();
    diary::ChangeResult result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::EditRecord(path, expected, record, timeout, known_, &backup);
        }))
        return false;
    ShowResult(result, &record, false);
    SayBackupFailure(parent, result);
    if (!result.applied()) ShowError(parent, QString::fromUtf8(result.Message()));
    return result.applied();
}

bool OpenDiary::DeleteRide(QWidget* parent, const diary::RecordRow& expected) {
    const diary::DailyBackup backup = TodaysBackup();
    diary::ChangeResult result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::DeleteRecord(path, expected, timeout, known_, &backup);
        }))
        return false;
    ShowResult(result, nullptr, false);
    SayBackupFailure(parent, result);
    if (!result.applied()) ShowError(parent, QString::fromUtf8(result.Message()));
    return result.applied();
}

bool OpenDiary::RestoreBackup(QWidget* parent, const diary::BackupEntry& backup) {
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            diary::RestoreBackup(backup.path, path, BackupFolder(), Today(), timeout);
        }))
        return false;
    std::vector<diary::RecordRow> rows;
    Guarded(parent, [&] {
        known_ =
            std::make_shared<const std::string>(diary::ReadWholeFile(path).value_or(std::string()));
        rows = diary::DiaryRows(known_);
        TakeSections(*known_);
    });
    watcher_->Known();
    ShowRows(std::move(rows), {});
    return true;
}

bool OpenDiary::MergeCopy(QWidget* parent, const diary::MergePlan& plan,
                          const std::vector<diary::MergeChoice>& choices) {
    diary::MergeOutcome outcome;
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            outcome = diary::ApplyMerge(plan, choices, BackupFolder(), Today(), timeout);
        }))
        return false;
    ShowSavedFile(outcome.bytes, false);
    for (const std::exception_ptr& failure : {outcome.backupFailure, outcome.moveFailure}) {
        if (!failure) continue;
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            ShowException(parent, e);
        }
    }
    if (!outcome.applied) ShowError(parent, QString::fromUtf8(outcome.message));
    return outcome.applied;
}

void OpenDiary::TakeSections(std::string_view bytes) {
    if (std::vector<diary::Goal> goals = diary::GoalsOf(bytes); goals != goals_) {
        goals_ = std::move(goals);
        emit GoalsChanged();
    }
    if (settingsBikes_ && !diary::HasBikeSections(bytes)) return;
    settingsBikes_ = false;
    if (diary::BikeSettings bikes = diary::BikesOf(bytes); bikes != bikes_) {
        bikes_ = std::move(bikes);
        emit BikesChanged();
    }
}

void OpenDiary::ShowSavedFile(std::shared_ptr<const std::string> bytes, bool followsKnown) {
    known_ = std::move(bytes);
    watcher_->Known(known_);
    if (!followsKnown) {
        noRides_ = !known_->empty() && !diary::HasRideSection(*known_);
        ShowRows(diary::DiaryRows(known_), {});
    }
    TakeSections(*known_);
}

bool OpenDiary::AddBikes(QWidget* parent, const std::vector<std::string>& names) {
    // No wait for the lock when the list holds them all.
    if (std::all_of(names.begin(), names.end(), [this](const std::string& name) {
            return std::find(bikes_.bikes.begin(), bikes_.bikes.end(), name) != bikes_.bikes.end();
        }))
        return true;
    diary::BikeChange result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::AddBikes(path, names, timeout, known_);
        }))
        return false;
    ShowSavedFile(result.bytes, result.followsKnown);
    return true;
}

bool OpenDiary::RenameBike(QWidget* parent, const std::string& from, const std::string& to,
                           std::optional<std::size_t> expectedRides) {
    diary::BikeChange result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::RenameBikeInDiary(path, from, to, expectedRides, timeout);
        }))
        return false;
    ShowSavedFile(result.bytes, result.followsKnown);
    if (!result.applied) ShowError(parent, QString::fromUtf8(result.Message()));
    return result.applied;
}

bool OpenDiary::ChangePart(QWidget* parent, const std::optional<diary::ServicePart>& old,
                           const std::optional<diary::ServicePart>& now) {
    diary::BikeChange result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::ChangeServicePart(path, old, now, timeout, known_);
        }))
        return false;
    ShowSavedFile(result.bytes, result.followsKnown);
    if (!result.applied) {
        ShowError(parent, QStringLiteral("Díl mezitím změnil jiný program. Nic nebylo uloženo; "
                                         "okno teď ukazuje díly tak, jak jsou uloženy."));
    }
    return result.applied;
}

bool OpenDiary::ChangeGoal(QWidget* parent, const std::optional<diary::Goal>& old,
                           const std::optional<diary::Goal>& now) {
    diary::GoalChange result;
    const std::string path = ToFsPath(path_);
    if (!Change(parent, [&](std::chrono::milliseconds timeout) {
            result = diary::ChangeGoal(path, old, now, timeout, known_);
        }))
        return false;
    known_ = result.bytes;
    watcher_->Known(known_);
    // Rides another program saved before the lock was taken are shown with the goals.
    if (!result.followsKnown) {
        noRides_ = !known_->empty() && !diary::HasRideSection(*known_);
        ShowRows(diary::DiaryRows(known_), {});
    }
    TakeSections(*known_);
    if (!result.applied) {
        ShowError(parent, QStringLiteral("Cíl mezitím změnil jiný program. Nic nebylo uloženo; "
                                         "okno teď ukazuje cíle tak, jak jsou uloženy."));
    }
    return result.applied;
}
