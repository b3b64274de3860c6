#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quay {

// The session log file: the log's lines, one per line, without time stamps. Each control
// byte but the tab is written as "\xNN", so a server's terminal escapes never reach a
// terminal that shows the file. The file never grows past kMaxBytes: the line that would
// cross the limit is replaced by kLimitNote and later lines are not written; the file stays
// open, so the options do not empty it again. The file holds user and host names: it is
// created readable by the user only.
class LogFile {
public:
    static constexpr std::int64_t kMaxBytes = 64 * 1024 * 1024;
    static constexpr std::string_view kLimitNote =
        "! The log file reached 64 MiB; later lines are not written to it";

    enum class Write {
        Written,       // the line is in the file (or the file was full before)
        LimitReached,  // the line would cross the limit: kLimitNote was written instead
        Failed,        // the write failed; the file is closed
    };

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Creates or empties name, else name + "." + the process id. False when neither works.
    bool open(const std::string& name);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    Write write(std::string_view line);

private:
    bool writeAll(const std::string& record);

    int m_fd = -1;
    std::int64_t m_written = 0;
    bool m_full = false;
};

}  // namespace quay
