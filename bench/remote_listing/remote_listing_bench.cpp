// A large directory listed into the remote pane of the main window, with MLSD and with LIST,
// against lftp's "cls -l" (which lists with MLSD where offered; TLS off, as the window's
// session has none), all on one pure-ftpd on loopback in the same run. The LIST rounds turn
// the session's MLSD off by hand, as a refused MLSD would.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "../bench_timing.h"
#include "../window_bench_main.h"
#include "ftp_servers.h"
#include "transfer_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace quay;
using bench::seconds;

// count empty files in dir, handed to the server's account.
void makeDirectory(const fs::path& dir, int count) {
    fs::create_directories(dir);
    for (int i = 0; i < count; ++i) {
        const std::string name = (dir / ("file " + std::to_string(i) + ".txt")).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + name);
        ::close(fd);
    }
    test::FtpServer::handOver(dir);
}

// Seconds from Refresh to the pane holding every entry.
double refreshSeconds(test::TransferProgram& p, std::size_t rows) {
    return seconds([&] {
        p.controller().execute(quay::Command::RemoteRefresh);
        if (!p.waitIdle(600'000) || p.controller().model().ftpView().count() < rows)
            throw std::runtime_error("the listing did not fill the pane");
    });
}

int runBench(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 100'000;
    test::TransferProgram p;
    makeDirectory(p.root() / "big", entries);
    test::PureFtpdServer server;
    server.setListingLimit(entries + 10);
    server.start(p.root());
    if (!p.start(server.port(), server.user(), server.password()))
        throw std::runtime_error("the window does not connect");
    p.dialogs().promptAnswers.push_back(std::string("/big"));
    p.controller().execute(quay::Command::RemoteChangeDirectory);
    if (!p.waitIdle(600'000) || !p.controller().state().listWithMlsd)
        throw std::runtime_error("no MLSD session in /big");
    const auto rows = static_cast<std::size_t>(entries);
    const std::string lftp =
        "lftp -u " + server.user() + "," + server.password() + " -p " +
        std::to_string(server.port()) +
        " 127.0.0.1 -e 'set ftp:ssl-allow no; cd big; cls -l; quit' >/dev/null 2>&1";

    double mlsd = 1e9, list = 1e9, peer = 1e9;
    for (int run = 0; run < 3; ++run) {
        p.controller().state().listWithMlsd = true;
        mlsd = std::min(mlsd, refreshSeconds(p, rows));
        p.controller().state().listWithMlsd = false;
        list = std::min(list, refreshSeconds(p, rows));
        peer = std::min(peer, seconds([&] {
                            if (std::system(lftp.c_str()) != 0)
                                throw std::runtime_error("lftp failed");
                        }));
    }
    std::printf(
        "listing of %d entries into the remote pane: window MLSD %.2f s, window LIST %.2f s, "
        "lftp cls -l %.2f s (MLSD %.2fx, LIST %.2fx lftp)\n",
        entries, mlsd, list, peer, mlsd / peer, list / peer);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return quay::bench::runWindowBench(argc, argv, "listing bench", runBench);
}
