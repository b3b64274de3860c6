// The transfer queue with several connections against real servers: trees both ways byte for
// byte, refused log-ins, the overwrite prompt, a connection killed mid-file, data connections
// dropped mid-file both ways, Stop and "Retry failed", second batches behind the first (given
// after its walk or during it), and the
// log of every connection.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "dropping_relay.h"
#include "session/options_dialog.h"
#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every file (its bytes) and directory ("<dir>") below root, by relative path.
std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        tree[relative] = entry.is_directory() ? "<dir>" : test::readFile(entry.path());
    }
    return tree;
}

// A tree with empty directories, awkward names and enough files to keep four connections busy.
void writeTree(const fs::path& tree) {
    fs::create_directories(tree / "empty");
    fs::create_directories(tree / "nested" / "deeper" / "empty too");
    fs::create_directories(tree / "dir with space");
    test::writeFile(tree / "plain.bin", test::patternBytes(300000, 1));
    test::writeFile(tree / "with space.txt", "line\r\nline\n");
    test::writeFile(tree /
                        "\xC3\xBCn\xC3\xAF c\xC3\xB8"
                        "d\xC3\xA9.bin",
                    test::patternBytes(5000, 2));
    test::writeFile(tree / "-dash", "dash");
    test::writeFile(tree / "#hash%percent&amp", "");
    test::writeFile(tree / "back\\slash", "back");
    test::writeFile(tree / "dir with space" / "x;y'z.bin", test::patternBytes(70000, 3));
    for (int i = 0; i < 12; ++i)
        test::writeFile(tree / "nested" / "deeper" / test::numbered("f", i, ".bin"),
                        test::patternBytes(20000 + static_cast<std::size_t>(i) * 999, i));
}

// The session processes of a server: the children of its own process.
std::set<pid_t> sessionsOf(pid_t server) {
    std::set<pid_t> children;
    const std::string path =
        "/proc/" + std::to_string(server) + "/task/" + std::to_string(server) + "/children";
    std::ifstream file(path);
    pid_t child = 0;
    while (file >> child)
        children.insert(child);
    return children;
}

class TransferPoolTest : public ::testing::Test, public test::TransferSession {
protected:
    // Starts ftpServer on the root (filled by fill first) with these options added and logs in.
    void openWith(std::unique_ptr<test::FtpServer> ftpServer, const std::string& options,
                  const std::function<void(const fs::path& root)>& fill) {
        serve(std::move(ftpServer), fill);
        logIn(server->port(), options);
    }
    // Starts ftpServer on the root, filled by fill first.
    void serve(std::unique_ptr<test::FtpServer> ftpServer,
               const std::function<void(const fs::path& root)>& fill) {
        fill(root.path());
        server = std::move(ftpServer);
        server->start(root.path());
    }
    // Logs in to the server (through whatever listens on port) with these options added.
    void logIn(int port, const std::string& options) {
        test::writeLocalServerList(data.path(), port, server->user(), server->password());
        test::writeFile(data.path() / "options.ftp", "[Common]\nPassiveTransfer=1\n" + options);
        controller = std::make_unique<SessionController>(loop, dialogs, data.path());
        controller->FormCreate();
        controller->changeLocalDir(local.path().string());
        test::selectCaption(remotePane(), "Local");
        controller->execute(Command::RemoteOpen);
        ASSERT_TRUE(settled()) << logText();
        start = controller->ftp().hostDirName();
    }
    static std::unique_ptr<test::FtpServer> pureFtpd(int perAddress, int bandwidth) {
        auto pure = std::make_unique<test::PureFtpdServer>();
        pure->setPerAddressLimit(perAddress);
        pure->setBandwidth(bandwidth);
        return pure;
    }
    static std::string connections(int count, int retry = 0) {
        return "retry=" + std::to_string(retry) +
               "\n[Transfers]\nConnections=" + std::to_string(count) + "\n";
    }
    // The batch files f0.bin ... of size bytes each in dir; selected in the remote pane; the
    // ones that are not byte for byte in the local directory.
    static void writeBatch(const fs::path& dir, int count, std::size_t size) {
        for (int i = 0; i < count; ++i)
            test::writeFile(dir / test::batchFileName(i), test::patternBytes(size, i));
    }
    void selectBatch(int count) {
        for (int i = 0; i < count; ++i)
            select(remotePane(), test::batchFileName(i));
    }
    std::vector<int> batchNotArrived(int count, std::size_t size) const {
        std::vector<int> missing;
        for (int i = 0; i < count; ++i)
            if (!holds(local.path() / test::batchFileName(i), test::patternBytes(size, i)))
                missing.push_back(i);
        return missing;
    }
    TransferPool* pool() { return controller->currentTransferPool().get(); }
    // Runs the loop until no operation runs and the queue is empty.
    bool queueDone() {
        return loop.runUntil(
            [&] { return !controller->runner().busy() && (pool() == nullptr || pool()->idle()); },
            90s);
    }
    // Runs the loop until the first file of the queue is running with bytes moved.
    bool firstFileMoving() {
        return loop.runUntil(
            [&] {
                return pool() != nullptr && !pool()->jobs().empty() &&
                       pool()->jobs()[0].state == TransferJob::State::Running &&
                       pool()->jobs()[0].done > 100000;
            },
            30s);
    }
    int linesContaining(const std::string& part) const {
        const auto& lines = controller->model().logLines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
            return line.find(part) != std::string::npos;
        }));
    }
    std::vector<TransferJob::State> states() {
        std::vector<TransferJob::State> all;
        for (const TransferJob& job : pool()->jobs())
            all.push_back(job.state);
        return all;
    }
};

// "Simultaneous transfers": absent from the file means 1; OK in Preferences stores the value in
// [Transfers], from where the next start reads it.
TEST(SimultaneousTransfersOption, AbsentIsOneAndPreferencesStoreIt) {
    test::TempDir data;
    test::writeFile(data.path() / "options.ftp", "[Common]\nretry=3\n");
    Options options = loadOptions(data.path());
    EXPECT_EQ(options.connections, 1);
    test::ScriptedDialogs dialogs;
    OptionsDialogModel dialog(options, data.path(), dialogs);
    EXPECT_EQ(dialog.udConnections, 1);
    dialog.udConnections = 4;
    dialog.SpeedButton2Click();
    ASSERT_TRUE(saveOptions(options, data.path()));
    EXPECT_NE(test::readFile(data.path() / "options.ftp").find("[Transfers]\nConnections=4"),
              std::string::npos);
    EXPECT_EQ(loadOptions(data.path()).connections, 4);
    EXPECT_EQ(loadOptions(data.path()).retry, 3);
}

class TreeBothWays : public TransferPoolTest, public ::testing::WithParamInterface<int> {
protected:
    // One connection leaves the option out: absent means the session carries the batch.
    std::string options() const { return GetParam() == 1 ? "" : connections(GetParam()); }
    // The log of the extra connections: prefixed, the password never shown.
    void expectConnectionLog(const std::string& command) {
        if (GetParam() == 1) {
            EXPECT_EQ(logCount("["), 0) << logText();
            EXPECT_EQ(pool(), nullptr);
            return;
        }
        // Whichever connection logged in first carried files; every one logged in masked.
        const auto& lines = controller->model().logLines();
        EXPECT_GE(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) {
                                    return line.starts_with("[") &&
                                           line.find("] > " + command) != std::string::npos;
                                }),
                  1)
            << logText();
        EXPECT_GE(logCount("[2] > PASS ****"), 1) << logText();
        EXPECT_EQ(linesContaining(server->password()), 0) << logText();
    }
};

TEST_P(TreeBothWays, DownloadArrivesByteExact) {
    openWith(test::makeFtpServer(test::FtpServerKind::Vsftpd), options(),
             [](const fs::path& r) { writeTree(r / "tree"); });
    select(remotePane(), "tree");
    controller->execute(Command::Download);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(treeOf(local.path() / "tree"), treeOf(root.path() / "tree")) << logText();
    expectConnectionLog("RETR ");
    EXPECT_TRUE(test::showsCaption(localPane(), "tree"));
}

TEST_P(TreeBothWays, UploadArrivesByteExact) {
    openWith(test::makeFtpServer(test::FtpServerKind::Vsftpd), options(), [](const fs::path&) {});
    writeTree(local.path() / "tree");
    showLocal();
    select(localPane(), "tree");
    controller->execute(Command::Upload);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(treeOf(root.path() / "tree"), treeOf(local.path() / "tree")) << logText();
    expectConnectionLog("STOR ");
}

INSTANTIATE_TEST_SUITE_P(Connections, TreeBothWays, ::testing::Values(1, 2, 4),
                         [](const auto& info) { return std::to_string(info.param); });

TEST_F(TransferPoolTest, RefusedLogInsLeaveTheConnectionsThatCameUp) {
    openWith(pureFtpd(3, 0), connections(4), [](const fs::path& r) { writeBatch(r, 8, 150000); });
    selectBatch(8);
    controller->execute(Command::Download);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(batchNotArrived(8, 150000), std::vector<int>()) << logText();
    EXPECT_GE(linesContaining("! Connection not used: 421"), 1) << logText();
    EXPECT_EQ(pool()->totals(0).filesDone, 8);
}

TEST_F(TransferPoolTest, NoConnectionLoggedInFailsTheFilesWithTheServersReason) {
    openWith(pureFtpd(2, 0), connections(3),
             [](const fs::path& r) { test::writeFile(r / "a.bin", "abc"); });
    // A second client of the same address takes the last connection the server allows.
    const int other = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = test::loopback(server->port());
    ASSERT_EQ(::connect(other, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const timeval limit{10, 0};
    ::setsockopt(other, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    char greeting[512];
    ASSERT_GT(::recv(other, greeting, sizeof greeting, 0), 0);
    select(remotePane(), "a.bin");
    controller->execute(Command::Download);
    ASSERT_TRUE(queueDone()) << logText();
    ASSERT_NE(pool(), nullptr) << logText();
    ASSERT_EQ(pool()->jobs().size(), 1u);
    EXPECT_EQ(pool()->jobs()[0].state, TransferJob::State::Failed);
    EXPECT_TRUE(pool()->jobs()[0].reason.starts_with("Log-in refused: 421")) << logText();
    EXPECT_FALSE(fs::exists(local.path() / "a.bin"));
    expectConsistent(false, "a.bin");
    ::close(other);
}

TEST_F(TransferPoolTest, OverwriteQuestionsOnceInOrderAndAllHoldsForTheBatch) {
    openWith(test::makeFtpServer(test::FtpServerKind::Vsftpd), connections(4),
             [](const fs::path& r) { writeBatch(r, 6, 90000); });
    writeBatch(local.path(), 6, 10);
    showLocal();
    selectBatch(6);
    dialogs.overwriteAnswers = {{Dialogs::Overwrite::Overwrite, {}}, {Dialogs::Overwrite::All, {}}};
    controller->execute(Command::Download);
    ASSERT_TRUE(queueDone()) << logText();
    ASSERT_EQ(dialogs.overwriteAsked.size(), 2u);
    EXPECT_TRUE(dialogs.overwriteAsked[0].ends_with(test::batchFileName(0)));
    EXPECT_TRUE(dialogs.overwriteAsked[1].ends_with(test::batchFileName(1)));
    EXPECT_EQ(batchNotArrived(6, 90000), std::vector<int>()) << logText();
}

TEST_F(TransferPoolTest, KilledConnectionMidFileResumesOnANewOne) {
    const std::string big = test::patternBytes(1500000, 7);
    openWith(pureFtpd(0, 300), connections(2, 2),
             [&](const fs::path& r) { test::writeFile(r / "big.bin", big); });
    const std::set<pid_t> before = sessionsOf(server->pid());
    select(remotePane(), "big.bin");
    controller->execute(Command::Download);
    ASSERT_TRUE(firstFileMoving()) << logText();
    int killed = 0;
    for (pid_t session : sessionsOf(server->pid()))
        if (!before.contains(session))
            killed += ::kill(session, SIGKILL) == 0 ? 1 : 0;
    ASSERT_GE(killed, 1);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_TRUE(holds(local.path() / "big.bin", big)) << logText();
    EXPECT_EQ(pool()->jobs()[0].retries, 1);
    EXPECT_GE(linesContaining("> REST "), 1) << logText();
    expectConsistent(false, "big.bin");
}

// A relay in front of vsftpd cuts every third data connection mid-file with a reset both ways;
// the dialogue stays the server's own. The parameter is the direction (true: upload).
class DroppedDataConnections : public TransferPoolTest, public ::testing::WithParamInterface<bool> {
protected:
    static constexpr int kFiles = 9;
    static constexpr std::int64_t kCutAfter = 100000;
    static std::size_t fileSize(int i) {
        return 256 * 1024 + static_cast<std::size_t>(i) * 200 * 1024;
    }
    bool upload() const { return GetParam(); }
    const fs::path& target() const { return upload() ? root.path() : local.path(); }

    // Serves vsftpd behind the relay, logs in through it with two connections and this retry
    // count, and carries the batch of kFiles files, from 256 KiB to 1.8 MiB, to target(). (With
    // three, the connections can take turns so that one file meets every cut.)
    void carryBatch(int retry) {
        const fs::path& source = upload() ? local.path() : root.path();
        for (int i = 0; i < kFiles; ++i)
            test::writeFile(source / test::batchFileName(i), test::patternBytes(fileSize(i), i));
        serve(test::makeFtpServer(test::FtpServerKind::Vsftpd), [](const fs::path&) {});
        relay = std::make_unique<test::DroppingRelay>(server->port(), 3, kCutAfter);
        logIn(relay->port(), connections(2, retry));
        controller->onTransferQueueChanged = [this](std::size_t index) { noteDone(index); };
        showLocal();
        for (int i = 0; i < kFiles; ++i)
            select(upload() ? localPane() : remotePane(), test::batchFileName(i));
        controller->execute(upload() ? Command::Upload : Command::Download);
        ASSERT_TRUE(queueDone()) << logText();
        ASSERT_TRUE(logged("Transfer queue done: ")) << logText();
    }
    // A file counted done must hold all its bytes at that moment.
    void noteDone(std::size_t index) {
        const TransferJob& job = pool()->jobs()[index];
        const fs::path file = target() / fs::path(job.local).filename();
        if (job.state == TransferJob::State::Done &&
            fs::file_size(file) != static_cast<std::uintmax_t>(job.size))
            doneWhileShort.push_back(job.remote);
    }
    std::vector<int> notArrived() const {
        std::vector<int> missing;
        for (int i = 0; i < kFiles; ++i)
            if (!holds(target() / test::batchFileName(i), test::patternBytes(fileSize(i), i)))
                missing.push_back(i);
        return missing;
    }
    // The session is free and lists the directory on a click of Refresh.
    void expectNextListing() {
        const std::size_t before = logSize();
        controller->execute(Command::RemoteRefresh);
        ASSERT_TRUE(settled()) << logText();
        EXPECT_FALSE(controller->state().serverListMode);
        const test::Commands sent = sentSince(before);
        EXPECT_TRUE(!sent.empty() && sent.back() == "LIST") << logText();
        EXPECT_TRUE(test::showsCaption(remotePane(), test::batchFileName(kFiles - 1)));
    }
    // The REST commands the server was sent with an offset above 0.
    int resumesSent() const {
        int resumes = 0;
        for (const std::string& command : relay->commands())
            resumes += command.starts_with("REST ") && command != "REST 0" ? 1 : 0;
        return resumes;
    }

    std::unique_ptr<test::DroppingRelay> relay;
    std::vector<std::string> doneWhileShort;
};

TEST_P(DroppedDataConnections, EveryFileArrivesWholeByResume) {
    carryBatch(3);
    EXPECT_EQ(notArrived(), std::vector<int>()) << logText();
    EXPECT_EQ(doneWhileShort, std::vector<std::string>()) << logText();
    EXPECT_EQ(states(), std::vector<TransferJob::State>(kFiles, TransferJob::State::Done));
    // Listings are shorter than the cut: every cut hit a file, which was tried again.
    EXPECT_GE(relay->cuts(), 2);
    int retries = 0;
    for (const TransferJob& job : pool()->jobs())
        retries += job.retries;
    EXPECT_EQ(retries, relay->cuts()) << logText();
    EXPECT_GE(resumesSent(), 1) << logText();
    EXPECT_EQ(logCount("Transfer queue done: 9 of 9 files, 0 failed"), 1) << logText();
    expectNextListing();
}

TEST_P(DroppedDataConnections, WithoutRetriesACutFileFailsAndTheBatchGoesOn) {
    carryBatch(0);
    EXPECT_EQ(doneWhileShort, std::vector<std::string>()) << logText();
    std::vector<int> failed;
    for (const TransferJob& job : pool()->jobs()) {
        if (job.state == TransferJob::State::Failed) {
            failed.push_back(job.id - 1);
            EXPECT_TRUE(job.reason.starts_with("Connection lost: ")) << job.reason;
        }
    }
    EXPECT_GE(relay->cuts(), 2);
    EXPECT_EQ(static_cast<int>(failed.size()), relay->cuts()) << logText();
    EXPECT_EQ(notArrived(), failed) << logText();
    const int done = kFiles - relay->cuts();
    EXPECT_EQ(logCount("Transfer queue done: " + std::to_string(done) + " of 9 files, " +
                       std::to_string(relay->cuts()) + " failed"),
              1)
        << logText();
    expectNextListing();
}

INSTANTIATE_TEST_SUITE_P(Direction, DroppedDataConnections, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Upload" : "Download"; });

TEST_F(TransferPoolTest, StopEndsEverythingAndRetryFailedResumes) {
    openWith(pureFtpd(0, 300), connections(2), [](const fs::path& r) { writeBatch(r, 3, 700000); });
    selectBatch(3);
    controller->execute(Command::Download);
    ASSERT_TRUE(firstFileMoving()) << logText();
    ASSERT_TRUE(loop.runUntil([&] { return !controller->runner().busy(); }, 30s));
    controller->execute(Command::Stop);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(states(), std::vector<TransferJob::State>(3, TransferJob::State::Failed));
    EXPECT_EQ(pool()->jobs()[2].reason, "Stopped");
    expectConsistent(false, test::batchFileName(0));

    pool()->retryFailed();
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(states(), std::vector<TransferJob::State>(3, TransferJob::State::Done));
    EXPECT_EQ(batchNotArrived(3, 700000), std::vector<int>()) << logText();
    EXPECT_GE(linesContaining("> REST "), 1) << logText();
}

TEST_F(TransferPoolTest, StopOfOneFileLeavesTheOthersRunning) {
    openWith(pureFtpd(0, 300), connections(2), [](const fs::path& r) { writeBatch(r, 3, 500000); });
    selectBatch(3);
    controller->execute(Command::Download);
    ASSERT_TRUE(firstFileMoving()) << logText();
    pool()->stopFile(pool()->jobs()[0].id);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(states(),
              (std::vector<TransferJob::State>{TransferJob::State::Failed, TransferJob::State::Done,
                                               TransferJob::State::Done}));
    EXPECT_EQ(pool()->jobs()[0].reason, "Stopped");
    EXPECT_EQ(batchNotArrived(3, 500000), std::vector<int>{0}) << logText();
}

// A file stopped before the server took it is fetched whole when tried again: the older file
// the user chose to overwrite is not resumed behind.
TEST_F(TransferPoolTest, RetryOfAFileStoppedWhileWaitingStartsFromTheBeginning) {
    openWith(pureFtpd(0, 300), connections(2), [](const fs::path& r) { writeBatch(r, 3, 500000); });
    test::writeFile(local.path() / test::batchFileName(2), "an older file, other bytes");
    showLocal();
    selectBatch(3);
    dialogs.overwriteAnswers = {{Dialogs::Overwrite::Overwrite, {}}};
    controller->execute(Command::Download);
    ASSERT_TRUE(firstFileMoving()) << logText();
    ASSERT_EQ(pool()->jobs().size(), 3u);
    ASSERT_EQ(pool()->jobs()[2].state, TransferJob::State::Waiting);
    pool()->stopFile(pool()->jobs()[2].id);
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(pool()->jobs()[2].reason, "Stopped");

    pool()->retryFailed();
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(states(), std::vector<TransferJob::State>(3, TransferJob::State::Done));
    EXPECT_EQ(batchNotArrived(3, 500000), std::vector<int>()) << logText();
    EXPECT_EQ(linesContaining("> REST "), 0) << logText();
}

TEST_F(TransferPoolTest, SecondBatchStartedWhileOneRunsQueuesBehindIt) {
    openWith(pureFtpd(0, 400), connections(2), [](const fs::path& r) {
        test::writeFile(r / "a.bin", test::patternBytes(500000, 1));
        test::writeFile(r / "b.bin", test::patternBytes(300000, 2));
    });
    std::shared_ptr<ProgressModel> progress;
    int hidden = 0;
    controller->onShowProgress = [&](const std::shared_ptr<ProgressModel>& shown) {
        progress = shown;
    };
    controller->onHideProgress = [&] { ++hidden; };
    select(remotePane(), "a.bin");
    controller->execute(Command::Download);
    ASSERT_TRUE(firstFileMoving()) << logText();
    ASSERT_TRUE(loop.runUntil([&] { return !controller->runner().busy(); }, 30s));
    for (std::size_t i = 0; i < remotePane().count(); ++i)
        remotePane().setSelected(i, false);
    select(remotePane(), "b.bin");
    controller->execute(Command::Download);
    // The progress window shows the queue's totals: both batches' files and bytes.
    ASSERT_TRUE(loop.runUntil([&] { return progress && progress->barMaximum() == 800000; }, 30s))
        << logText();
    EXPECT_EQ(progress->caption(), "Receiving 2 files (800000 bytes)");
    EXPECT_EQ(hidden, 0);
    ASSERT_TRUE(queueDone()) << logText();
    // Closed once the queue has closed its connections.
    EXPECT_TRUE(loop.runUntil([&] { return hidden == 1; }, 30s));
    ASSERT_EQ(pool()->jobs().size(), 2u) << logText();
    EXPECT_NE(pool()->jobs()[0].batch, pool()->jobs()[1].batch);
    EXPECT_EQ(states(), std::vector<TransferJob::State>(2, TransferJob::State::Done));
    EXPECT_TRUE(holds(local.path() / "a.bin", test::patternBytes(500000, 1)));
    EXPECT_TRUE(holds(local.path() / "b.bin", test::patternBytes(300000, 2)));
}

// A transfer of x given while the queue still holds an earlier transfer of x, which no listing
// or directory shows yet, asks about it (both ways). Skip leaves the earlier file's bytes in the
// target; Overwrite queues the new x, which waits until the earlier one has ended (a free
// connection would otherwise write both into one file at once), so the new bytes are what stays.
class FileTheQueueStillWrites : public TransferPoolTest,
                                public ::testing::WithParamInterface<std::tuple<bool, bool>> {
protected:
    bool uploading() const { return std::get<0>(GetParam()); }
    bool overwrite() const { return std::get<1>(GetParam()); }
    fs::path source() const { return uploading() ? local.path() : root.path(); }
    fs::path target() const { return uploading() ? root.path() : local.path(); }
    PaneModel& sourcePane() { return uploading() ? localPane() : remotePane(); }
    Command command() const { return uploading() ? Command::Upload : Command::Download; }
    // Shows the source side's directory "other" as a user opens it.
    void openOther() {
        if (uploading()) {
            ASSERT_TRUE(controller->changeLocalDir((local.path() / "other").string()));
            return;
        }
        select(remotePane(), "other");
        controller->execute(Command::RemoteOpen);
        ASSERT_TRUE(settled()) << logText();
    }
};

TEST_P(FileTheQueueStillWrites, AsksAndTheAnswerHolds) {
    for (int i = 0; i < 3; ++i)
        test::writeFile(source() / test::numbered("a", i, ".bin"), test::patternBytes(300000, i));
    test::writeFile(source() / "x", test::patternBytes(200000, 7));
    fs::create_directories(source() / "other");
    test::writeFile(source() / "other" / "x", test::patternBytes(2000, 8));
    openWith(pureFtpd(0, 200), connections(3), [](const fs::path&) {});
    for (const char* name : {"a0.bin", "a1.bin", "a2.bin", "x"})
        select(sourcePane(), name);
    controller->execute(command());
    ASSERT_TRUE(loop.runUntil([&] { return !controller->runner().busy(); }, 30s)) << logText();
    ASSERT_EQ(pool()->jobs().size(), 4u);
    ASSERT_EQ(pool()->jobs()[3].state, TransferJob::State::Waiting) << logText();
    ASSERT_FALSE(fs::exists(target() / "x"));

    openOther();
    select(sourcePane(), "x");
    dialogs.overwriteAnswers = {
        {overwrite() ? Dialogs::Overwrite::Overwrite : Dialogs::Overwrite::Skip, {}}};
    controller->execute(command());
    ASSERT_TRUE(queueDone()) << logText();
    // A download's prompt names the local path.
    const std::string asked = uploading() ? "x" : (target() / "x").string();
    EXPECT_EQ(dialogs.overwriteAsked, std::vector<std::string>{asked}) << logText();
    EXPECT_EQ(pool()->jobs().size(), overwrite() ? 5u : 4u);
    EXPECT_TRUE(holds(target() / "x",
                      overwrite() ? test::patternBytes(2000, 8) : test::patternBytes(200000, 7)))
        << logText();
}

INSTANTIATE_TEST_SUITE_P(DirectionAndAnswer, FileTheQueueStillWrites,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "Upload" : "Download") +
                                    (std::get<1>(info.param) ? "Overwrite" : "Skip");
                         });

// A tree of several directories, so that its walk (CWD and LIST of each) outlasts a few turns
// of the loop.
void writeWideTree(const fs::path& tree, int seed) {
    for (int d = 0; d < 6; ++d) {
        const fs::path dir = tree / test::numbered("d", d, "");
        fs::create_directories(dir);
        for (int f = 0; f < 3; ++f)
            test::writeFile(
                dir / test::numbered("f", f, ".bin"),
                test::patternBytes(40000 + static_cast<std::size_t>(f) * 777, seed + d));
    }
}

class BatchDuringTheWalk : public TransferPoolTest, public ::testing::WithParamInterface<bool> {
protected:
    bool uploading() const { return GetParam(); }
    fs::path source() const { return uploading() ? local.path() : root.path(); }
    fs::path target() const { return uploading() ? root.path() : local.path(); }
    PaneModel& sourcePane() { return uploading() ? localPane() : remotePane(); }
    Command command() const { return uploading() ? Command::Upload : Command::Download; }
    const std::string& name() const { return uploading() ? kUpload : kDownload; }
    const std::string kUpload = "Upload";
    const std::string kDownload = "Download";
    // Trees "first" and "second" and a file "single.bin" on the source side, shown.
    void openWithTrees(const std::string& options) {
        writeWideTree(source() / "first", 10);
        writeWideTree(source() / "second", 20);
        test::writeFile(source() / "single.bin", test::patternBytes(123456, 30));
        openWith(test::makeFtpServer(test::FtpServerKind::Vsftpd), options, [](const fs::path&) {});
        showLocal();
    }
    // Starts the first tree, and once its first file is queued (the walk goes on to the next
    // directories) selects and starts the second tree with the single file.
    void startSecondDuringTheWalk() {
        select(sourcePane(), "first");
        controller->execute(command());
        ASSERT_TRUE(
            loop.runUntil([&] { return pool() != nullptr && !pool()->jobs().empty(); }, 30s))
            << logText();
        ASSERT_TRUE(controller->runner().busy());
        for (std::size_t i = 0; i < sourcePane().count(); ++i)
            sourcePane().setSelected(i, false);
        select(sourcePane(), "second");
        select(sourcePane(), "single.bin");
        controller->execute(command());
    }
};

// Both batches arrive whole; the second's files follow the first's in the queue; the session
// is free afterwards.
TEST_P(BatchDuringTheWalk, WaitsAndItsFilesFollowTheFirstBatch) {
    openWithTrees(connections(3));
    startSecondDuringTheWalk();
    EXPECT_EQ(logCount(name() + " waits until " + name() + " has walked its folders"), 1)
        << logText();
    EXPECT_EQ(logCount("! " + name() + " not started"), 0) << logText();
    ASSERT_TRUE(queueDone()) << logText();
    EXPECT_EQ(treeOf(target() / "first"), treeOf(source() / "first")) << logText();
    EXPECT_EQ(treeOf(target() / "second"), treeOf(source() / "second")) << logText();
    EXPECT_TRUE(holds(target() / "single.bin", test::patternBytes(123456, 30))) << logText();

    ASSERT_EQ(pool()->jobs().size(), 37u) << logText();
    const int firstBatch = pool()->jobs().front().batch;
    for (std::size_t i = 0; i < pool()->jobs().size(); ++i) {
        const TransferJob& job = pool()->jobs()[i];
        EXPECT_EQ(job.batch == firstBatch, i < 18) << i << " " << job.remote;
        EXPECT_EQ(job.state, TransferJob::State::Done) << job.remote;
    }
    // The queue stayed open from the first batch to the second: it ran empty once.
    EXPECT_TRUE(loop.runUntil([&] { return linesContaining("Transfer queue done") > 0; }, 30s));
    EXPECT_EQ(linesContaining("Transfer queue done: 37 of 37 files, 0 failed"), 1) << logText();
    EXPECT_EQ(linesContaining("Transfer queue done"), 1) << logText();

    // The session is free: a listing of the start directory shows what arrived.
    controller->execute(Command::RemoteRefresh);
    ASSERT_TRUE(settled()) << logText();
    EXPECT_TRUE(test::showsCaption(remotePane(), "first")) << logText();
    EXPECT_TRUE(test::showsCaption(remotePane(), "second")) << logText();
}

// Stop during the walk stops that batch and drops the one waiting behind it, saying so.
TEST_P(BatchDuringTheWalk, StopDropsTheWaitingBatchWithALine) {
    openWithTrees(connections(2));
    startSecondDuringTheWalk();
    controller->execute(Command::Stop);
    EXPECT_EQ(logCount("! " + name() + " not started: stopped"), 1) << logText();
    ASSERT_TRUE(queueDone()) << logText();
    for (const TransferJob& job : pool()->jobs())
        EXPECT_TRUE(job.local.find("/second/") == std::string::npos &&
                    !job.local.ends_with("single.bin"))
            << job.local;
    EXPECT_FALSE(fs::exists(target() / "second"));
    controller->execute(Command::RemoteRefresh);
    ASSERT_TRUE(settled()) << logText();
    EXPECT_TRUE(test::showsCaption(remotePane(), "first")) << logText();
}

// With one connection the session carries the batch and a second one is refused as before.
TEST_P(BatchDuringTheWalk, OneConnectionStillRefusesTheSecond) {
    openWithTrees("");
    select(sourcePane(), "first");
    controller->execute(command());
    ASSERT_TRUE(controller->runner().busy());
    select(sourcePane(), "second");
    controller->execute(command());
    EXPECT_EQ(logCount("! " + name() + " not started: " + name() + " is running"), 1) << logText();
    ASSERT_TRUE(settled()) << logText();
    EXPECT_EQ(treeOf(target() / "first"), treeOf(source() / "first")) << logText();
    EXPECT_FALSE(fs::exists(target() / "second"));
}

INSTANTIATE_TEST_SUITE_P(Direction, BatchDuringTheWalk, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Upload" : "Download"; });

}  // namespace
}  // namespace quay
