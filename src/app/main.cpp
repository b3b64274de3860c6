#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "session/data_directory.h"
#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"
#include "ui/widget_dialogs.h"

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// With QUAY_EXIT_AFTER_FIRST_PAINT set, the first paint of the main window prints the time
// since main() began, in milliseconds, and ends the program (start-up measurement). The main
// window is the only window, so the first paint of any widget is its first paint.
class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(const QElapsedTimer& clock) : m_clock(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("first paint after %lld ms\n",
                        static_cast<long long>(m_clock.nsecsElapsed() / 1000000));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quayside Pro"));

    const std::filesystem::path dataDir =
        quay::chooseDataDirectory(QCoreApplication::applicationDirPath().toStdString(),
                                  environment("XDG_CONFIG_HOME"), environment("HOME"));
    quay::QtEventLoop loop;
    quay::WidgetDialogs dialogs;
    quay::SessionController controller(loop, dialogs, dataDir);
    controller.onStartInstance = [] {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    };
    quay::MainWindow window(controller);
    dialogs.setParent(&window);

    FirstPaintProbe probe(clock);
    if (!environment("QUAY_EXIT_AFTER_FIRST_PAINT").empty())
        app.installEventFilter(&probe);
    window.show();
    const int rc = QApplication::exec();
    controller.FormDestroy();
    return rc;
}
