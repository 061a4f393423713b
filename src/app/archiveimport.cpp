#include "app/archiveimport.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <exception>
#include <utility>

#include "app/filedialog.h"
#include "app/msgbox.h"
#include "app/opendiary.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/bikes.h"
#include "diary/record_table.h"
#include "tracks/track_file.h"

// What the reading thread and the window share: the window only reads it once the thread ended,
// but for the progress and the cancel flag.
struct TImportForm::Job {
    std::vector<std::string> paths;
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    std::vector<tracks::ImportCandidate> candidates;
    std::exception_ptr error;
    bool cancelled = false;
};

namespace {

enum Column { Tick, Datum, Ujeto, Cas, Nazev, Kolo, Druh, Stav, Soubor, ColumnCount };

// A cell that sorts by its key (a number, or the text itself), not by what it shows.
class SortItem : public QTableWidgetItem {
public:
    SortItem(const QString& text, QVariant key) : QTableWidgetItem(text) {
        setData(Qt::UserRole, std::move(key));
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(Qt::UserRole);
        const QVariant b = other.data(Qt::UserRole);
        if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double) {
            return a.toDouble() < b.toDouble();
        }
        return QString::localeAwareCompare(text(), other.text()) < 0;
    }
};

QString StatusText(const tracks::ImportCandidate& c) {
    switch (c.status) {
        case tracks::ImportStatus::New:
            return QStringLiteral("nová");
        case tracks::ImportStatus::Duplicate:
            return QStringLiteral("už v deníku");
        case tracks::ImportStatus::NotARide:
            return QStringLiteral("není jízda na kole");
        case tracks::ImportStatus::Unreadable:
            break;
    }
    return QStringLiteral("nečitelná – ") + QString::fromStdString(c.reason);
}

// Unknown values sort first, as the empty cells they are.
constexpr double kNone = -1;

}  // namespace

TImportForm::TImportForm(OpenDiary& diary, QString folder, QWidget* parent)
    : QDialog(parent), diary_(diary), regional_(diary.regional()), folder_(std::move(folder)) {
    setObjectName(QStringLiteral("ImportForm"));
    setWindowTitle(QStringLiteral("Import jízd z archivu"));
    resize(860, 480);
    auto* layout = new QVBoxLayout(this);
    pages = new QStackedWidget(this);
    pages->setObjectName(QStringLiteral("Stranky"));
    layout->addWidget(pages);

    // What to read.
    auto* choose = new QWidget(pages);
    auto* chooseLayout = new QVBoxLayout(choose);
    auto* hint = new QLabel(
        QStringLiteral("Vyberte archiv exportu (zip) ze služby, kde máte své jízdy, složku "
                       "s rozbaleným exportem, nebo soubory záznamů GPS (GPX, TCX, FIT, i "
                       "zabalené gzipem). Před zápisem do deníku uvidíte, co se přidá."),
        choose);
    hint->setWordWrap(true);
    chooseLayout->addWidget(hint);
    archiveButton = new QPushButton(QStringLiteral("&Archiv nebo soubory…"), choose);
    archiveButton->setObjectName(QStringLiteral("ArchivButton"));
    folderButton = new QPushButton(QStringLiteral("&Složka…"), choose);
    folderButton->setObjectName(QStringLiteral("SlozkaButton"));
    chooseLayout->addWidget(archiveButton);
    chooseLayout->addWidget(folderButton);
    chooseLayout->addStretch();
    pages->addWidget(choose);

    // Reading.
    auto* reading = new QWidget(pages);
    auto* readingLayout = new QVBoxLayout(reading);
    readingLabel = new QLabel(QStringLiteral("Čtu export…"), reading);
    readingLabel->setObjectName(QStringLiteral("Cteni"));
    progressBar = new QProgressBar(reading);
    progressBar->setObjectName(QStringLiteral("Prubeh"));
    progressBar->setRange(0, 0);
    readingLayout->addStretch();
    readingLayout->addWidget(readingLabel);
    readingLayout->addWidget(progressBar);
    readingLayout->addStretch();
    pages->addWidget(reading);

    // The preview.
    auto* preview = new QWidget(pages);
    auto* previewLayout = new QVBoxLayout(preview);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewTable = new QTableWidget(0, ColumnCount, preview);
    previewTable->setObjectName(QStringLiteral("Nahled"));
    previewTable->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("Datum"), QStringLiteral("Ujeto (km)"),
         QStringLiteral("Čas jízdy"), QStringLiteral("Název"), QStringLiteral("Kolo"),
         QStringLiteral("Druh"), QStringLiteral("Stav"), QStringLiteral("Soubor")});
    previewTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    previewTable->verticalHeader()->hide();
    previewTable->horizontalHeader()->setStretchLastSection(true);
    previewLayout->addWidget(previewTable);
    summaryLabel = new QLabel(preview);
    summaryLabel->setObjectName(QStringLiteral("Souhrn"));
    previewLayout->addWidget(summaryLabel);
    pages->addWidget(preview);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    importButton = new QPushButton(QStringLiteral("&Importovat"), this);
    importButton->setObjectName(QStringLiteral("ImportovatButton"));
    importButton->setEnabled(false);
    cancelButton = new QPushButton(QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("StornoButton"));
    buttons->addWidget(importButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, [this] {
        if (!job_) return;
        const std::uint64_t total = job_->total.load();
        if (total == 0) return;
        // In thousandths: the range of a progress bar is an int.
        progressBar->setRange(0, 1000);
        progressBar->setValue(
            static_cast<int>(std::min<std::uint64_t>(job_->done * 1000 / total, 1000)));
    });
    connect(archiveButton, &QPushButton::clicked, this, [this] { Choose(false); });
    connect(folderButton, &QPushButton::clicked, this, [this] { Choose(true); });
    connect(cancelButton, &QPushButton::clicked, this, &TImportForm::reject);
    connect(importButton, &QPushButton::clicked, this, &TImportForm::Import);
    connect(previewTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == Tick) UpdateCounts();
    });
}

TImportForm::~TImportForm() { StopReading(); }

void TImportForm::StopReading() {
    if (thread_ == nullptr) return;
    job_->cancel = true;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
}

void TImportForm::reject() {
    // Nothing has been written: the reading stops at its next block and is thrown away.
    if (thread_ != nullptr) {
        job_->cancel = true;
        cancelButton->setEnabled(false);
        readingLabel->setText(QStringLiteral("Přerušuji čtení…"));
        return;  // Finished() closes the window once the thread has stopped.
    }
    QDialog::reject();
}

void TImportForm::Choose(bool folder) {
    QStringList paths;
    if (folder) {
        const QString chosen = filedialog::ExistingFolder(this, folder_);
        if (!chosen.isEmpty()) paths = QStringList{chosen};
    } else {
        paths = filedialog::OpenFileNames(
            this,
            QStringLiteral("Exporty a záznamy GPS (*.zip *.gz *.gpx *.tcx *.fit *.csv);;"
                           "Všechny soubory (*)"),
            folder_);
    }
    if (paths.isEmpty()) return;
    folder_ = folder ? paths.first() : QFileInfo(paths.first()).absolutePath();
    Read(paths);
}

void TImportForm::Read(const QStringList& paths) {
    job_ = std::make_shared<Job>();
    for (const QString& p : paths) job_->paths.push_back(ToFsPath(p));
    pages->setCurrentIndex(1);
    archiveButton->setEnabled(false);
    folderButton->setEnabled(false);
    std::shared_ptr<Job> job = job_;
    thread_ = QThread::create([job] {
        tracks::ReadControl control;
        control.cancelled = [job] { return job->cancel.load(); };
        control.progress = [job](std::uint64_t done, std::uint64_t total) {
            job->done = done;
            job->total = total;
        };
        try {
            job->candidates = tracks::ReadExport(job->paths, control);
        } catch (const tracks::ReadCancelled&) {
            job->cancelled = true;
        } catch (...) {
            job->error = std::current_exception();
        }
    });
    connect(thread_, &QThread::finished, this, &TImportForm::Finished);
    poll_->start();
    thread_->start();
}

void TImportForm::Finished() {
    poll_->stop();
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    if (job_->cancelled || job_->cancel) {
        QDialog::reject();
        return;
    }
    if (job_->error) {
        try {
            std::rethrow_exception(job_->error);
        } catch (const std::exception& e) {
            ShowException(this, e);
        } catch (...) {
            ShowUnknownException(this);
        }
        QDialog::reject();
        return;
    }
    candidates_ = std::move(job_->candidates);
    job_.reset();
    tracks::MarkDuplicates(candidates_, diary_.model().table().Rows(), regional_);
    ShowCandidates();
}

void TImportForm::ShowCandidates() {
    pages->setCurrentIndex(2);
    const QSignalBlocker quiet(previewTable);
    previewTable->setSortingEnabled(false);
    previewTable->setRowCount(static_cast<int>(candidates_.size()));
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        const tracks::ImportCandidate& c = candidates_[i];
        const auto row = static_cast<int>(i);
        diary::DiaryRecord fields;
        if (c.hasRide) fields = tracks::RideFields(c.ride, regional_);
        const auto text = [&](diary::Field f) { return FromCp(fields[f]); };

        auto* tick = new SortItem(QString(), static_cast<double>(c.Wanted()));
        tick->setData(Qt::UserRole + 1, static_cast<qulonglong>(i));
        if (c.status == tracks::ImportStatus::Unreadable) {
            tick->setFlags(Qt::ItemIsEnabled);
        } else {
            tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            tick->setCheckState(c.Wanted() ? Qt::Checked : Qt::Unchecked);
        }
        previewTable->setItem(row, Tick, tick);
        const double day = c.ride.startUtc ? static_cast<double>(*c.ride.startUtc) : kNone;
        previewTable->setItem(row, Datum, new SortItem(text(diary::Field::Date), day));
        previewTable->setItem(row, Ujeto,
                              new SortItem(text(diary::Field::DistanceKm),
                                           c.hasRide ? c.ride.distanceMetres : kNone));
        previewTable->setItem(
            row, Cas,
            new SortItem(text(diary::Field::RideTime), c.ride.movingSeconds.value_or(kNone)));
        previewTable->setItem(row, Nazev, new SortItem(QString::fromStdString(c.ride.name), {}));
        previewTable->setItem(row, Kolo, new SortItem(QString::fromStdString(c.bike), {}));
        previewTable->setItem(row, Druh, new SortItem(QString::fromStdString(c.type), {}));
        auto* status = new SortItem(StatusText(c), {});
        if (!c.reason.empty()) status->setToolTip(QString::fromStdString(c.reason));
        previewTable->setItem(row, Stav, status);
        previewTable->setItem(row, Soubor, new SortItem(QString::fromStdString(c.source), {}));
    }
    previewTable->setSortingEnabled(true);
    previewTable->sortByColumn(Datum, Qt::AscendingOrder);
    previewTable->resizeColumnsToContents();
    UpdateCounts();
}

void TImportForm::UpdateCounts() {
    int counts[4] = {};
    for (const tracks::ImportCandidate& c : candidates_) ++counts[static_cast<int>(c.status)];
    int ticked = 0;
    for (int row = 0; row < previewTable->rowCount(); ++row) {
        if (previewTable->item(row, Tick)->checkState() == Qt::Checked) ++ticked;
    }
    const QLocale locale;
    summaryLabel->setText(
        QStringLiteral("Aktivit: %1 – nové: %2, už v deníku: %3, není jízda na kole: "
                       "%4, nečitelné: %5. K importu vybráno: %6.")
            .arg(locale.toString(static_cast<qulonglong>(candidates_.size())),
                 locale.toString(counts[0]), locale.toString(counts[1]), locale.toString(counts[2]),
                 locale.toString(counts[3]), locale.toString(ticked)));
    importButton->setEnabled(ticked > 0);
}

void TImportForm::Import() {
    std::vector<const tracks::ImportCandidate*> chosen;
    for (int row = 0; row < previewTable->rowCount(); ++row) {
        const QTableWidgetItem* tick = previewTable->item(row, Tick);
        if (tick->checkState() != Qt::Checked) continue;
        chosen.push_back(&candidates_[tick->data(Qt::UserRole + 1).toULongLong()]);
    }
    std::vector<diary::DiaryRecord> records;
    if (!Guarded(this, [&] { records = tracks::ImportRecords(chosen, regional_); })) return;
    if (records.empty() || !diary_.AddRides(this, records)) return;
    // The export's bikes join the diary's list, each once, as a ride typed with a new bike
    // does: in a save of their own after the rides'.
    std::vector<std::string> bikes;
    for (const diary::DiaryRecord& r : records) {
        const std::string& bike = r[diary::Field::Bike];
        if (!bike.empty() && std::find(bikes.begin(), bikes.end(), bike) == bikes.end()) {
            bikes.push_back(bike);
        }
    }
    diary_.AddBikes(this, bikes);
    ShowMessage(this, MsgKind::Information,
                QStringLiteral("Do deníku přibylo jízd: %1.")
                    .arg(QLocale().toString(static_cast<qulonglong>(records.size()))));
    accept();
}
