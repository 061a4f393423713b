#pragma once
// The goals window ("Cíle"): the goals of the chosen year, yearly and monthly, each with what
// the rides have done towards it and what it takes from today on; goals added, changed and
// removed. Goals live in the open diary's file; the figures follow the main list.

#include <QDate>
#include <QDialog>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "diary/goals.h"
#include "diary/regional.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class OpenDiary;
class RecordModel;

// One goal as the rider types it: the period, the kilometres, optionally rides and ride time,
// and the bike.
class TCilForm : public QDialog {
    Q_OBJECT
public:
    TCilForm(const diary::RegionalSettings& regional, QWidget* parent);
    // Shows `goal` under `caption`, offering `bikes` (code page 1250) beside every bike; exec()
    // then ends with kResultOk once the texts make a goal the diary can hold and none of
    // `others` has its period and bike.
    void Start(const QString& caption, const diary::Goal& goal,
               const std::vector<std::string>& bikes, std::vector<diary::Goal> others);
    const diary::Goal& Chosen() const { return goal_; }

private:
    void Accept();
    diary::RegionalSettings regional_;
    diary::Goal goal_;
    std::vector<diary::Goal> others_;
    QSpinBox* yearSpin = nullptr;
    QComboBox* monthCombo = nullptr;
    QLineEdit* kmEdit = nullptr;
    QLineEdit* ridesEdit = nullptr;
    QLineEdit* hoursEdit = nullptr;
    QComboBox* bikeCombo = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

class TCileForm : public QWidget {
    Q_OBJECT
public:
    explicit TCileForm(OpenDiary& diary, QWidget* parent = nullptr);
    ~TCileForm() override;

    // The day the figures count to: the clock's date unless one is set here.
    void SetToday(const QDate& today);
    QDate Today() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void AddGoal();     // "Přidat cíl"
    void EditGoal();    // "Změnit cíl", or a double click
    void RemoveGoal();  // "Smazat cíl"
    void UpdateButtons();

private:
    // The goals of the year chosen and their figures from the list as it is now.
    void Refresh();
    const diary::Goal* SelectedGoal() const;
    // The bikes the dialog offers: the bike list's and those rides carry.
    std::vector<std::string> Bikes() const;
    // The dialog for `goal` until it is saved or cancelled; a goal the save refused comes back
    // as typed. `old`: the goal it changes.
    void AskAndSave(const QString& caption, diary::Goal goal,
                    const std::optional<diary::Goal>& old);

    const RecordModel* list_;
    diary::RegionalSettings regional_;
    OpenDiary& diary_;
    std::optional<QDate> today_;
    // The goals the list shows, in its order.
    std::vector<diary::Goal> shown_;

    QSpinBox* yearSpin = nullptr;
    QTreeWidget* goalList = nullptr;
    QLabel* emptyLabel = nullptr;
    QPushButton* addGoalButton = nullptr;
    QPushButton* changeGoalButton = nullptr;
    QPushButton* removeGoalButton = nullptr;
    QPushButton* closeButton = nullptr;
    TCilForm* goalForm_ = nullptr;
};
