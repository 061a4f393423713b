#pragma once
// The main window: the record list of the open diary, its file and record commands. It makes
// every other window of the program once, owns it for the whole run and hands it what it needs.

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "diary/record.h"
#include "diary/regional.h"
#include "diary/settings.h"

class QAction;
class QLabel;
class QTreeView;
class OpenDiary;
class RecordModel;
class TAboutBox;
class TAddForm;
class TBackupForm;
class TCalendarForm;
class TCasForm;
class TCileForm;
class TFindForm;
class TInfoForm;
class TKolaForm;
class TPrehledForm;
class TStatForm;
class TZkratkyForm;
class WindowPlaces;

// The diary path as the settings file keeps it: code page 1250 when every character fits,
// else the path's own UTF-8 bytes.
std::string DiaryPathToSettings(const QString& path);
// The path a stored value names (see the definition for how the two codings are told apart).
QString DiaryPathFromSettings(const std::string& stored);
// `name` with ".vam" appended unless it already ends in ".vam" (any case).
QString WithDiaryExtension(const QString& name);

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `settingsFolder` holds the settings file and the default diary. Makes the other windows
    // and runs the start-up load: the last diary's rides in the list, the place lists in the
    // entry dialog, the title.
    TMainForm(const QString& settingsFolder, const diary::RegionalSettings& regional);
    ~TMainForm() override;

    // Opens the diary at `path` (a missing file is an empty diary) and remembers it.
    void Otevri(const QString& path);

    const QString& CurrentDiaryPath() const;
    const RecordModel* model() const;

    // Selects the rides with these record numbers in the list (whatever its order), the first
    // of them current and scrolled into view; numbers not in the list are passed over.
    void SelectRides(const std::vector<std::string>& numbers);

    // A note that stays in the status bar until it is replaced (an empty text hides it): opening
    // a menu or pointing at a tool button leaves it. Each `name` has a place of its own, in the
    // order first shown: the service marks first, what comes later after them.
    void ShowNote(const QString& name, const QString& text);

signals:
    // The main window has closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Track files dropped on the window become new rides, as "Nový z GPS záznamu…" makes them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void NewDiary();                // "Soubor" > "Nový"
    void OpenDiaryFile();           // "Soubor" > "Otevřít"
    void SaveDiaryAs();             // "Soubor" > "Uložit jako"
    void ImportOldDiary();          // "Soubor" > "Import z Vama 99"
    void ImportArchive();           // "Soubor" > "Import jízd z archivu…"
    void RestoreFromBackup();       // "Soubor" > "Obnovit ze zálohy…"
    void MergeConflictCopy();       // "Soubor" > "Sloučit kopii deníku…"
    void NewRide();                 // "Údaj" > "Nový"
    void EditRide();                // "Údaj" > "Editovat"
    void DeleteRide();              // "Údaj" > "Smazat"
    void ShowSearch();              // "Údaj" > "Hledat"
    void ShowPlaceLists();          // "Zkratky"
    void ShowBikes();               // "Kola"
    void ShowStatistics();          // "Statistika"
    void ShowOverview();            // "Přehled"
    void ShowGoals();               // "Cíle"
    void ShowAbout();               // "O programu"
    void SortByHeader(int column);  // a click on a column header
    void ShowSelectedRide();        // double click on a row
    // "Soubor" > "Export do CSV…"; "Údaj" > "Nový z GPS záznamu…" and "Nový podle vybraného".
    void ExportList();
    void NewRidesFromTracks();
    void NewRideLikeSelected();

private:
    void BuildMenusAndToolBar();
    // Makes the other windows in the program's order, the start-up load after the entry dialog.
    void CreateWindows();
    // The start-up load: last diary, place lists of the entry dialog, the diary's rows, title.
    void FormCreate();
    std::string SettingsFile() const;
    int SelectedRow() const;
    // The row the user chose, as the list showed it when asked; nothing when none is selected
    // (said in a box).
    std::optional<diary::RecordRow> ChosenRide();
    // Another program changed the diary: the list shows it as it is now, in the same order and
    // with the same ride selected where it still exists.
    void ReloadFromDisk();
    // This year's goal as a note after the due parts, anew when a ride or a goal changed.
    void ShowGoalNote();
    // A sync tool's conflict copy beside the diary as a note, with the rides it would add.
    void ShowConflictCopyNote();
    // Remembers CurrentDiaryPath in the settings file; a failure is shown and changes nothing.
    bool RememberDiary();
    // The column widths of both lists from the settings file, and back when the user changed
    // them.
    void RestoreListWidths();
    void RememberListWidths();
    // The entry dialog with its bike list read anew.
    TAddForm& EntryDialog();
    template <typename Run>
    bool RunEntryDialog(Run&& run);
    // The small modal helpers, made when first asked for.
    TCasForm& RideTimeDialog();
    TCalendarForm& DatePicker();
    TInfoForm& DetailWindow();
    // A bike typed in the entry dialog joins the bike list once its ride is saved.
    void RememberBike(const diary::DiaryRecord& record);
    // The entry dialog for a new ride, filled with `fields`, under `caption`; on "OK" the ride
    // is added to the diary.
    void AddRide(diary::DiaryRecord fields, const QString& caption);
    // One entry dialog after another, a ride for each of the track files that reads.
    void AddRidesFromTracks(const QStringList& paths);
    // Where a file dialog starts: the folder last chosen in one, else the open diary's.
    QString DialogFolder() const;
    // The file dialog (save or open) for `filter`; the chosen name, or "" after a cancel.
    QString AskFileName(bool save, const QString& filter);
    // Asks before a file that exists is replaced; true when the name may be used.
    bool MayOverwrite(const QString& path);
    // The newest ride in view as the list opens, unless a ride is selected: then that one.
    void ScrollToSelectedRide();

    const QString settingsFolder_;
    const diary::RegionalSettings regional_;
    // The settings file could not be read at start: said once, then left alone for the session.
    bool settingsUnreadable_ = false;
    // The place lists as the start-up load read them: the entry dialog offers them.
    diary::PlaceLists placeLists_;
    // The widths of the main list and the search results after the start, to tell whether the
    // user changed them.
    std::pair<std::vector<int>, std::vector<int>> startWidths_;
    bool searchPlaced_ = false;
    // The folder of the last file chosen in a file dialog; empty until one was.
    QString dialogFolder_;

    OpenDiary* diary_ = nullptr;
    QTreeView* rideList = nullptr;
    QAction* newDiaryAction = nullptr;
    QAction* openDiaryAction = nullptr;
    QAction* saveAsAction = nullptr;
    QAction* importOldAction = nullptr;
    QAction* importArchiveAction = nullptr;
    QAction* exportCsvAction = nullptr;
    QAction* restoreBackupAction = nullptr;
    QAction* mergeCopyAction = nullptr;
    QAction* quitAction = nullptr;
    QAction* newRideAction = nullptr;
    QAction* editRideAction = nullptr;
    QAction* deleteRideAction = nullptr;
    QAction* searchAction = nullptr;
    QAction* newFromTrackAction = nullptr;
    QAction* newLikeSelectedAction = nullptr;
    QAction* placeListsAction = nullptr;
    QAction* bikesAction = nullptr;
    QAction* statisticsAction = nullptr;
    QAction* overviewAction = nullptr;
    QAction* goalsAction = nullptr;
    QAction* aboutAction = nullptr;

    // The other windows, each with this window as its parent (the modal ones are application
    // modal while they are up). About, the backup list and the shortcut editor are made when
    // first opened.
    std::unique_ptr<TAddForm> add_;
    std::unique_ptr<TAboutBox> about_;
    std::unique_ptr<TFindForm> find_;
    std::unique_ptr<TZkratkyForm> zkratky_;
    std::unique_ptr<TCasForm> cas_;
    std::unique_ptr<TCalendarForm> calendar_;
    std::unique_ptr<TStatForm> stat_;
    std::unique_ptr<TInfoForm> info_;
    std::unique_ptr<TKolaForm> kola_;
    std::unique_ptr<TBackupForm> backup_;
    std::unique_ptr<TPrehledForm> prehled_;
    std::unique_ptr<TCileForm> cile_;
    std::unique_ptr<WindowPlaces> places_;
    std::vector<QLabel*> notes_;
};
