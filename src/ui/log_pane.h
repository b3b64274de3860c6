#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStringList>

namespace quay {

// The log pane: a read-only text of the newest lines of the FTP dialogue. A batch of small
// files logs several lines per file, hundreds of files a second; laying out and painting the
// pane for each line cost more than the transfers. So a line that comes within
// kFlushInterval of the last update waits, and all waiting lines go in as one edit when the
// interval is over. A line after a quiet spell shows at once. While the view is at the end it
// stays there.
class LogPane : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr qint64 kFlushInterval = 100;  // milliseconds

    LogPane(int lineLimit, QWidget* parent = nullptr);

    void appendLine(const QString& line);
    // Drops the shown and the waiting lines.
    void clearLines();
    // Puts the waiting lines in now.
    void flush();

private:
    QStringList m_waiting;
    QElapsedTimer m_sinceUpdate;
    bool m_flushScheduled = false;
    bool m_holdsLine = false;  // the next line opens a block
};

}  // namespace quay
