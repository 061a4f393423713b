#pragma once
// The main window: the record list of the open diary, its file and record commands.

#include <QMainWindow>
#include <string>

class QAction;
class QMenu;
class QToolBar;
class QTreeView;
class RecordModel;

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
    explicit TMainForm(QWidget* parent = nullptr);

    // The start-up load: last diary, place lists of the entry dialog, the diary's rows, title.
    void FormCreate();
    // Opens the diary at `path` (a missing file is an empty diary) and remembers it.
    void Otevri(const QString& path);

    const QString& CurrentDiaryPath() const { return currentDiaryPath_; }
    RecordModel* model() const { return model_; }
    // Index of the selected row of Seznam, or -1.
    int SelectedRow() const;

    QTreeView* Seznam = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QMenu* Soubor1 = nullptr;
    QMenu* Udaj1 = nullptr;
    QAction* Nov1 = nullptr;
    QAction* Otevt1 = nullptr;
    QAction* Uloitjako1 = nullptr;
    QAction* Importzestarverze1 = nullptr;
    QAction* Konec1 = nullptr;
    QAction* Novy1 = nullptr;
    QAction* Editovat1 = nullptr;
    QAction* Smazat1 = nullptr;
    QAction* Hledat1 = nullptr;
    QAction* Zkratky1 = nullptr;
    QAction* Statistika1 = nullptr;
    QAction* Oprogramu1 = nullptr;

signals:
    // The main window has closed: the program ends.
    void Closed();

public slots:
    void Nov1Click();
    void Otevt1Click();
    void Uloitjako1Click();
    void Importzestarverze1Click();
    void Konec1Click();
    void Novy1Click();
    void Editovat1Click();
    void SmazatClick();
    void Hledat1Click();
    void Zkratky1Click();
    void Statistika1Click();
    void Oprogramu1Click();
    void SeznamColumnClick(int column);
    void SeznamDblClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SetTitle();
    // Remembers CurrentDiaryPath in the settings file; a failure is shown and changes nothing.
    void RememberDiary();
    // Runs the entry dialog with the main window disabled; true when it ended with "OK".
    bool RunEntryDialog(const QString& caption);
    // Asks before a file that exists is replaced; true when the name may be used.
    bool MayOverwrite(const QString& path);

    RecordModel* model_ = nullptr;
    QString currentDiaryPath_;
};
