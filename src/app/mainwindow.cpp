#include "app/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/aboutdialog.h"
#include "app/archiveimport.h"
#include "app/backupdialog.h"
#include "app/bikeswindow.h"
#include "app/csvexport.h"
#include "app/datepicker.h"
#include "app/detailwindow.h"
#include "app/entrydialog.h"
#include "app/errortext.h"
#include "app/filedialog.h"
#include "app/goalswindow.h"
#include "app/icons.h"
#include "app/msgbox.h"
#include "app/opendiary.h"
#include "app/overviewwindow.h"
#include "app/placelisteditor.h"
#include "app/recordmodel.h"
#include "app/ridetimedialog.h"
#include "app/searchwindow.h"
#include "app/statisticswindow.h"
#include "app/syncmerge.h"
#include "app/textcodec.h"
#include "app/trackrides.h"
#include "app/windowplaces.h"
#include "diary/backup.h"
#include "diary/bikes.h"
#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/errors.h"
#include "diary/goals.h"
#include "diary/new_ride.h"
#include "diary/old_import.h"
#include "diary/settings.h"
#include "diary/sync_merge.h"

namespace {

const QString kDiaryFilter = QStringLiteral("Deníky (*.vam)");
const QString kOldDiaryFilter = QStringLiteral("Deníky z vama 99 (*.dat)");

void ShowModeless(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
const QString kNoSelection = QStringLiteral("Není vybrán žádný údaj !");
// The keys of the two lists' widths in the settings file.
const std::string kMainListKey = "seznam";
const std::string kSearchListKey = "hledat";

bool SameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

// The line about this year's goal for the status bar.
QString GoalLine(const OpenDiary* diary) {
    if (diary->goals().empty()) return {};
    return QString::fromStdString(
        diary::GoalNote(diary->goals(), diary->model().table(), Today(), diary->regional()));
}

}  // namespace

std::string DiaryPathToSettings(const QString& path) {
    return IsCp1250Text(path) ? ToCp(path) : ToFsPath(path);
}

QString DiaryPathFromSettings(const std::string& stored) {
    const QString asCp = FromCp(stored);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString asUtf8 = decoder(QByteArray::fromStdString(stored));
    if (decoder.hasError() || asUtf8 == asCp) return asCp;
    // The settings file is code page 1250, but a path that the code page cannot hold is kept
    // as its UTF-8 bytes, and those bytes also read as (odd) code page 1250 text. The file that
    // exists decides; with neither, only a path we could not have stored in code page 1250
    // can have been written as UTF-8.
    if (QFileInfo::exists(asCp)) return asCp;
    if (QFileInfo::exists(asUtf8) || !IsCp1250Text(asUtf8)) return asUtf8;
    return asCp;
}

QString WithDiaryExtension(const QString& name) {
    if (name.endsWith(QStringLiteral(".vam"), Qt::CaseInsensitive)) return name;
    return name + QStringLiteral(".vam");
}

TMainForm::TMainForm(const QString& settingsFolder, const diary::RegionalSettings& regional)
    : settingsFolder_(settingsFolder),
      regional_(regional),
      diary_(new OpenDiary(settingsFolder, regional, this)) {
    BuildMenusAndToolBar();
    CreateWindows();
    places_ = std::make_unique<WindowPlaces>(
        this, [this] { return settingsUnreadable_ ? std::string() : SettingsFile(); });
    places_->RestoreMain();
    // Once the list has its size.
    QTimer::singleShot(0, this, &TMainForm::ScrollToSelectedRide);
}

TMainForm::~TMainForm() = default;

const QString& TMainForm::CurrentDiaryPath() const { return diary_->path(); }

const RecordModel* TMainForm::model() const { return &diary_->model(); }

void TMainForm::CreateWindows() {
    connect(diary_, &OpenDiary::ChangedOnDisk, this, &TMainForm::ReloadFromDisk);
    connect(diary_, &OpenDiary::PathChanged, this, [this](const QString& path) {
        setWindowTitle(QStringLiteral("Vamo 2001 [") + path + QStringLiteral("]"));
    });
    connect(diary_, &OpenDiary::ChangeShown, this,
            [this](const std::string& number) { SelectRides({number}); });
    // Rides chosen in another window (a day of Přehled's calendar) are shown in front of it;
    // only after a double click's time, so that the second click still reaches that window.
    connect(diary_, &OpenDiary::RidesToSelect, this, [this](const std::vector<std::string>& n) {
        SelectRides(n);
        QTimer::singleShot(QApplication::doubleClickInterval(), this,
                           [this] { ShowModeless(this); });
    });
    connect(diary_, &OpenDiary::RideToShow, this, [this](const std::string& number) {
        const auto row = diary_->model().table().FindNumber(number);
        if (row < 0) return;
        SelectRides({number});
        DetailWindow().ShowRecord(diary_->model().row(static_cast<int>(row)));
    });
    connect(diary_, &OpenDiary::Waiting, this, [this](bool waiting) {
        if (waiting) {
            statusBar()->showMessage(
                QStringLiteral("Čekám, až jiný program dokončí zápis do deníku…"));
        } else {
            statusBar()->clearMessage();
        }
    });
    FormCreate();
    // The entry dialog's place lists are those of the start.
    add_ = std::make_unique<TAddForm>(
        *diary_,
        TAddForm::Helpers{[this](QWidget* opener) { return DatePicker().Pick(opener); },
                          [this] { return RideTimeDialog().Ask(TCasForm::Start::Empty); }});
    add_->SetPlaceLists(placeLists_.from, placeLists_.to, placeLists_.via);
    cas_ = std::make_unique<TCasForm>();
    calendar_ = std::make_unique<TCalendarForm>(this);
    info_ = std::make_unique<TInfoForm>(this);
    RecordModel* list = &diary_->model();
    find_ = std::make_unique<TFindForm>(
        list, regional_,
        TFindForm::Diary{[this] { return diary_->path(); },
                         [this] { return diary_->ListIsOnDisk(); }},
        TFindForm::Helpers{[this](QWidget* opener) { return DatePicker().Pick(opener); },
                           [this] { return RideTimeDialog().Ask(TCasForm::Start::AsLeft); }});
    stat_ = std::make_unique<TStatForm>(list, regional_);
    prehled_ = std::make_unique<TPrehledForm>(*diary_);
    kola_ = std::make_unique<TKolaForm>(*diary_);
    cile_ = std::make_unique<TCileForm>(*diary_, this);
    ShowNote(QStringLiteral("PoznamkaServis"), kola_->DuePartsNote());
    ShowGoalNote();
    // Said as the diary opens, not a note: it is out of date with the first ride added.
    if (const QString note = diary_->NoRidesNote(); !note.isEmpty()) statusBar()->showMessage(note);
    connect(diary_, &OpenDiary::RidesChanged, this, &TMainForm::ShowGoalNote);
    connect(diary_, &OpenDiary::GoalsChanged, this, &TMainForm::ShowGoalNote);
    // After the other notes: it comes and goes with a file beside the diary.
    ShowConflictCopyNote();
    connect(diary_, &OpenDiary::FolderChanged, this, &TMainForm::ShowConflictCopyNote);
    connect(diary_, &OpenDiary::PathChanged, this, &TMainForm::ShowConflictCopyNote);
    RestoreListWidths();
}

TAddForm& TMainForm::EntryDialog() {
    add_->SetBikeList(diary_->bikes().bikes);
    return *add_;
}

TCasForm& TMainForm::RideTimeDialog() { return *cas_; }

TCalendarForm& TMainForm::DatePicker() { return *calendar_; }

TInfoForm& TMainForm::DetailWindow() { return *info_; }

void TMainForm::RestoreListWidths() {
    try {
        const std::string settings = SettingsFile();
        RestoreColumnWidths(rideList, diary::ReadColumnWidths(settings, kMainListKey));
        find_->RestoreResultColumnWidths(diary::ReadColumnWidths(settings, kSearchListKey));
    } catch (const std::exception&) {
        // Widths are a convenience; a settings file that cannot be read was reported by the
        // start-up load already.
    }
    startWidths_ = {ColumnWidths(rideList), find_->ResultColumnWidths()};
}

void TMainForm::RememberListWidths() {
    const std::pair<std::vector<int>, std::vector<int>> now{ColumnWidths(rideList),
                                                            find_->ResultColumnWidths()};
    // Only what the user dragged: the program's own widths follow the font of each start.
    if (now == startWidths_) return;
    Guarded(this, [&] {
        diary::WriteColumnWidths(SettingsFile(),
                                 {{kMainListKey, now.first}, {kSearchListKey, now.second}});
    });
}

void TMainForm::BuildMenusAndToolBar() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vamo 2001"));
    setWindowIcon(icons::Program());
    resize(698, 510);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    // Captions carry their mnemonic ("&Soubor" shows as "Soubor" with S underlined); Qt shows
    // the shortcut beside the item, so no caption's text changes.
    const auto action = [this](const char* name, const QString& text, const QIcon& icon,
                               const QString& hint, const QKeySequence& keys) {
        auto* a = new QAction(icon, text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint.isEmpty() ? QString(text).remove(QLatin1Char('&')) : hint);
        a->setShortcut(keys);
        return a;
    };
    newDiaryAction =
        action("Nov1", QStringLiteral("&Nový"), icons::NewFile(), QStringLiteral("Nový soubor"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    openDiaryAction = action("Otevt1", QStringLiteral("&Otevřít"), icons::OpenFile(),
                             QStringLiteral("Otevřít soubor"), QKeySequence(Qt::CTRL | Qt::Key_O));
    saveAsAction = action("Uloitjako1", QStringLiteral("&Uložit jako"), icons::SaveAs(),
                          QStringLiteral("Uložit soubor jako"),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    importOldAction = action("Importzestarverze1", QStringLiteral("&Import z Vama 99"), QIcon(), {},
                             QKeySequence());
    importArchiveAction = action("Importarchivu1", QStringLiteral("Import jízd z &archivu…"),
                                 QIcon(), {}, QKeySequence());
    exportCsvAction =
        action("ExportdoCSV1", QStringLiteral("&Export do CSV…"), QIcon(), {}, QKeySequence());
    restoreBackupAction = action("Obnovitzezalohy1", QStringLiteral("O&bnovit ze zálohy…"), QIcon(),
                                 {}, QKeySequence());
    mergeCopyAction = action("Sloucitkopii1", QStringLiteral("S&loučit kopii deníku…"), QIcon(), {},
                             QKeySequence());
    quitAction = action("Konec1", QStringLiteral("&Konec"), icons::Exit(),
                        QStringLiteral("Konec programu"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    newRideAction = action("Novy1", QStringLiteral("&Nový"), icons::NewRecord(),
                           QStringLiteral("Nový údaj"), QKeySequence(Qt::CTRL | Qt::Key_N));
    editRideAction = action("Editovat1", QStringLiteral("&Editovat"), icons::EditRecord(),
                            QStringLiteral("Editovat údaj"), QKeySequence(Qt::CTRL | Qt::Key_E));
    deleteRideAction = action("Smazat1", QStringLiteral("&Smazat"), icons::DeleteRecord(),
                              QStringLiteral("Smazat údaj"), QKeySequence(Qt::Key_Delete));
    searchAction = action("Hledat1", QStringLiteral("&Hledat"), icons::Search(),
                          QStringLiteral("Hledat"), QKeySequence(Qt::CTRL | Qt::Key_F));
    newFromTrackAction = action("NovzGPSzznamu1", QStringLiteral("Nový z &GPS záznamu…"), QIcon(),
                                {}, QKeySequence(Qt::CTRL | Qt::Key_G));
    newLikeSelectedAction = action("Novpodlevybranho1", QStringLiteral("Nový &podle vybraného"),
                                   QIcon(), {}, QKeySequence(Qt::CTRL | Qt::Key_D));

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* fileMenu = bar->addMenu(QStringLiteral("&Soubor"));
    fileMenu->setObjectName(QStringLiteral("Soubor1"));
    fileMenu->addActions({newDiaryAction, openDiaryAction, saveAsAction, importOldAction,
                          importArchiveAction, exportCsvAction, restoreBackupAction,
                          mergeCopyAction, quitAction});
    QMenu* rideMenu = bar->addMenu(QStringLiteral("&Údaj"));
    rideMenu->setObjectName(QStringLiteral("Udaj1"));
    rideMenu->addActions({newRideAction, editRideAction, deleteRideAction, searchAction,
                          newFromTrackAction, newLikeSelectedAction});
    placeListsAction = bar->addAction(QStringLiteral("&Zkratky"));
    placeListsAction->setObjectName(QStringLiteral("Zkratky1"));
    bikesAction = bar->addAction(QStringLiteral("&Kola"));
    bikesAction->setObjectName(QStringLiteral("Kola1"));
    statisticsAction = bar->addAction(QStringLiteral("S&tatistika"));
    statisticsAction->setObjectName(QStringLiteral("Statistika1"));
    overviewAction = bar->addAction(QStringLiteral("&Přehled"));
    overviewAction->setObjectName(QStringLiteral("Prehled1"));
    goalsAction = bar->addAction(QStringLiteral("&Cíle"));
    goalsAction->setObjectName(QStringLiteral("Cile1"));
    aboutAction = bar->addAction(QStringLiteral("&O programu"));
    aboutAction->setObjectName(QStringLiteral("Oprogramu1"));

    QToolBar* toolBar = addToolBar(QStringLiteral("ToolBar1"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(20, 20));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(true);
    int toolNumber = 0;
    for (QAction* a :
         {newDiaryAction, openDiaryAction, saveAsAction, static_cast<QAction*>(nullptr),
          newRideAction, editRideAction, deleteRideAction, searchAction,
          static_cast<QAction*>(nullptr), quitAction}) {
        if (a == nullptr) {
            toolBar->addSeparator();
            continue;
        }
        toolBar->addAction(a);
        if (auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(a))) {
            button->setObjectName(QStringLiteral("ToolButton%1").arg(++toolNumber));
            button->setAutoRaise(true);
        }
    }

    rideList = new QTreeView(this);
    rideList->setObjectName(QStringLiteral("Seznam"));
    SetUpRecordView(rideList, &diary_->model(), regional_);
    setCentralWidget(rideList);
    // Enter on a row edits it, as a double click shows it.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(keys, rideList, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, &TMainForm::EditRide);
    }

    connect(newDiaryAction, &QAction::triggered, this, &TMainForm::NewDiary);
    connect(openDiaryAction, &QAction::triggered, this, &TMainForm::OpenDiaryFile);
    connect(saveAsAction, &QAction::triggered, this, &TMainForm::SaveDiaryAs);
    connect(restoreBackupAction, &QAction::triggered, this, &TMainForm::RestoreFromBackup);
    connect(mergeCopyAction, &QAction::triggered, this, &TMainForm::MergeConflictCopy);
    connect(importOldAction, &QAction::triggered, this, &TMainForm::ImportOldDiary);
    connect(importArchiveAction, &QAction::triggered, this, &TMainForm::ImportArchive);
    connect(exportCsvAction, &QAction::triggered, this, &TMainForm::ExportList);
    connect(quitAction, &QAction::triggered, this, &QWidget::close);
    connect(newRideAction, &QAction::triggered, this, &TMainForm::NewRide);
    connect(editRideAction, &QAction::triggered, this, &TMainForm::EditRide);
    connect(deleteRideAction, &QAction::triggered, this, &TMainForm::DeleteRide);
    connect(searchAction, &QAction::triggered, this, &TMainForm::ShowSearch);
    connect(newFromTrackAction, &QAction::triggered, this, &TMainForm::NewRidesFromTracks);
    connect(newLikeSelectedAction, &QAction::triggered, this, &TMainForm::NewRideLikeSelected);
    connect(placeListsAction, &QAction::triggered, this, &TMainForm::ShowPlaceLists);
    connect(bikesAction, &QAction::triggered, this, &TMainForm::ShowBikes);
    connect(statisticsAction, &QAction::triggered, this, &TMainForm::ShowStatistics);
    connect(overviewAction, &QAction::triggered, this, &TMainForm::ShowOverview);
    connect(goalsAction, &QAction::triggered, this, &TMainForm::ShowGoals);
    connect(aboutAction, &QAction::triggered, this, &TMainForm::ShowAbout);
    connect(rideList->header(), &QHeaderView::sectionClicked, this, &TMainForm::SortByHeader);
    connect(rideList, &QTreeView::doubleClicked, this, &TMainForm::ShowSelectedRide);
}

std::string TMainForm::SettingsFile() const { return diary_->SettingsFile(); }

void TMainForm::FormCreate() {
    const std::string settings = SettingsFile();
    QString path = FromFsPath(diary::DefaultDiaryPath(ToFsPath(settingsFolder_)));
    try {
        // An empty default tells "no entry" apart from a stored path, which is read in the
        // settings file's own coding.
        const std::string stored = diary::ReadLastDiary(settings, std::string());
        if (!stored.empty()) path = DiaryPathFromSettings(stored);
    } catch (const diary::ReadError& e) {
        // Said once, with what follows from it; the later reads and writes of the same file
        // would only repeat it, so this session leaves the file alone.
        settingsUnreadable_ = true;
        const QString reason =
            e.error() != 0 ? SystemReason(e.error()) : QString::fromUtf8(e.what());
        ShowError(this, QStringLiteral("Soubor nastavení %1 nelze přečíst.\n%2\n"
                                       "Nelze zjistit, který deník byl otevřen naposledy; "
                                       "otevírá se %3.")
                            .arg(FromFsPath(settings), reason, path));
    } catch (const std::exception& e) {
        ShowException(this, e);
    }
    // The entry dialog offers the place lists of the start.
    if (!settingsUnreadable_) Guarded(this, [&] { placeLists_ = diary::ReadPlaceLists(settings); });
    diary_->Load(path, this);
}

void TMainForm::Otevri(const QString& path) {
    diary_->Load(path, this);
    RememberDiary();
    statusBar()->showMessage(diary_->NoRidesNote());
    ShowGoalNote();
    ScrollToSelectedRide();
}

void TMainForm::ShowGoalNote() { ShowNote(QStringLiteral("PoznamkaCil"), GoalLine(diary_)); }

void TMainForm::ShowConflictCopyNote() {
    const std::string path = ToFsPath(diary_->path());
    const std::vector<std::string> copies = diary::FindConflictCopies(path);
    QString note;
    if (!copies.empty()) {
        std::optional<diary::MergePlan> plan;
        try {
            plan = diary::PlanMerge(path, copies.front(), diary_->BackupFolder(), regional_);
        } catch (const std::exception&) {
            // Said when the user asks for the merge; the note only tells that the copy is there.
        }
        note = QString::fromStdString(diary::ConflictCopyNote(plan ? &*plan : nullptr));
    }
    ShowNote(QStringLiteral("PoznamkaKopie"), note);
}

void TMainForm::ShowNote(const QString& name, const QString& text) {
    auto found = std::find_if(notes_.begin(), notes_.end(),
                              [&](const QLabel* note) { return note->objectName() == name; });
    QLabel* note = found != notes_.end() ? *found : nullptr;
    if (note == nullptr) {
        if (text.isEmpty()) return;
        note = new QLabel(statusBar());
        note->setObjectName(name);
        // A widget of the bar, not a message: only a message of its own (a wait for another
        // program) covers it for a while.
        statusBar()->addWidget(note);
        notes_.push_back(note);
    }
    note->setText(text);
    note->setVisible(!text.isEmpty());
}

void TMainForm::ScrollToSelectedRide() {
    const RecordModel& model = diary_->model();
    if (model.rowCount() == 0) return;
    if (const int row = SelectedRow(); row >= 0) {
        rideList->scrollTo(model.index(row, 0));
        return;
    }
    // Nothing is selected as a list opens: the newest ride, where new ones are added, becomes
    // current without being selected.
    const QModelIndex last = model.index(model.rowCount() - 1, 0);
    rideList->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
    rideList->scrollTo(last);
}

int TMainForm::SelectedRow() const {
    const QModelIndexList rows = rideList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

std::optional<diary::RecordRow> TMainForm::ChosenRide() {
    const int row = SelectedRow();
    if (row < 0) {
        ShowError(this, kNoSelection);
        return std::nullopt;
    }
    return diary_->model().row(row);
}

void TMainForm::ReloadFromDisk() {
    std::optional<diary::RecordRow> was;
    if (const int row = SelectedRow(); row >= 0) was = diary_->model().row(row);
    const std::string number = diary_->Reload(this, was);
    if (!number.empty()) SelectRides({number});
}

bool TMainForm::RememberDiary() {
    if (settingsUnreadable_) return false;
    return Guarded(
        this, [&] { diary::WriteLastDiary(SettingsFile(), DiaryPathToSettings(diary_->path())); });
}

bool TMainForm::MayOverwrite(const QString& path) { return filedialog::MayOverwrite(this, path); }

QString TMainForm::DialogFolder() const {
    // Where a desktop's own dialogs start: the folder last chosen in them, and before that
    // the open diary's folder, not whatever folder the program was started from.
    return dialogFolder_.isEmpty() ? QFileInfo(diary_->path()).absolutePath() : dialogFolder_;
}

QString TMainForm::AskFileName(bool save, const QString& filter) {
    const QString folder = DialogFolder();
    const QString chosen = save ? filedialog::SaveFileName(this, filter, folder)
                                : filedialog::OpenFileName(this, filter, folder);
    if (!chosen.isEmpty()) dialogFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

void TMainForm::NewDiary() {
    const QString chosen = AskFileName(true, kDiaryFilter);
    if (chosen.isEmpty()) return;
    const QString path = WithDiaryExtension(chosen);
    if (QFileInfo::exists(path)) {
        if (!MayOverwrite(path)) return;
        // Emptied at once in one save, so the old records can never mix with the new ones.
        const bool emptied = Guarded(
            this, [&] { diary::SaveDiary(ToFsPath(path), std::vector<diary::DiaryRecord>{}); });
        if (!emptied) return;
    }
    diary_->StartEmpty(path);
    RememberDiary();
}

void TMainForm::OpenDiaryFile() {
    const QString chosen = AskFileName(false, kDiaryFilter);
    if (chosen.isEmpty()) return;
    Otevri(chosen);
}

void TMainForm::SaveDiaryAs() {
    const QString chosen = AskFileName(true, kDiaryFilter);
    if (chosen.isEmpty()) return;
    const QString path = WithDiaryExtension(chosen);
    if (SameFile(path, diary_->path())) return;
    if (!MayOverwrite(path)) return;
    // The whole list in one save: a file with more records than the list keeps none of them.
    const bool saved = Guarded(this, [&] {
        diary::SaveDiary(ToFsPath(path), diary_->model().table().InNumberOrder());
        if (!diary_->goals().empty()) diary::AddGoals(ToFsPath(path), diary_->goals());
    });
    if (!saved) return;
    diary_->SavedAs(path);
    RememberDiary();
}

void TMainForm::ImportOldDiary() {
    const QString source = AskFileName(false, kOldDiaryFilter);
    if (source.isEmpty()) return;
    if (!AskYesNo(this, MsgKind::Confirm, QStringLiteral("Importovat ?"))) return;
    const QString target = FromFsPath(diary::ImportTargetPath(ToFsPath(source)));
    // The old diary is read whole first: a source that cannot be read leaves the target as it
    // was, and the target then gets exactly the imported records in one save.
    std::vector<diary::DiaryRecord> records;
    if (!Guarded(this, [&] { records = diary::ReadOldDiary(ToFsPath(source)); })) return;
    if (!MayOverwrite(target)) return;
    if (!Guarded(this, [&] { diary::SaveDiary(ToFsPath(target), records); })) return;
    ShowMessage(this, MsgKind::Plain, QStringLiteral("Import hotov."));
    Otevri(target);
}

void TMainForm::ImportArchive() {
    TImportForm dialog(*diary_, DialogFolder(), this);
    dialog.exec();
    if (dialog.folder() != DialogFolder()) dialogFolder_ = dialog.folder();
}

template <typename Run>
bool TMainForm::RunEntryDialog(Run&& run) {
    TAddForm& dialog = EntryDialog();
    setEnabled(false);
    const bool saved = run(dialog);
    setEnabled(true);
    return saved;
}

void TMainForm::ExportList() {
    const QString chosen = AskFileName(true, csvexport::Filter());
    if (!chosen.isEmpty()) csvexport::WriteList(this, diary_->model(), chosen, regional_);
}

void TMainForm::NewRide() { AddRide({}, QStringLiteral("Nový údaj")); }

void TMainForm::NewRidesFromTracks() {
    const QStringList chosen =
        filedialog::OpenFileNames(this, trackrides::Filter(), DialogFolder());
    if (chosen.isEmpty()) return;
    dialogFolder_ = QFileInfo(chosen.first()).absolutePath();
    AddRidesFromTracks(chosen);
}

void TMainForm::AddRidesFromTracks(const QStringList& paths) {
    for (const trackrides::TrackRide& ride : trackrides::ReadRides(this, paths, regional_)) {
        trackrides::SayWhatIsMissing(this, ride);
        // The departure is read now: the ride before may have just been added.
        AddRide(diary::WithOdometer(ride.fields, diary::LastArrival(diary_->model().table()),
                                    regional_),
                trackrides::Caption(ride));
    }
}

void TMainForm::NewRideLikeSelected() {
    const std::optional<diary::RecordRow> like = ChosenRide();
    if (!like) return;
    const diary::DiaryRecord fields = diary::RideLike(*like, Today(), regional_);
    AddRide(diary::WithOdometer(fields, diary::LastArrival(diary_->model().table()), regional_),
            QStringLiteral("Nový údaj"));
}

void TMainForm::AddRide(diary::DiaryRecord fields, const QString& caption) {
    fields.number = std::to_string(diary_->model().rowCount() + 1);
    std::string& bike = fields[diary::Field::Bike];
    if (bike.empty()) bike = diary::LastBike(diary_->model().table());
    diary::DiaryRecord saved;
    if (!RunEntryDialog([&](TAddForm& dialog) {
            if (!dialog.AddRide(fields, caption)) return false;
            saved = dialog.Record();
            return true;
        }))
        return;
    RememberBike(saved);
}

void TMainForm::EditRide() {
    // The ride is named now, as the user chose it: whatever the list shows later, the edit
    // goes to this ride or to none.
    const std::optional<diary::RecordRow> ride = ChosenRide();
    if (!ride) return;
    diary::DiaryRecord saved;
    if (!RunEntryDialog([&](TAddForm& dialog) {
            if (!dialog.EditRide(*ride)) return false;
            saved = dialog.Record();
            return true;
        }))
        return;
    RememberBike(saved);
}

void TMainForm::RememberBike(const diary::DiaryRecord& record) {
    const std::string& bike = record[diary::Field::Bike];
    if (!bike.empty()) diary_->AddBikes(this, {bike});
}

void TMainForm::DeleteRide() {
    // Named before the question: while it is open, another program may change the list.
    const std::optional<diary::RecordRow> ride = ChosenRide();
    if (!ride) return;
    if (!AskYesNo(this, MsgKind::Warning, QStringLiteral("Opravdu smazat?"))) return;
    // The rides after it move down by one in the file, so the numbers stay 1..n and the next
    // start reads every remaining ride; only the ride the row showed is ever deleted.
    diary_->DeleteRide(this, *ride);
}

void TMainForm::RestoreFromBackup() {
    const std::string diaryPath = ToFsPath(diary_->path());
    std::vector<diary::BackupEntry> backups;
    if (!Guarded(this, [&] { backups = diary::ListBackups(diaryPath, diary_->BackupFolder()); }))
        return;
    const QString name = QFileInfo(diary_->path()).fileName();
    if (backups.empty()) {
        ShowMessage(this, MsgKind::Information,
                    QStringLiteral("Deník „%1“ zatím nemá žádnou zálohu. Záloha se ukládá před "
                                   "první změnou deníku v každém dni.")
                        .arg(name));
        return;
    }
    if (!backup_) backup_ = std::make_unique<TBackupForm>(regional_);
    places_->Place(backup_.get());
    setEnabled(false);
    const std::optional<diary::BackupEntry> chosen = backup_->Choose(name, backups);
    setEnabled(true);
    if (!chosen) return;
    const QString when = backup_->BackupName(*chosen);
    if (!AskYesNo(this, MsgKind::Confirm,
                  QStringLiteral("Obnovit deník „%1“ ze zálohy z %2? Jeho nynější stav se "
                                 "nejdřív uloží jako záloha, takže obnovení lze vrátit.")
                      .arg(name, when))) {
        return;
    }
    if (!diary_->RestoreBackup(this, *chosen)) return;
    ShowMessage(this, MsgKind::Information,
                QStringLiteral("Deník „%1“ je obnoven ze zálohy z %2.").arg(name, when));
}

void TMainForm::MergeConflictCopy() {
    const std::string path = ToFsPath(diary_->path());
    const std::vector<std::string> copies = diary::FindConflictCopies(path);
    if (copies.empty()) {
        ShowMessage(this, MsgKind::Information,
                    QStringLiteral("Vedle deníku „%1“ není žádná kopie ze synchronizace.")
                        .arg(QFileInfo(diary_->path()).fileName()));
        return;
    }
    // One copy at a time, the first by name; the note then tells of the next.
    diary::MergePlan plan;
    if (!Guarded(this, [&] {
            plan = diary::PlanMerge(path, copies.front(), diary_->BackupFolder(), regional_);
        })) {
        return;
    }
    // Not a child of this window, which is disabled while it is up.
    TSyncMergeForm dialog;
    WindowPlaces::CenterOver(&dialog, this);
    setEnabled(false);
    const auto choices = dialog.Ask(QFileInfo(FromFsPath(copies.front())).fileName(), plan);
    setEnabled(true);
    if (choices) diary_->MergeCopy(this, plan, *choices);
    ShowConflictCopyNote();
}

void TMainForm::ShowSearch() {
    if (!searchPlaced_) {
        // Centred over this window the first time, as the dialogs are; later where it was left.
        searchPlaced_ = true;
        WindowPlaces::CenterOver(find_.get(), this);
    }
    ShowModeless(find_.get());
}

void TMainForm::ShowPlaceLists() {
    // The lists as the settings file holds them when the editor opens, not as they were at
    // start: another program may have saved others since.
    diary::PlaceLists lists;
    if (!settingsUnreadable_ &&
        !Guarded(this, [&] { lists = diary::ReadPlaceLists(SettingsFile()); }))
        return;
    if (!zkratky_)
        zkratky_ = std::make_unique<TZkratkyForm>(QStringList(), QStringList(), QStringList(),
                                                  SettingsFile(), this);
    zkratky_->Open(lists);
}

void TMainForm::ShowBikes() {
    places_->Place(kola_.get());
    ShowModeless(kola_.get());
}

void TMainForm::ShowStatistics() { stat_->ShowStatistics(); }

void TMainForm::ShowOverview() {
    places_->Place(prehled_.get());
    ShowModeless(prehled_.get());
}

void TMainForm::ShowGoals() { ShowModeless(cile_.get()); }

void TMainForm::ShowAbout() {
    if (!about_) about_ = std::make_unique<TAboutBox>();
    about_->ShowAbout();
}

void TMainForm::SelectRides(const std::vector<std::string>& numbers) {
    const RecordModel& model = diary_->model();
    std::vector<int> found;
    if (numbers.size() == 1) {
        // The ride just added or changed: one look through the rows costs a fraction of an
        // index of them all.
        if (const auto row = model.table().FindNumber(numbers.front()); row >= 0)
            found.push_back(static_cast<int>(row));
    } else {
        const diary::NumberIndex rows(model.table());
        for (const std::string& number : numbers)
            if (const auto row = rows.Find(number); row >= 0)
                found.push_back(static_cast<int>(row));
    }
    if (found.empty()) return;
    std::sort(found.begin(), found.end());
    QItemSelection selection;
    for (const int row : found)
        selection.select(model.index(row, 0), model.index(row, diary::kColumnCount - 1));
    QItemSelectionModel* selected = rideList->selectionModel();
    selected->setCurrentIndex(model.index(found.front(), 0), QItemSelectionModel::NoUpdate);
    selected->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    rideList->scrollTo(model.index(found.front(), 0));
}

void TMainForm::SortByHeader(int column) { diary_->SortBy(column); }

void TMainForm::ShowSelectedRide() {
    const int row = SelectedRow();
    if (row < 0) return;
    DetailWindow().ShowRecord(diary_->model().row(row));
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!trackrides::LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QStringList files = trackrides::LocalFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // The program the files came from waits until the drop returns; the dialogs come after.
    QTimer::singleShot(0, this, [this, files] { AddRidesFromTracks(files); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Storing the path must never keep the user from leaving: the diary itself is saved.
    // When the settings file cannot be written, that was said once; the widths are let go.
    if (RememberDiary()) {
        RememberListWidths();
        places_->Remember();
    }
    event->accept();
    emit Closed();
}
