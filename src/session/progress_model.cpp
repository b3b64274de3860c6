#include "session/progress_model.h"

#include <chrono>
#include <cstdio>

#include "session/transfer_paths.h"

namespace quay {

namespace {

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ProgressModel::ProgressModel(Clock now) : m_now(now ? std::move(now) : steadyMilliseconds) {
    m_batchStart = m_now();
}

void ProgressModel::startFile(const std::string& name, std::int64_t size, bool sending) {
    m_fileFinished = false;
    m_fileStart = m_now();
    m_fileSize = size;
    m_fileBytes = 0;
    m_fileSeconds = 0;
    m_barPosition = 0;
    m_sending = sending;
    m_caption =
        messageText(messages, sending ? Message::ProgressSending : Message::ProgressReceiving,
                    {fileNamePart(name), std::to_string(size)});
    announce(false);
}

void ProgressModel::updateProgress(std::int64_t bytes) {
    if (m_fileFinished)
        return;
    m_fileBytes = bytes;
    m_fileSeconds = (m_now() - m_fileStart) / 1000;
    m_barPosition = bytes;
    announce(true);
}

void ProgressModel::fileDone() {
    m_barPosition = 0;
    m_doneBytes += m_fileBytes;
    m_fileFinished = true;
    announce(false);
}

void ProgressModel::flush() {
    if (!m_held)
        return;
    m_held = false;
    m_repainted = true;
    m_lastRepaint = m_now();
    if (onChanged)
        onChanged();
}

void ProgressModel::cancelClick() {
    if (onCancel)
        onCancel();
}

std::int64_t ProgressModel::rate() const {
    return m_fileBytes == 0 || m_fileSeconds == 0 ? 0 : m_fileBytes / m_fileSeconds;
}

std::string ProgressModel::timeLeftText() const {
    const std::int64_t r = rate();
    return formatDuration(r == 0 ? 0 : (m_fileSize - m_fileBytes) / r);
}

std::string ProgressModel::totalTimeText() const {
    return formatDuration((m_now() - m_batchStart) / 1000);
}

int ProgressModel::frameY(int height) const {
    if (m_frame % 2 == 0)
        return height / 4;
    return (m_frame - 1) % 4 == 0 ? 0 : height * 2 / 4;
}

std::string ProgressModel::formatDuration(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    char text[48];
    std::snprintf(
        text, sizeof text, "%2lld:%2.2lld:%2.2lld", static_cast<long long>(seconds / 3600),
        static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 3600 % 60));
    return text;
}

std::string ProgressModel::formatRate(std::int64_t bytesPerSecond) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%03lld K/sec",
                  static_cast<long long>(bytesPerSecond / 1000),
                  static_cast<long long>(bytesPerSecond % 1000));
    return text;
}

void ProgressModel::announce(bool animate) {
    const std::int64_t now = m_now();
    if (m_repainted && now - m_lastRepaint < kRepaintInterval) {
        m_held = true;
        return;
    }
    m_held = false;
    if (animate && m_sending)
        m_frame = m_frame + 1 >= kLastFrame ? 0 : m_frame + 1;
    else if (animate)
        m_frame = m_frame - 1 < 0 ? kLastFrame : m_frame - 1;
    m_repainted = true;
    m_lastRepaint = now;
    if (onChanged)
        onChanged();
}

}  // namespace quay
