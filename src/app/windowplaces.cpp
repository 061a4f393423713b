#include "app/windowplaces.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <algorithm>
#include <optional>
#include <utility>

#include "app/msgbox.h"
#include "diary/settings.h"

namespace {

const std::string kMainKey = "hlavni";

// A place stored on another computer or before a screen was unplugged may lie off every screen
// now: such a place is not taken.
bool OnSomeScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(rect);
        if (seen.width() >= 64 && seen.height() >= 32) return true;
    }
    return false;
}

std::optional<diary::WindowPlace> Stored(const std::string& settings, const std::string& key) {
    if (settings.empty()) return std::nullopt;
    try {
        return diary::ReadWindowPlace(settings, key);
    } catch (const std::exception&) {
        // Where a window goes is a convenience; an unreadable settings file was said at start.
        return std::nullopt;
    }
}

}  // namespace

WindowPlaces::WindowPlaces(QMainWindow* main, std::function<std::string()> settingsFile)
    : main_(main), settingsFile_(std::move(settingsFile)) {}

void WindowPlaces::RestoreMain() {
    const auto place = Stored(settingsFile_(), kMainKey);
    if (!place) return;
    const QRect rect(place->x, place->y, place->width, place->height);
    if (OnSomeScreen(rect)) {
        main_->setGeometry(rect);
    } else {
        main_->resize(rect.size());
    }
    if (place->maximized) main_->setWindowState(main_->windowState() | Qt::WindowMaximized);
}

void WindowPlaces::Place(QWidget* window) {
    if (std::find(placed_.begin(), placed_.end(), window) != placed_.end()) return;
    placed_.push_back(window);
    const auto place = Stored(settingsFile_(), window->objectName().toStdString());
    const QRect rect = place ? QRect(place->x, place->y, place->width, place->height) : QRect();
    if (place && OnSomeScreen(rect)) {
        window->setGeometry(rect);
    } else {
        if (place) window->resize(rect.size());
        CenterOver(window, main_);
    }
}

void WindowPlaces::Remember() {
    const std::string settings = settingsFile_();
    if (settings.empty()) return;
    const auto placeOf = [](const QWidget* window, bool maximized) {
        const QRect r = maximized ? window->normalGeometry() : window->geometry();
        return diary::WindowPlace{r.x(), r.y(), r.width(), r.height(), maximized};
    };
    std::vector<std::pair<std::string, diary::WindowPlace>> places;
    places.emplace_back(kMainKey, placeOf(main_, main_->isMaximized()));
    for (const QWidget* window : placed_)
        places.emplace_back(window->objectName().toStdString(), placeOf(window, false));
    Guarded(main_, [&] { diary::WriteWindowPlaces(settings, places); });
}

void WindowPlaces::CenterOver(QWidget* window, const QWidget* owner) {
    QRect frame(QPoint(), window->frameGeometry().size());
    frame.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = owner->screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveRight(std::min(frame.right(), area.right()));
        frame.moveBottom(std::min(frame.bottom(), area.bottom()));
        frame.moveLeft(std::max(frame.left(), area.left()));
        frame.moveTop(std::max(frame.top(), area.top()));
    }
    window->move(frame.topLeft());
}
