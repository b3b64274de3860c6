#pragma once

// A session logged in to a real server for the transfer operations' tests: the server's root
// and the local pane's directory are temporary directories of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/poll_loop.h"
#include "ftp_servers.h"
#include "pane_rows.h"
#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/session_controller.h"
#include "session_probe.h"
#include "test_support.h"

namespace quay::test {

using namespace std::chrono_literals;
using test::Commands;

// What a test can do while the batch runs.
enum class Interruption {
    Stop,
    Dropped,
    Refused,
    KeepAliveDuringQuestion,
    SecondCommand,
    PreferencesOk,
    PreferencesCancel
};

inline const char* interruptionName(Interruption i) {
    static const char* const names[] = {
        "Stop",          "Dropped",       "Refused",          "KeepAlive",
        "SecondCommand", "PreferencesOk", "PreferencesCancel"};
    return names[static_cast<int>(i)];
}

// Every interruption, for INSTANTIATE_TEST_SUITE_P, named by interruptionName.
inline auto everyInterruption() {
    return ::testing::Values(Interruption::Stop, Interruption::Dropped, Interruption::Refused,
                             Interruption::KeepAliveDuringQuestion, Interruption::SecondCommand,
                             Interruption::PreferencesOk, Interruption::PreferencesCancel);
}
inline std::string interruptionTestName(const ::testing::TestParamInfo<Interruption>& info) {
    return interruptionName(info.param);
}

// The batch of the interruption tests: kBatchFiles files "f<i>.bin" of kBatchFileSize bytes.
constexpr int kBatchFiles = 6;
constexpr std::size_t kBatchFileSize = 400000;
inline std::string batchFileName(int i) {
    return numbered("f", i, ".bin");
}

// Distinct bytes of every value, CR and LF among them, so a text-mode transfer would change
// them.
inline std::string patternBytes(std::size_t size, int seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) % 256);
    return bytes;
}

// Dialogs whose overwrite prompt runs a hook while it is open (a tick of the keep-alive).
class HookedDialogs : public ScriptedDialogs {
public:
    std::function<void()> whileAsking;
    Overwrite askOverwrite(const std::string& fileName, std::string& newPath) override {
        if (whileAsking)
            whileAsking();
        return ScriptedDialogs::askOverwrite(fileName, newPath);
    }
};

class TransferSession {
public:
    // Starts pure-ftpd on the root (filled by fill before the start) and logs in.
    void open(const std::function<void(const std::filesystem::path& root)>& fill) {
        fill(root.path());
        server = makeFtpServer(FtpServerKind::PureFtpd);
        server->start(root.path());
        writeLocalServerList(data.path(), server->port(), server->user(), server->password());
        writeFile(data.path() / "options.ftp",
                  "[Common]\nPassiveTransfer=1\nKeep=1\nStartKeep=0\nCmdKeep=NOOP\n");
        controller = std::make_unique<SessionController>(loop, dialogs, data.path());
        controller->FormCreate();
        controller->changeLocalDir(local.path().string());
        selectCaption(remotePane(), "Local");
        controller->execute(Command::RemoteOpen);
        ASSERT_TRUE(settled()) << logText();
        start = controller->ftp().hostDirName();
    }

    // Fills the local pane again (after a test wrote files there).
    void showLocal() { controller->changeLocalDir(local.path().string()); }
    // Whether the file at path holds exactly bytes (compared whole, not printed).
    static bool holds(const std::filesystem::path& path, const std::string& bytes) {
        return std::filesystem::is_regular_file(path) && readFile(path) == bytes;
    }
    PaneModel& remotePane() { return controller->model().ftpView(); }
    PaneModel& localPane() { return controller->model().lvLoc(); }
    // Adds the rows with these captions to the selection.
    static void select(PaneModel& pane, const std::string& caption) {
        for (std::size_t i = 0; i < pane.count(); ++i)
            if (pane.item(i).caption == caption)
                pane.setSelected(i, true);
    }
    bool settled() { return test::settle(loop, *controller, 30s); }
    // Runs the loop until a line starting with prefix has been logged count times.
    bool logged(const std::string& prefix, int count = 1) {
        return loop.runUntil([&] { return logCount(prefix) >= count; }, 30s);
    }
    int logCount(const std::string& prefix) const {
        return test::logCount(controller->model(), prefix);
    }
    std::string logText() const { return test::logText(controller->model()); }
    // The commands sent from log line `from` on.
    Commands sentSince(std::size_t from) const {
        return test::commandsSince(controller->model(), from);
    }
    std::size_t logSize() const { return controller->model().logLines().size(); }
    std::string remotePath(const std::string& name) const {
        return start == "/" ? "/" + name : start + "/" + name;
    }

    // The running batch is interrupted as named (Refused and KeepAlive are set up by the
    // test's files and dialogs).
    void interrupt(Interruption interruption) {
        switch (interruption) {
            case Interruption::Stop:
                controller->execute(Command::Stop);
                return;
            case Interruption::Dropped:
                server->stop();
                return;
            case Interruption::SecondCommand:
                controller->execute(Command::RemoteRefresh);
                controller->execute(Command::Download);
                controller->execute(Command::Upload);
                return;
            case Interruption::PreferencesOk:
            case Interruption::PreferencesCancel: {
                test::closePreferences(dialogs, *controller,
                                       interruption == Interruption::PreferencesOk);
                return;
            }
            default:
                return;
        }
    }

    // After any interruption: nothing is busy, the pane shows the directory the client is in
    // (or the server list after a dropped connection), and the next listing works.
    void expectConsistent(bool sessionLost, const std::string& shownFile) {
        ASSERT_TRUE(settled()) << logText();
        EXPECT_FALSE(controller->runner().busy());
        if (sessionLost) {
            EXPECT_TRUE(controller->state().serverListMode) << logText();
            EXPECT_TRUE(showsCaption(remotePane(), "Local")) << logText();
            return;
        }
        ASSERT_FALSE(controller->state().serverListMode) << logText();
        EXPECT_EQ(controller->ftp().hostDirName(), start);
        EXPECT_EQ(controller->model().ftpPath().text(),
                  start == "/" ? "127.0.0.1" : start.substr(start.rfind('/') + 1));
        EXPECT_TRUE(showsCaption(remotePane(), shownFile)) << logText();
        const std::size_t before = logSize();
        controller->execute(Command::RemoteRefresh);
        ASSERT_TRUE(settled()) << logText();
        EXPECT_EQ(sentSince(before), (Commands{"TYPE A", "EPSV", "MLSD"})) << logText();
        EXPECT_TRUE(showsCaption(remotePane(), shownFile)) << logText();
    }

    TempDir root;
    TempDir local;
    TempDir data;
    std::unique_ptr<FtpServer> server;
    PollLoop loop;
    HookedDialogs dialogs;
    std::unique_ptr<SessionController> controller;
    std::string start;
};

}  // namespace quay::test
