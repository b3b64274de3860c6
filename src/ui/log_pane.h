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
//
// The work of one update is bounded whatever a server sends: at most kMaxWaiting lines wait
// (the newest; one line "... N lines dropped" stands for the older ones), and a line is shown
// with at most kMaxShownChars characters followed by kCutMark. The model and the log file keep
// the lines whole.
class LogPane : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr qint64 kFlushInterval = 100;  // milliseconds
    static constexpr qsizetype kMaxWaiting = 1000;
    static constexpr qsizetype kMaxShownChars = 500;
    static constexpr QChar kCutMark = QChar(0x2026);  // "…"

    LogPane(int lineLimit, QWidget* parent = nullptr);

    void appendLine(const QString& line);
    // Drops the shown and the waiting lines.
    void clearLines();
    // Puts the waiting lines in now.
    void flush();

private:
    void insertLine(QTextCursor& cursor, const QString& line);

    QStringList m_waiting;
    qint64 m_dropped = 0;  // waiting lines given up for newer ones since the last update
    QElapsedTimer m_sinceUpdate;
    bool m_flushScheduled = false;
    bool m_holdsLine = false;  // the next line opens a block
};

}  // namespace quay
