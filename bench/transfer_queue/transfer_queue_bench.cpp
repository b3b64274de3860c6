// The transfer queue on a tree of many small files, down and up, with 1, 2 and 4 connections,
// against lftp's mirror (serial and --parallel=4) on the same vsftpd in the same run. Headless:
// the session controller on the poll loop, as the program runs it without its window.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/poll_loop.h"
#include "ftp_servers.h"
#include "pane_rows.h"
#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace quay;
using Clock = std::chrono::steady_clock;

namespace {

// prefix + n, appended: GCC 12 takes "d" + std::to_string(n) for an overlapping copy.
std::string numbered(const char* prefix, int n) {
    std::string name = prefix;
    name += std::to_string(n);
    return name;
}

void makeTree(const fs::path& root, int files) {
    const std::string bytes = quay::test::randomBytes(1024, 5);
    for (int i = 0; i < files; ++i) {
        const fs::path dir = root / numbered("d", i / 100);
        fs::create_directories(dir);
        quay::test::writeFile(dir / (numbered("f", i) + ".bin"), bytes);
    }
}

std::size_t filesBelow(const fs::path& root) {
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// One batch through the session with `connections`: the directory `name` down into local, or
// up from it.
double throughSession(quay::test::FtpServer& server, const fs::path& local, bool upload,
                      int connections, const std::string& name) {
    quay::test::TempDir data;
    quay::test::writeLocalServerList(data.path(), server.port(), server.user(), server.password());
    quay::test::writeFile(data.path() / "options.ftp",
                          "[Common]\nPassiveTransfer=1\n[Transfers]\n" +
                              numbered("Connections=", connections) + "\n");
    PollLoop loop;
    quay::test::ScriptedDialogs dialogs;
    SessionController controller(loop, dialogs, data.path());
    controller.FormCreate();
    controller.changeLocalDir(local.string());
    quay::test::selectCaption(controller.model().ftpView(), "Local");
    controller.execute(Command::RemoteOpen);
    const auto idle = [&] {
        const auto& pool = controller.currentTransferPool();
        return !controller.runner().busy() && controller.ftp().state() == FtpState::fsReady &&
               (!pool || pool->idle());
    };
    if (!loop.runUntil(idle, std::chrono::seconds(30)))
        throw std::runtime_error("no log-in");
    PaneModel& pane = upload ? controller.model().lvLoc() : controller.model().ftpView();
    quay::test::selectCaption(pane, name);
    const auto start = Clock::now();
    controller.execute(upload ? Command::Upload : Command::Download);
    if (!loop.runUntil(idle, std::chrono::seconds(3600)))
        throw std::runtime_error("batch did not end");
    return seconds(start);
}

double throughLftp(quay::test::FtpServer& server, const std::string& commands) {
    const std::string line = "lftp -u " + server.user() + "," + server.password() + " -p " +
                             std::to_string(server.port()) + " 127.0.0.1 -e '" + commands +
                             "; quit' >/dev/null 2>&1";
    const auto start = Clock::now();
    if (std::system(line.c_str()) != 0)
        throw std::runtime_error("lftp failed: " + line);
    return seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    quay::test::TempDir root;
    makeTree(root.path() / "tree", files);
    quay::test::TempDir source;
    makeTree(source.path() / "tree", files);
    auto server = quay::test::makeFtpServer(quay::test::FtpServerKind::Vsftpd);
    server->start(root.path());
    std::printf("%d files of 1 KiB in %d directories\n", files, (files + 99) / 100);
    std::printf("%-28s %10s %10s\n", "", "down s", "up s");
    for (int connections : {1, 2, 4}) {
        quay::test::TempDir local;
        const double down = throughSession(*server, local.path(), false, connections, "tree");
        // Up into a directory of its own on the server: up1, up2, up4.
        const std::string upName = numbered("up", connections);
        fs::rename(local.path() / "tree", local.path() / upName);
        const double upTime = throughSession(*server, local.path(), true, connections, upName);
        std::printf("quayside, %d connection%s %10.2f %10.2f  (%zu down, %zu up)\n", connections,
                    connections == 1 ? " " : "s", down, upTime, filesBelow(local.path() / upName),
                    filesBelow(root.path() / upName));
    }
    for (const char* parallel : {"", " --parallel=4"}) {
        quay::test::TempDir local;
        const double down = throughLftp(*server, std::string("mirror") + parallel + " tree " +
                                                     (local.path() / "tree").string());
        const double upTime = throughLftp(*server, std::string("mirror -R") + parallel + " " +
                                                       (source.path() / "tree").string() +
                                                       " lftp-up" + (*parallel ? "4" : "1"));
        std::printf("lftp mirror%-16s %10.2f %10.2f\n", parallel, down, upTime);
    }
    return 0;
}
