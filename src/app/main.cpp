#include <QApplication>
#include <QDir>
#include <QLocale>
#include <csignal>
#include <exception>
#ifdef __GLIBC__
#include <malloc.h>
#endif

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
#ifdef __GLIBC__
    // Every save reads and writes the whole diary, a few megabytes at a time. By default glibc
    // raises its mmap threshold to the size of the first such block freed, and later blocks
    // then come from the heap and stay with the process after they are freed: 20 new rides
    // of a 100,000-ride diary took the resident memory from 60 to 97 MB. With a fixed threshold
    // every block of a megabyte or more goes back to the system when freed (60 to 70 MB).
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
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
