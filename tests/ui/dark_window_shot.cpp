// Pictures of the main window and the options dialog under a dark palette, for a person to
// look at: the program has no dark mode of its own, it follows the desktop's palette, which
// this sets as a dark desktop would. The window is connected to a real server (vsftpd) and
// lists files of several kinds; the local list shows the same names.
//
//   dark_window_shot <window.png> <options.png>
//
// Run on any Qt platform (offscreen by default; QT_QPA_PLATFORM=xcb under Xvfb for the
// desktop's fonts and style).
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "dark_palette.h"
#include "ftp_servers.h"
#include "program_run.h"
#include "server_record.h"
#include "test_support.h"
#include "ui/options_dialog_view.h"

namespace {

namespace fs = std::filesystem;

void writeSampleFiles(const fs::path& dir) {
    for (const char* name : {"notes.txt", "photo.png", "song.mp3", "backup.tar.gz", "page.html",
                             "report.pdf", "build.sh", "data.unknownkind"})
        quay::test::writeFile(dir / name, "sample");
    fs::create_directories(dir / "photos");
    fs::create_directories(dir / "music");
}

// Runs the loop until done holds or limitMs have passed; whether done holds.
bool waitFor(const std::function<bool()>& done, int limitMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// Lets the log and the lists settle.
void settle() {
    waitFor([] { return false; }, 1000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <window.png> <options.png>\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setPalette(quay::test::darkPalette());

    quay::test::TempDir data, home, root;
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    writeSampleFiles(home.path());
    writeSampleFiles(root.path());
    auto server = quay::test::makeFtpServer(quay::test::FtpServerKind::Vsftpd);
    server->start(root.path());
    quay::test::writeLocalServerList(data.path(), server->port(), server->user(),
                                     server->password());

    quay::test::WidgetProgramRun run(data.path());
    run.window.resize(1200, 760);
    quay::PaneModel& remote = run.controller.model().ftpView();
    if (!waitFor([&remote] { return remote.count() > 0; }))
        return 1;
    remote.setSelected(0, true);
    run.controller.execute(quay::Command::RemoteOpen);
    if (!waitFor([&remote] { return remote.count() > 5; }))
        return 1;
    remote.setSelected(2, true);
    settle();
    if (!run.window.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;

    quay::test::ScriptedDialogs dialogs;
    quay::Options record;
    quay::OptionsDialogModel model(record, data.path(), dialogs);
    model.rgType = 1;
    quay::OptionsDialog options(model);
    options.show();
    settle();
    return options.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
