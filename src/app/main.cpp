#include <QApplication>
#include <QDir>
#include <QLocale>
#include <csignal>
#include <exception>

#include "app/icons.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/textcodec.h"
#include "app/translations.h"
#include "platform/platform.h"

namespace {

// The last line of defence: an error that escapes an event handler is shown and the program
// goes on, instead of Qt ending the process.
class VamoApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowException(activeWindow(), e);
        } catch (...) {
            ShowUnknownException(activeWindow());
        }
        return false;
    }
};

// The folder of the settings file and of the default diary when nobody chose one.
QString SettingsFolder() {
    const std::string folder = platform::SettingsFolder(platform::CurrentSettingsPlaces());
    // No home and an installed program: the folder it was started in, never the system's.
    if (folder.empty()) return QDir::currentPath();
    // The configuration folder may not exist yet; the first write of settings or diary needs
    // it. If it cannot be made, that write reports the path.
    platform::MakeFolders(folder);
    return FromFsPath(folder);
}

}  // namespace

int main(int argc, char* argv[]) {
    // A write beyond the file size limit must fail like a full disk, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    VamoApplication application(argc, argv);
    // Only the name: a display name would be appended to every window title.
    QApplication::setApplicationName(QStringLiteral("Vamo 2000"));
    // Lets a Wayland desktop match the windows to the installed launcher and its picture.
    QGuiApplication::setDesktopFileName(QStringLiteral("vamo2001"));
    // The file dialogs, context menus and standard buttons follow the user's language.
    InstallQtTranslations(QLocale::system());
    // Every window and dialog, message boxes and file dialogs included, carries the program's
    // picture unless it has one of its own.
    QApplication::setWindowIcon(icons::Program());

    TMainForm main(SettingsFolder(), platform::ReadRegionalSettings());
    QObject::connect(&main, &TMainForm::Closed, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    main.show();
    return application.exec();
}
