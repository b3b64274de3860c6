// The runner alone: one operation at a time, refusals that say what runs, the keep-alive's
// queue of one, the line of batches behind a batch, and a stop request that belongs to the
// running operation.
#include "session/operation_runner.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/poll_loop.h"

namespace quay {
namespace {

// An operation that records what reaches it and ends when told.
class RecordingOperation : public Operation {
public:
    RecordingOperation(std::string name, std::vector<std::string>& events, bool queues = false)
        : Operation(std::move(name)), m_events(events), m_queues(queues) {}
    void start() override { m_events.push_back(name() + " start"); }
    void requestDone(FtpRequest, int error) override {
        m_events.push_back(name() + " done " + std::to_string(error));
        finish();
    }
    void stop() override { m_events.push_back(name() + " stop"); }
    void sessionClosed() override {
        m_events.push_back(name() + " closed");
        finish();
    }
    bool queuesOthers() const override { return m_queues; }

private:
    std::vector<std::string>& m_events;
    bool m_queues;
};

class OperationRunnerTest : public ::testing::Test {
protected:
    OperationRunnerTest()
        : runner(loop, OperationRunner::Hooks{
                           [this](const std::string& line) { log.push_back(line); },
                           [this](bool busy) { busyChanges.push_back(busy); },
                           [this] { ++idle; },
                           [this](FtpRequest, int error) { strays.push_back(error); },
                       }) {}
    std::unique_ptr<Operation> op(const std::string& name, bool queues = false) {
        return std::make_unique<RecordingOperation>(name, events, queues);
    }

    PollLoop loop;
    std::vector<std::string> events, log;
    std::vector<bool> busyChanges;
    std::vector<int> strays;
    int idle = 0;
    OperationRunner runner;
};

TEST_F(OperationRunnerTest, RunsOneAtATimeAndRefusesWithTheReason) {
    EXPECT_TRUE(runner.run(op("Refresh")));
    EXPECT_TRUE(runner.busy());
    EXPECT_FALSE(runner.run(op("Download")));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "! Download not started: Refresh is running");
    runner.requestDone(FtpRequest::DirAsync, 0);
    EXPECT_FALSE(runner.busy());
    EXPECT_EQ(events, (std::vector<std::string>{"Refresh start", "Refresh done 0"}));
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(idle, 1);

    // A completion with nothing running is a stray one.
    runner.requestDone(FtpRequest::DirAsync, 426);
    EXPECT_EQ(strays, std::vector<int>{426});
    loop.runUntil([] { return false; }, std::chrono::milliseconds(20));
}

TEST_F(OperationRunnerTest, AUserCommandWaitsBehindTheKeepAlive) {
    runner.run(op("Keep-alive", true));
    EXPECT_TRUE(runner.run(op("Refresh")));
    EXPECT_FALSE(runner.run(op("Download"))) << "one waits, no more";
    runner.requestDone(FtpRequest::QuoteAsync, 0);
    EXPECT_TRUE(runner.busy());
    EXPECT_EQ(runner.current()->name(), "Refresh");
    EXPECT_EQ(idle, 0);
    EXPECT_EQ(busyChanges, std::vector<bool>{true}) << "busy throughout";

    // The session ends: the running operation hears it, nothing else starts.
    runner.sessionClosed();
    EXPECT_FALSE(runner.busy());
    EXPECT_EQ(events.back(), "Refresh closed");
}

TEST_F(OperationRunnerTest, StopBelongsToTheRunningOperation) {
    runner.stop();
    EXPECT_FALSE(runner.stopRequested()) << "nothing runs: nothing to stop";
    EXPECT_TRUE(events.empty());

    runner.run(op("Download"));
    runner.stop();
    EXPECT_TRUE(runner.stopRequested());
    EXPECT_EQ(events.back(), "Download stop");
    runner.requestDone(FtpRequest::GetAsync, 426);
    EXPECT_FALSE(runner.stopRequested()) << "forgotten with its operation";
    runner.run(op("Refresh"));
    EXPECT_FALSE(runner.stopRequested());
    EXPECT_FALSE(runner.abortsData());
}

// Batches lined up behind a running one start in order, each as the one before ends, with the
// runner busy throughout; Stop and the end of the session drop the waiting ones with a line.
TEST_F(OperationRunnerTest, LinedUpOperationsStartInTurnAndStopOrCloseDropsThem) {
    runner.runAfter(op("Download"));
    EXPECT_EQ(events, std::vector<std::string>{"Download start"}) << "nothing ran: at once";
    runner.runAfter(op("Upload"));
    runner.runAfter(op("Download 2"));
    runner.requestDone(FtpRequest::GetAsync, 0);
    runner.requestDone(FtpRequest::PutAsync, 0);
    EXPECT_TRUE(runner.busy());
    runner.requestDone(FtpRequest::GetAsync, 0);
    EXPECT_EQ(events,
              (std::vector<std::string>{"Download start", "Download done 0", "Upload start",
                                        "Upload done 0", "Download 2 start", "Download 2 done 0"}));
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(idle, 1);

    events.clear();
    runner.runAfter(op("A"));
    runner.runAfter(op("B"));
    runner.stop();
    EXPECT_EQ(log, std::vector<std::string>{"! B not started: stopped"});
    runner.requestDone(FtpRequest::GetAsync, 0);
    EXPECT_FALSE(runner.busy());

    log.clear();
    runner.runAfter(op("C"));
    runner.runAfter(op("D"));
    runner.sessionClosed();
    EXPECT_EQ(log, std::vector<std::string>{"! D not started: the session has ended"});
    EXPECT_FALSE(runner.busy());
    EXPECT_EQ(events,
              (std::vector<std::string>{"A start", "A stop", "A done 0", "C start", "C closed"}));
    loop.runUntil([] { return false; }, std::chrono::milliseconds(20));
}

}  // namespace
}  // namespace quay
