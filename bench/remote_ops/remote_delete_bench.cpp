// The recursive delete of the main window against lftp's "rm -r", both on one vsftpd on
// loopback in the same run.
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

// files empty files spread over 20 directories below dir, handed to the server's account.
void makeTree(const fs::path& dir, int files) {
    for (int i = 0; i < files; ++i) {
        std::string sub = "d", file = "f";
        sub += std::to_string(i % 20);
        file += std::to_string(i);
        test::putFile(dir / sub / file, "");
    }
    test::FtpServer::handOver(dir);
}

int runBench(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    test::TransferProgram p;
    test::putFile(p.root() / "marker", "m");
    test::VsftpdServer server;
    server.start(p.root());
    if (!p.start(server.port(), server.user(), server.password()))
        throw std::runtime_error("the window does not connect");
    const std::string lftp = "lftp -u " + server.user() + "," + server.password() + " -p " +
                             std::to_string(server.port()) + " 127.0.0.1 -e 'rm -r tree; quit'";
    const fs::path tree = p.root() / "tree";

    double ours = 1e9, peer = 1e9;
    for (int run = 0; run < 3; ++run) {
        makeTree(tree, files);
        p.controller().execute(Command::RemoteRefresh);
        if (!p.waitIdle() || !p.selectRemote({"tree"}))
            throw std::runtime_error("no tree row");
        p.dialogs().messageAnswers = {Dialogs::Answer::Yes};
        ours = std::min(ours, seconds([&] {
                            if (!p.click("sbDel2"))
                                throw std::runtime_error("cannot click sbDel2");
                            p.runUntil([&] { return !fs::exists(tree); }, 3'600'000);
                        }));
        if (fs::exists(tree) || !p.waitIdle())
            throw std::runtime_error("the window's delete did not end");

        makeTree(tree, files);
        peer = std::min(peer, seconds([&] {
                            if (std::system((lftp + " >/dev/null 2>&1").c_str()) != 0)
                                throw std::runtime_error("lftp failed");
                        }));
        if (fs::exists(tree))
            throw std::runtime_error("lftp left the tree");
    }
    std::printf(
        "delete of a tree of %d files in 20 directories: window %.2f s, lftp rm -r %.2f s, "
        "%.2fx lftp\n",
        files, ours, peer, peer / ours);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return quay::bench::runWindowBench(argc, argv, "delete bench", runBench);
}
