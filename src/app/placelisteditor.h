#pragma once
// The editor of the three place lists the entry dialog offers ("Odkud", "Kam", "Přes").
// The lists reach the entry dialog only at start, so "OK" saves them and starts anew.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "diary/settings.h"

class QLineEdit;
class QListWidget;
class QPushButton;

class TZkratkyForm : public QDialog {
    Q_OBJECT
public:
    // The three lists as the entry dialog offers them at start; "OK" writes them to the
    // settings file at `settingsPath`.
    TZkratkyForm(const QStringList& od, const QStringList& kam, const QStringList& pres,
                 std::string settingsPath, QWidget* parent = nullptr);

    // Starts the program anew from `exe` and ends this process at once. By default the
    // executable is started directly by its path (no shell, no quoting) and the process then
    // exits without running the main window's close query; tests put a recorder here.
    static std::function<void(const QString& exe)> restarter;

    // Shows `lists`, as the settings file holds them now, unless the window is open already
    // (then what the user typed stays); "OK" compares the file with them.
    void Open(const diary::PlaceLists& lists);

protected:
    // Every opening starts in the first column's edit.
    void showEvent(QShowEvent* event) override;

private slots:
    void SaveAndRestart();  // "OK"

private:
    void ShowLists(const diary::PlaceLists& lists);

    std::string settingsPath_;
    // The lists as the settings file held them when the editor started (or last showed them).
    diary::PlaceLists opened_;
    QLineEdit *fromEdit, *toEdit, *viaEdit;
    QListWidget *fromList, *toList, *viaList;
    QPushButton *addFromButton, *deleteFromButton, *addToButton, *deleteToButton, *addViaButton,
        *deleteViaButton;
    QPushButton *okButton, *cancelButton;
};
