// The session controller's log-in chain and listing through the real main window against lftp
// on the same vsftpd: from the double-click on a saved server to the listing shown, and a large
// directory opened into the remote pane.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "../bench_timing.h"
#include "ftp_servers.h"
#include "session/dialogs.h"
#include "session/session_controller.h"
#include "sites/server_line.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"

namespace {

namespace fs = std::filesystem;
using namespace quay;

// Nothing modal is asked on this road; anything that is gets the default answer.
class NoDialogs : public Dialogs {
public:
    Answer messageBox(const std::string&, const std::string&, Icon, unsigned) override {
        return Answer::Ok;
    }
    bool inputPrompt(const std::string&, const std::string&, std::string&, bool) override {
        return false;
    }
};

// Runs Qt until done() holds; the time in milliseconds from start. It sleeps while nothing
// happens: a spinning wait would take the processor from the server on a small machine.
double waitFor(const QElapsedTimer& clock, const std::function<bool()>& done) {
    QTimer wake;
    wake.start(100);
    while (!done()) {
        if (clock.elapsed() > 120000)
            throw std::runtime_error("timed out");
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    QApplication::processEvents();  // the paint of what was shown
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double lftpMs(const std::string& open, const std::string& commands) {
    QElapsedTimer clock;
    clock.start();
    const std::string line = open + "'" + commands + "; quit' >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0)
        throw std::runtime_error("lftp failed: " + line);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

long rowOf(PaneModel& pane, const std::string& caption) {
    for (std::size_t i = 0; i < pane.count(); ++i)
        if (pane.item(i).caption == caption)
            return static_cast<long>(i);
    return -1;
}

void makeEmptyFiles(const fs::path& dir, int count) {
    fs::create_directories(dir);
    for (int i = 0; i < count; ++i) {
        const std::string name = (dir / ("file" + std::to_string(i) + ".dat")).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + name);
        ::close(fd);
    }
}

int runBench(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = 15;
    QApplication app(argc, argv);
    quay::test::TempDir root;
    quay::test::TempDir data;
    quay::test::writeFile(root.path() / "hello.txt", "hello");
    makeEmptyFiles(root.path() / "big", entries);
    quay::test::VsftpdServer server;
    server.start(root.path());

    FtpServerInfo info = defaultServerInfo("");
    info.Name = "bench";
    info.Server = "127.0.0.1";
    info.Port = std::to_string(server.port());
    info.User = server.user();
    info.Password = server.password();
    info.SavePassword = true;
    info.Pasv = true;  // as lftp
    quay::test::writeFile(data.path() / "ftplist.TXT", serverInfoToLine(info) + "\r\n");

    QtEventLoop loop;
    NoDialogs dialogs;
    SessionController controller(loop, dialogs, data.path());
    MainWindow window(controller);
    window.show();
    PaneModel& pane = controller.model().ftpView();
    QElapsedTimer logClock;
    logClock.start();
    if (std::getenv("CONNECT_BENCH_LOG")) {
        auto shown = controller.model().onLogAppended;
        controller.model().onLogAppended = [shown, &logClock](const std::string& line) {
            std::fprintf(stderr, "%8.1f %s\n", logClock.nsecsElapsed() / 1e6, line.c_str());
            if (shown)
                shown(line);
        };
    }
    const std::string lftpOpen = "lftp -u " + server.user() + "," + server.password() + " -p " +
                                 std::to_string(server.port()) + " 127.0.0.1 -e ";

    std::vector<double> program, peer, bigProgram, bigPeer;
    for (int run = 0; run < runs; ++run) {
        pane.selectAll(false);
        pane.setSelected(static_cast<std::size_t>(rowOf(pane, "bench")), true);
        QElapsedTimer clock;
        clock.start();
        if (std::getenv("CONNECT_BENCH_LOG"))
            std::fprintf(stderr, "%8.1f double-click\n", logClock.nsecsElapsed() / 1e6);
        controller.execute(Command::RemoteOpen);
        program.push_back(waitFor(clock, [&] { return rowOf(pane, "hello.txt") >= 0; }));
        if (std::getenv("CONNECT_BENCH_LOG"))
            std::fprintf(stderr, "%8.1f shown\n", logClock.nsecsElapsed() / 1e6);
        peer.push_back(lftpMs(lftpOpen, "cls"));

        if (run < 3) {
            pane.selectAll(false);
            pane.setSelected(static_cast<std::size_t>(rowOf(pane, "big")), true);
            clock.start();
            controller.execute(Command::RemoteOpen);
            bigProgram.push_back(waitFor(clock, [&] {
                return pane.count() == static_cast<std::size_t>(entries) &&
                       controller.ftp().state() == FtpState::fsReady;
            }));
            bigPeer.push_back(lftpMs(lftpOpen, "cls -l big"));
        }
        controller.execute(Command::Disconnect);
        QElapsedTimer wait;
        wait.start();
        waitFor(wait,
                [&] { return controller.state().serverListMode && rowOf(pane, "bench") >= 0; });
    }
    std::printf(
        "double-click to listing shown: quayside %.1f ms, lftp 'cls' %.1f ms (medians of "
        "%d); quayside at %.2fx lftp's speed\n",
        bench::median(program), bench::median(peer), runs,
        bench::median(peer) / bench::median(program));
    std::printf(
        "%d-entry directory opened into the pane: quayside %.0f ms, lftp 'cls -l' %.0f ms "
        "(lftp's time includes its log-in; medians of 3); quayside at %.2fx lftp's speed\n",
        entries, bench::median(bigProgram), bench::median(bigPeer),
        bench::median(bigPeer) / bench::median(bigProgram));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return runBench(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_session_connect: %s\n", e.what());
        return 1;
    }
}
