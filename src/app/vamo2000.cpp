#include <QApplication>
#include <csignal>
#include <exception>

#include "forms.h"
#include "msgbox.h"
#include "platform/platform.h"
#include "vamo.h"

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

}  // namespace

int main(int argc, char* argv[]) {
    // A write beyond the file size limit must fail like a full disk, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    VamoApplication application(argc, argv);
    // Only the name: a display name would be appended to every window title.
    QApplication::setApplicationName(QStringLiteral("Vamo 2000"));
    // Lets a Wayland desktop match the windows to the installed launcher and its picture.
    QGuiApplication::setDesktopFileName(QStringLiteral("vamo2001"));
    App().regional = platform::ReadRegionalSettings();

    CreateForms();
    QObject::connect(App().main, &TMainForm::Closed, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    App().main->show();
    const int result = application.exec();
    DestroyForms();
    return result;
}
