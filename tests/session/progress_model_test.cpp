#include "session/progress_model.h"

#include <gtest/gtest.h>

#include <string>

namespace quay {
namespace {

class ProgressModelTest : public ::testing::Test {
protected:
    ProgressModelTest() : progress([this] { return now; }) {
        progress.onChanged = [this] { ++repaints; };
    }
    std::int64_t now = 1000;
    int repaints = 0;
    ProgressModel progress;
};

TEST_F(ProgressModelTest, LabelsFollowTheBytesAndTheClock) {
    progress.startFile("/pub/big.iso", 6'000'000'000, false);
    EXPECT_EQ(progress.caption(), "Receiving big.iso (6000000000 bytes)");
    progress.updateProgress(500);
    // The first second: no rate, nothing left to wait for.
    EXPECT_EQ(progress.rateText(), "0.000 K/sec");
    EXPECT_EQ(progress.timeLeftText(), " 0:00:00");

    now += 3'725'000;
    progress.updateProgress(4'000'000'000);
    EXPECT_EQ(progress.timeText(), " 1:02:05");
    EXPECT_EQ(progress.transferText(), "4000000000");
    EXPECT_EQ(progress.rateText(), "1073.825 K/sec");  // 4e9 / 3725 s
    EXPECT_EQ(progress.timeLeftText(), " 0:31:02");    // 2e9 / 1073825 B/s
    EXPECT_EQ(progress.barPosition(), 4'000'000'000);

    EXPECT_EQ(ProgressModel::formatRate(1050), "1.050 K/sec");
    EXPECT_EQ(ProgressModel::formatRate(1500), "1.500 K/sec");
}

TEST_F(ProgressModelTest, FinishedFilesAddUpAndLateReportsAreIgnored) {
    progress.startFile("a", 3'000'000'000, true);
    EXPECT_EQ(progress.caption(), "Sending   a (3000000000 bytes)");
    progress.updateProgress(3'000'000'000);
    progress.fileDone();
    progress.updateProgress(7);
    EXPECT_EQ(progress.totalTransferText(), "3000000000");
    EXPECT_EQ(progress.barPosition(), 0);
    progress.startFile("b", 0, true);
    EXPECT_EQ(progress.barMaximum(), 0);
    now += 10;
    progress.updateProgress(2'000'000'000);
    EXPECT_EQ(progress.totalTransferText(), "5000000000");
    now += 2'000;
    EXPECT_EQ(progress.totalTimeText(), " 0:00:02");
}

TEST_F(ProgressModelTest, RepaintsAreLimitedAndTheAnimationWrapsByDirection) {
    progress.startFile("up", 100, true);
    const int afterStart = repaints;
    for (int i = 0; i < 1000; ++i) {
        now += 1;
        progress.updateProgress(i);
    }
    // 1000 reports within one second: at most one repaint per interval.
    EXPECT_LE(repaints - afterStart, 1000 / ProgressModel::kRepaintInterval + 1);
    EXPECT_GE(repaints - afterStart, 1000 / ProgressModel::kRepaintInterval - 1);
    EXPECT_EQ(progress.fileBytes(), 999);

    int frames = repaints - afterStart;
    EXPECT_EQ(progress.frame(), frames % ProgressModel::kLastFrame);
    progress.startFile("down", 100, false);
    while (progress.frame() != 0) {
        now += ProgressModel::kRepaintInterval;
        progress.updateProgress(1);
    }
    now += ProgressModel::kRepaintInterval;
    progress.updateProgress(1);
    EXPECT_EQ(progress.frame(), ProgressModel::kLastFrame);
    EXPECT_EQ(progress.frameX(234), 11 * 20);
    EXPECT_EQ(progress.frameY(45), 11);

    // A burst of small files repaints once, not per file.
    now += ProgressModel::kRepaintInterval;
    const int beforeBurst = repaints;
    for (int i = 0; i < 100; ++i) {
        progress.startFile("small", 1, false);
        progress.fileDone();
    }
    EXPECT_EQ(repaints - beforeBurst, 1);
    EXPECT_EQ(progress.caption(), "Receiving small (1 bytes)");
}

// The repaint held back by the interval is made by the next flush: the view never keeps the
// figures of the previous file.
TEST_F(ProgressModelTest, FlushShowsTheChangeHeldBackByTheInterval) {
    std::string shown;
    progress.onChanged = [&] {
        ++repaints;
        shown = progress.caption();
    };
    progress.startFile("one", 10, false);
    EXPECT_EQ(shown, "Receiving one (10 bytes)");
    now += 1;
    progress.updateProgress(10);
    progress.fileDone();
    progress.startFile("two", 20, false);
    EXPECT_EQ(shown, "Receiving one (10 bytes)");
    const int before = repaints;
    progress.flush();
    EXPECT_EQ(repaints, before + 1);
    EXPECT_EQ(shown, "Receiving two (20 bytes)");
    progress.flush();
    EXPECT_EQ(repaints, before + 1);
}

TEST_F(ProgressModelTest, CancelRunsTheStopRoutine) {
    int stops = 0;
    progress.cancelClick();
    progress.onCancel = [&] { ++stops; };
    progress.cancelClick();
    EXPECT_EQ(stops, 1);
}

}  // namespace
}  // namespace quay
