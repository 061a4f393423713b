#pragma once
// Where the program's windows go. The main window opens where the user left it last time (size,
// position, maximised); every window the program added opens centred over the main window the
// first time and where the user left it after that, in this run and the next. Kept in the
// settings file's section "okna", under each window's object name.

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QMainWindow;
class QWidget;

class WindowPlaces {
public:
    // `settingsFile` answers the settings file's path when asked (empty: it could not be read
    // at start, so nothing is read or written).
    WindowPlaces(QMainWindow* main, std::function<std::string()> settingsFile);

    // Before the main window is first shown: its size, position and maximised state as stored.
    void RestoreMain();
    // Before `window` shows: the first time in this run where it was left last time, else
    // centred over the main window; later Qt keeps it where the user left it.
    void Place(QWidget* window);
    // Stores the main window and every window placed in this run; a failure is said over the
    // main window and changes nothing else.
    void Remember();

    // `window` centred over `owner`, kept on `owner`'s screen.
    static void CenterOver(QWidget* window, const QWidget* owner);

private:
    QMainWindow* main_;
    std::function<std::string()> settingsFile_;
    std::vector<QWidget*> placed_;
};
