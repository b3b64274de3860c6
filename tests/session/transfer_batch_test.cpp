// What the download and the upload batch share, tested in both directions against a real
// server: resume onto a complete target, and the batch interrupted in the middle.
#include <tuple>

#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;
using test::Interruption;

enum class Direction { Download, Upload };

// A download takes files of the server's root into the local directory. An upload takes files
// of the local directory into the server's root (first level), or, as a tree, those of the
// local directory "up" into the remote directory "up".
class TransferBatch : public test::TransferSession {
protected:
    TransferBatch(Direction direction, bool uploadTree)
        : m_down(direction == Direction::Download), m_tree(uploadTree && !m_down) {}

    // The directory the batch writes into, and the one it reads from.
    fs::path targetDir() const {
        return m_down ? local.path() : m_tree ? root.path() / "up" : root.path();
    }
    fs::path sourceDir() const {
        return m_down ? root.path() : m_tree ? local.path() / "up" : local.path();
    }
    // The command that transfers the file of this name.
    std::string transferCommand(const std::string& name) const {
        if (m_down)
            return "RETR " + remotePath(name);
        return "STOR " + (m_tree ? remotePath("up/" + name) : name);
    }
    // Starts the server on a root with "top.txt" and an empty "up", with a local "up" beside
    // it; fill writes the test's files into both places first.
    void openWith(const std::function<void()>& fill) {
        fs::create_directories(local.path() / "up");
        open([&](const fs::path& r) {
            test::writeFile(r / "top.txt", "top");
            fs::create_directories(r / "up");
            fill();
        });
        showLocal();
    }
    // Selects the files (or the directory "up" of a tree upload) and starts the batch.
    void startBatch(const std::vector<std::string>& files) {
        PaneModel& pane = m_down ? remotePane() : localPane();
        if (m_tree) {
            select(pane, "up");
        } else {
            for (const std::string& file : files)
                select(pane, file);
        }
        controller->execute(m_down ? Command::Download : Command::Upload);
    }

    const bool m_down;
    const bool m_tree;
};

class TransferResume : public ::testing::TestWithParam<Direction>, public TransferBatch {
protected:
    TransferResume() : TransferBatch(GetParam(), false) {}
};

// A target as long as the source has nothing to resume: said in a "! " line, and the question
// comes again; a shorter one is resumed from its end.
TEST_P(TransferResume, ResumeOntoACompleteTargetIsAskedAgain) {
    const std::string full = test::patternBytes(5000, 'f');
    openWith([&] {
        test::writeFile(sourceDir() / "full.bin", full);
        test::writeFile(sourceDir() / "part.bin", full);
        test::writeFile(targetDir() / "full.bin", full);
        test::writeFile(targetDir() / "part.bin", full.substr(0, 1000));
    });
    using O = Dialogs::Overwrite;
    dialogs.overwriteAnswers = {{O::Resume, {}}, {O::Skip, {}}, {O::Resume, {}}};
    const std::size_t before = logSize();
    startBatch({"full.bin", "part.bin"});
    ASSERT_TRUE(settled()) << logText();

    EXPECT_EQ(dialogs.overwriteAsked.size(), 3u) << logText();
    EXPECT_EQ(logCount("! Not resumed: "), 1) << logText();
    const Commands sent = sentSince(before);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), transferCommand("full.bin")), 0) << logText();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "REST 1000"), 1) << logText();
    EXPECT_TRUE(holds(targetDir() / "part.bin", full));
    EXPECT_TRUE(holds(targetDir() / "full.bin", full));
}

INSTANTIATE_TEST_SUITE_P(BothWays, TransferResume,
                         ::testing::Values(Direction::Download, Direction::Upload),
                         [](const auto& info) {
                             return info.param == Direction::Download ? "Download" : "Upload";
                         });

class TransferInterruption : public ::testing::TestWithParam<std::tuple<Direction, Interruption>>,
                             public TransferBatch {
protected:
    TransferInterruption() : TransferBatch(std::get<0>(GetParam()), true) {}
    Interruption interruption() const { return std::get<1>(GetParam()); }
    const char* batchName() const { return m_down ? "Download" : "Upload"; }
    bool arrived(int i) const {
        return holds(targetDir() / test::batchFileName(i),
                     test::patternBytes(test::kBatchFileSize, i));
    }
};

// The batch is kBatchFiles files; refused is the third (unreadable on the server, or a
// directory of its name there), asked about are all (each exists at the target).
TEST_P(TransferInterruption, LeavesTheSessionConsistent) {
    const Interruption interruption = this->interruption();
    const bool asking = interruption == Interruption::KeepAliveDuringQuestion;
    std::vector<std::string> files;
    openWith([&] {
        for (int i = 0; i < test::kBatchFiles; ++i) {
            files.push_back(test::batchFileName(i));
            test::writeFile(sourceDir() / files.back(),
                            test::patternBytes(test::kBatchFileSize, i));
            if (asking)
                test::writeFile(targetDir() / files.back(), "old");
        }
        if (interruption == Interruption::Refused && m_down)
            fs::permissions(sourceDir() / files[2], fs::perms::none);
        if (interruption == Interruption::Refused && !m_down)
            fs::create_directories(targetDir() / files[2]);
    });
    if (asking) {
        dialogs.overwriteAnswers.assign(test::kBatchFiles, {Dialogs::Overwrite::Overwrite, {}});
        dialogs.whileAsking = [this] {
            for (int tick = 0; tick < 5; ++tick)
                controller->keepAliveTick();
        };
    }
    const std::size_t before = logSize();
    startBatch(files);
    // A download is interrupted as it starts the second file, an upload once it has sent it.
    ASSERT_TRUE(
        logged(m_down ? "Starting transfer of " + files[1] : "> " + transferCommand(files[1])))
        << logText();
    interrupt(interruption);
    expectConsistent(interruption == Interruption::Dropped, "top.txt");

    const Commands sent = sentSince(before);
    int transferred = 0;
    for (const std::string& file : files) {
        const auto count = std::count(sent.begin(), sent.end(), transferCommand(file));
        EXPECT_LE(count, 1) << file;
        transferred += static_cast<int>(count);
    }
    // The keep-alive never sends into the batch (an abort's own NOOP follows ABOR).
    if (asking) {
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "NOOP"), 0) << logText();
    }
    const std::string running = std::string(" not started: ") + batchName() + " is running";
    switch (interruption) {
        case Interruption::Stop:
        case Interruption::Dropped:
            EXPECT_LE(transferred, 2) << logText();
            EXPECT_FALSE(fs::exists(targetDir() / files.back()));
            break;
        case Interruption::Refused:
            EXPECT_EQ(transferred, test::kBatchFiles) << logText();
            EXPECT_EQ(logCount(m_down ? "Error 550" : "Error 5"), 1) << logText();
            EXPECT_TRUE(arrived(3));
            EXPECT_TRUE(arrived(test::kBatchFiles - 1));
            break;
        case Interruption::SecondCommand:
            EXPECT_EQ(logCount("! Refresh" + running), 1) << logText();
            EXPECT_EQ(logCount("! Download" + running), 1) << logText();
            EXPECT_EQ(logCount("! Upload" + running), 1) << logText();
            [[fallthrough]];
        default:
            EXPECT_EQ(transferred, test::kBatchFiles) << logText();
            for (int i = 0; i < test::kBatchFiles; ++i)
                EXPECT_TRUE(arrived(i)) << files[static_cast<std::size_t>(i)];
            break;
    }
    if (asking) {
        EXPECT_EQ(dialogs.overwriteAsked.size(), static_cast<std::size_t>(test::kBatchFiles));
        // Once the batch is over the keep-alive runs again.
        controller->keepAliveTick();
        ASSERT_TRUE(settled());
        EXPECT_EQ(logCount("> NOOP"), 1) << logText();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Interruptions, TransferInterruption,
    ::testing::Combine(::testing::Values(Direction::Download, Direction::Upload),
                       test::everyInterruption()),
    [](const ::testing::TestParamInfo<std::tuple<Direction, Interruption>>& info) {
        return std::string(std::get<0>(info.param) == Direction::Download ? "Download" : "Upload") +
               test::interruptionName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace quay
