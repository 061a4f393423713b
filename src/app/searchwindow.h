#pragma once
// The search window: up to eleven conditions over the open diary's records, joined by "A" (all)
// or "nebo" (any); the matches are listed as the main list shows them.

#include <QDate>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "diary/regional.h"
#include "diary/search.h"

class QCheckBox;
class QLineEdit;
class QToolButton;
class QPushButton;
class QGroupBox;
class QRadioButton;
class QTreeView;
class RecordModel;

class TFindForm : public QWidget {
    Q_OBJECT
public:
    // The small modal helpers the window opens; the main window makes them after this window.
    struct Helpers {
        std::function<QDate(QWidget *opener)> pickDate;
        // The ride time typed in the ride-time dialog (which keeps what was typed the time
        // before), or nothing when it was cancelled.
        std::function<std::optional<QString>()> askRideTime;
    };

    // The diary "Vyhledat" searches: its path, and whether the main list holds the file as it
    // is on disk now (then the list's rows and the values read from them are searched, without
    // reading the file again).
    struct Diary {
        std::function<QString()> path;
        std::function<bool()> listIsOnDisk;
    };

    // `list` is the main list: a match is shown as its row there shows it.
    TFindForm(const RecordModel *list, const diary::RegionalSettings &regional, Diary diary,
              Helpers helpers, QWidget *parent = nullptr);

    // The widths of the result list's columns (see ColumnWidths in recordmodel.h).
    std::vector<int> ResultColumnWidths() const;
    void RestoreResultColumnWidths(const std::vector<int> &widths);

protected:
    void showEvent(QShowEvent *event) override;
    // Enter runs "Vyhledat" (or presses the focused button), Esc closes as "Storno" does.
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void Search();            // "Vyhledat": lists the matches in the diary file
    void PickLowerDate();     // the calendar button over "Od" of the date
    void PickUpperDate();     // the calendar button over "Do" of the date
    void AskLowerRideTime();  // "..." beside "Od" of the ride time
    void AskUpperRideTime();  // "..." beside "Do" of the ride time
    void ExportResults();     // "Export do CSV…": the result list as it is shown

private:
    // The conditions as the controls show them, in code page 1250.
    diary::SearchConditions Conditions() const;

    const RecordModel *list_;
    diary::RegionalSettings regional_;
    Diary diary_;
    Helpers helpers_;
    RecordModel *results_;
    // The folder of the last CSV file chosen here; empty until one was.
    QString exportFolder_;

    QCheckBox *dateCheck, *fromCheck, *toCheck, *viaCheck, *departureCheck, *arrivalCheck,
        *distanceCheck, *avgSpeedCheck, *maxSpeedCheck, *rideTimeCheck, *bikeCheck;
    QLineEdit *lowerDateEdit, *upperDateEdit, *fromEdit, *toEdit, *viaEdit, *lowerDepartureEdit,
        *upperDepartureEdit, *lowerArrivalEdit, *upperArrivalEdit, *lowerDistanceEdit,
        *upperDistanceEdit, *lowerAvgSpeedEdit, *upperAvgSpeedEdit, *lowerMaxSpeedEdit,
        *upperMaxSpeedEdit, *lowerRideTimeEdit, *upperRideTimeEdit, *bikeEdit;
    QToolButton *lowerDateButton, *upperDateButton;
    QPushButton *lowerRideTimeButton, *upperRideTimeButton;
    QGroupBox *combineGroup;
    QRadioButton *allRadio, *anyRadio;
    QPushButton *findButton, *cancelButton, *exportButton;
    QTreeView *resultList;
};
