#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/message_texts.h"

namespace quay {

// The progress window TProgress without its widgets: the file being transferred, its byte
// count, elapsed and remaining time, the batch totals and rate, the animation frame, and the
// cancel button. It lives from the first file of a batch to the end of the batch.
//
// Progress arrives once per received chunk or sent block, which on a fast link is thousands
// of times a second, and a batch of small files starts hundreds of files a second; the counts
// follow every call, but onChanged (the view repaints) fires at most once per
// kRepaintInterval. A change held back that way is announced by the next flush(), which the
// view calls every kRepaintInterval, so the last state of a file is always shown. The
// animation advances once per repaint of a progress report. All byte counts are 64-bit.
class ProgressModel {
public:
    // Milliseconds of a steady clock.
    using Clock = std::function<std::int64_t()>;
    static constexpr std::int64_t kRepaintInterval = 100;
    static constexpr int kLastFrame = 20;

    std::function<void()> onChanged;
    // The cancel button (set to the main window's stop routine).
    std::function<void()> onCancel;
    // The texts of the caption in the language shown; null, the built-in texts.
    const MessageTexts* messages = nullptr;

    // now defaults to the steady clock; the batch time counts from here.
    explicit ProgressModel(Clock now = {});

    void startFile(const std::string& name, std::int64_t size, bool sending);
    // Ignored once the file is finished, until the next startFile.
    void updateProgress(std::int64_t bytes);
    void fileDone();
    void cancelClick();
    // Announces a change that was held back by the repaint interval, if any.
    void flush();
    // The files running now, one line each ("name (45%)"): the transfer queue's window sets
    // them before each progress report, which announces them. Empty for a batch on the session.
    void setRunningFiles(std::vector<std::string> lines) { m_runningFiles = std::move(lines); }
    const std::vector<std::string>& runningFiles() const { return m_runningFiles; }

    // "Sending   name (n bytes)" or "Receiving name (n bytes)" (Message::ProgressSending,
    // ProgressReceiving), name without its directory.
    const std::string& caption() const { return m_caption; }
    std::int64_t barMaximum() const { return m_fileSize; }
    std::int64_t barPosition() const { return m_barPosition; }
    std::int64_t fileBytes() const { return m_fileBytes; }
    std::int64_t doneBytes() const { return m_doneBytes; }
    bool sending() const { return m_sending; }
    int frame() const { return m_frame; }

    // The value labels.
    std::string transferText() const { return std::to_string(m_fileBytes); }
    std::string timeText() const { return formatDuration(m_fileSeconds); }
    std::string timeLeftText() const;
    // A finished file's bytes are in doneBytes() already; its own labels stay as they were.
    std::string totalTransferText() const {
        return std::to_string(m_doneBytes + (m_fileFinished ? 0 : m_fileBytes));
    }
    std::string totalTimeText() const;
    std::string rateText() const { return formatRate(rate()); }

    // Where the animation's picture is drawn in an area of the given size.
    int frameX(int width) const { return width / kLastFrame * m_frame; }
    int frameY(int height) const;

    // " h:mm:ss" (hours at least two wide).
    static std::string formatDuration(std::int64_t seconds);
    // Kilobytes per second with three decimals: 1500 bytes/s is "1.500 K/sec", 1050 is
    // "1.050 K/sec".
    static std::string formatRate(std::int64_t bytesPerSecond);

private:
    std::int64_t rate() const;
    void announce(bool animate);

    Clock m_now;
    std::int64_t m_fileBytes = 0;
    std::int64_t m_fileSeconds = 0;
    std::int64_t m_doneBytes = 0;
    std::int64_t m_fileSize = 0;
    std::int64_t m_barPosition = 0;
    int m_frame = 0;
    bool m_sending = false;
    bool m_fileFinished = false;
    std::int64_t m_batchStart = 0;
    std::int64_t m_fileStart = 0;
    std::int64_t m_lastRepaint = 0;
    bool m_repainted = false;
    bool m_held = false;
    std::string m_caption;
    std::vector<std::string> m_runningFiles;
};

}  // namespace quay
