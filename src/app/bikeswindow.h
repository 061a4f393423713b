#pragma once
// The bikes window ("Kola"): each bike with what its rides in the open diary add up to, the
// bikes added, renamed or removed, and each bike's parts with the kilometres done since they
// were fitted. Figures come from the main list; the bikes and parts from the open diary's file,
// as the list last read or saved it.

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diary/bikes.h"
#include "diary/record.h"
#include "diary/regional.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;
class OpenDiary;
class RecordModel;

// The name of a bike, typed in for a new bike or a rename.
class TKoloNameForm : public QDialog {
    Q_OBJECT
public:
    explicit TKoloNameForm(QWidget* parent);
    // Shows `name` under `caption`; exec() then ends with kResultOk once the name is one a
    // ride can carry, or with kResultCancel.
    void Start(const QString& caption, const QString& name);
    // The name typed, without blanks at its ends, in code page 1250.
    std::string Name() const;

private:
    void Accept();
    QLineEdit* nameEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

// One part of a bike: its name, the day it was fitted, its interval.
class TDilForm : public QDialog {
    Q_OBJECT
public:
    TDilForm(const diary::RegionalSettings& regional, QWidget* parent);
    // Shows `part` (its texts in the user's formats) under `caption`; exec() then ends with
    // kResultOk once the texts make a part the settings file can hold, or with kResultCancel.
    void Start(const QString& caption, const diary::ServicePart& part);
    // The part as typed, for the bike Start was given.
    const diary::ServicePart& Part() const { return part_; }

private:
    void Accept();
    diary::RegionalSettings regional_;
    diary::ServicePart part_;
    QLineEdit* nameEdit = nullptr;
    QLineEdit* fittedEdit = nullptr;
    QLineEdit* intervalEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

class TKolaForm : public QWidget {
    Q_OBJECT
public:
    // The figures are the open diary's rides; a rename or a removal changes that diary.
    explicit TKolaForm(OpenDiary& diary, QWidget* parent = nullptr);
    ~TKolaForm() override;

    // The note for the status bar about the parts past their interval (empty when none is).
    QString DuePartsNote() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void AddBike();     // "Přidat kolo"
    void RenameBike();  // "Přejmenovat"
    void RemoveBike();  // "Smazat kolo"
    void AddPart();     // "Přidat díl"
    void EditPart();    // "Upravit díl"
    void RemovePart();  // "Smazat díl"
    void ShowParts();   // the selected bike's parts, below the bikes

private:
    // The bikes and their figures from the open diary, with `select` (or the bike selected
    // before) selected.
    void Refresh(const std::optional<std::string>& select = std::nullopt);
    // The row of the bikes list selected, or nothing; the rides without a bike are a row too.
    const diary::BikeFigures* SelectedBike() const;
    const diary::PartStatus* SelectedPart() const;
    bool HasBike(const std::string& name) const;
    void UpdateButtons();

    const RecordModel* list_;
    diary::RegionalSettings regional_;
    OpenDiary& diary_;
    std::vector<diary::BikeFigures> figures_;
    std::vector<diary::PartStatus> parts_;

    QTreeWidget* bikeList = nullptr;
    QTreeWidget* partList = nullptr;
    QPushButton *PridatKolo, *PrejmenovatKolo, *SmazatKolo;
    QPushButton *PridatDil, *UpravitDil, *SmazatDil;
    QPushButton* okButton = nullptr;
    TKoloNameForm* nameForm_ = nullptr;
    TDilForm* partForm_ = nullptr;
};
