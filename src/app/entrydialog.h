#pragma once
// The record entry dialog: one ride typed in or corrected, with the helpers that fill a field.
// "OK" saves the ride through the open diary; the dialog closes only once the ride is in the
// file, and stays open with everything typed when the save failed or was refused.

#include <QDate>
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diary/record.h"
#include "diary/regional.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class OpenDiary;
class RecordModel;

class TAddForm : public QDialog {
    Q_OBJECT
public:
    // The small modal helpers the dialog opens. The main window makes them after this dialog,
    // so it hands over the way to ask them rather than the windows themselves.
    struct Helpers {
        std::function<QDate(QWidget* opener)> pickDate;
        // The ride time typed in a fresh ride-time dialog, or nothing when it was cancelled.
        std::function<std::optional<QString>()> askRideTime;
    };

    // "Posledni" reads the last row of the open diary's list.
    TAddForm(OpenDiary& diary, Helpers helpers, QWidget* parent = nullptr);

    // A new ride, starting from `fields` (its number the one the list would give it), under
    // `caption`; true once it is in the file.
    bool AddRide(const diary::DiaryRecord& fields, const QString& caption);
    // Corrects `ride`, the row as the user chose it; true once the correction is in the file.
    bool EditRide(const diary::RecordRow& ride);

    // The number in numberLabel and the eleven fields and the bike, as code page 1250 texts. The
    // bike is read without blanks at its ends: it is a name, matched to the bike list.
    void SetRecord(const diary::DiaryRecord& record);
    diary::DiaryRecord Record() const;
    // The place lists offered by fromCombo, toCombo and viaCombo, in file order.
    void SetPlaceLists(const std::vector<std::string>& from, const std::vector<std::string>& to,
                       const std::vector<std::string>& via);
    // The bikes bikeCombo offers, in the settings file's order; the text in bikeCombo stays.
    void SetBikeList(const std::vector<std::string>& bikes);

    // Esc and the close box end the dialog as "Storno" does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void FillToday();            // "Dnes"
    void PickDate();             // the calendar button
    void FillLastArrival();      // "Posledni": the last row's arrival reading
    void ComputeDistance();      // beside "Ujeto (km):"
    void ComputeArrival();       // beside "Příjed (km):"
    void ComputeRideTime();      // beside "Čas jízdy:"
    void ComputeAverageSpeed();  // beside "Průmerná rychlost :"
    void AskRideTime();          // "..."
    void AcceptRide();           // "OK": refuses what the diary file cannot hold

private:
    QWidget* FieldWidget(diary::Field field) const;
    QLineEdit* EditOf(diary::Field field) const;  // the field's line edit (a combo box's own)
    QString FieldText(diary::Field field) const;
    void SetFieldText(diary::Field field, const QString& text);

    OpenDiary& diary_;
    const RecordModel* list_;
    diary::RegionalSettings regional_;
    Helpers helpers_;
    // Saves the ride of this opening; true once it is in the file.
    std::function<bool(const diary::DiaryRecord&)> save_;
    // Each field's text as it was last set (loaded or emptied), before the user typed.
    std::array<QString, diary::kFieldCount> loaded_;

    QLabel* numberLabel = nullptr;
    QLineEdit* dateEdit = nullptr;
    QComboBox* fromCombo = nullptr;
    QComboBox* viaCombo = nullptr;
    QComboBox* toCombo = nullptr;
    QLineEdit* departureKmEdit = nullptr;
    QLineEdit* distanceKmEdit = nullptr;
    QLineEdit* arrivalKmEdit = nullptr;
    QLineEdit* avgSpeedEdit = nullptr;
    QLineEdit* rideTimeEdit = nullptr;
    QLineEdit* maxSpeedEdit = nullptr;
    QLineEdit* noteEdit = nullptr;
    QComboBox* bikeCombo = nullptr;
    QPushButton* todayButton = nullptr;
    QToolButton* calendarButton = nullptr;
    QPushButton* lastArrivalButton = nullptr;
    QToolButton* distanceCalcButton = nullptr;
    QToolButton* arrivalCalcButton = nullptr;
    QToolButton* avgSpeedCalcButton = nullptr;
    QPushButton* rideTimeButton = nullptr;
    QToolButton* rideTimeCalcButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
