#pragma once
// "Import jízd z archivu…": a service's whole export (a zip, a folder, or track files) read off
// the GUI thread with a progress bar and "Storno", then a preview of every activity with what
// would happen to it; "Importovat" adds the ticked rides as one change of the diary.

#include <QDialog>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "diary/regional.h"
#include "tracks/ride_import.h"

class OpenDiary;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QThread;
class QTimer;

class TImportForm : public QDialog {
    Q_OBJECT
public:
    // The rides and the export's new bikes go to `diary`.
    TImportForm(OpenDiary& diary, QString folder, QWidget* parent = nullptr);
    ~TImportForm() override;

    // The folder the user last chose in, for the next file dialog.
    const QString& folder() const { return folder_; }
    // Reads `paths` at once (a test, or files dropped) instead of asking for them first.
    void Read(const QStringList& paths);

public slots:
    void reject() override;

private:
    struct Job;
    void Choose(bool folder);
    void Finished();
    void ShowCandidates();
    void UpdateCounts();
    void Import();
    void StopReading();

    OpenDiary& diary_;
    const diary::RegionalSettings regional_;
    QString folder_;
    std::vector<tracks::ImportCandidate> candidates_;
    std::shared_ptr<Job> job_;
    QThread* thread_ = nullptr;
    QTimer* poll_ = nullptr;

    QStackedWidget* pages = nullptr;
    QPushButton* archiveButton = nullptr;
    QPushButton* folderButton = nullptr;
    QLabel* readingLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QTableWidget* previewTable = nullptr;
    QLabel* summaryLabel = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
