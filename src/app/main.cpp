#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>

#include "config/shipped_languages.h"
#include "session/data_directory.h"
#include "session/session_controller.h"
#include "ui/desktop_opener.h"
#include "ui/first_paint_probe.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"
#include "ui/widget_dialogs.h"

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// $HOME, or the account's home directory when it is unset.
std::string homeDirectory() {
    std::string home = environment("HOME");
    if (home.empty())
        if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
            home = account->pw_dir;
    return home;
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quayside Pro"));
    // Desktops match the window to its installed menu entry and icon by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUAY_APP_ID));

    const std::filesystem::path exeDir = QCoreApplication::applicationDirPath().toStdString();
    const std::filesystem::path dataDir =
        quay::chooseDataDirectory(exeDir, environment("XDG_CONFIG_HOME"), homeDirectory());
    quay::addShippedLanguageFiles(exeDir / QUAY_SHIPPED_LANGUAGES, dataDir);
    quay::QtEventLoop loop;
    quay::WidgetDialogs dialogs;
    quay::SessionController controller(loop, dialogs, dataDir);
    controller.onOpenFile = quay::openWithDesktop;
    quay::MainWindow window(controller);
    dialogs.setParent(&window);

    // With QUAY_EXIT_AFTER_FIRST_PAINT set, the program reports its start-up time and ends.
    quay::FirstPaintProbe probe(clock);
    if (!environment("QUAY_EXIT_AFTER_FIRST_PAINT").empty())
        app.installEventFilter(&probe);
    window.show();
    const int rc = QApplication::exec();
    controller.FormDestroy();
    return rc;
}
