#include "ui/log_pane.h"

#include <QScrollBar>

#include <QTextCursor>
#include <QTimer>
#include "ui/flat_scroll_bar.h"

namespace quay {

LogPane::LogPane(int lineLimit, QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setMaximumBlockCount(lineLimit);
    // Painted each time lines come in, also while a transfer runs: drawn flat.
    setVerticalScrollBar(new FlatScrollBar(Qt::Vertical, this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Nothing in a read-only pane is ever undone; an undo record per line would only grow.
    document()->setUndoRedoEnabled(false);
}

namespace {

// The line as the pane shows it: at most kMaxShownChars characters, then the mark; a
// character of two UTF-16 units is never cut in half.
QString shownLine(const QString& line) {
    if (line.size() <= LogPane::kMaxShownChars)
        return line;
    qsizetype keep = LogPane::kMaxShownChars;
    if (line.at(keep - 1).isHighSurrogate())
        --keep;
    return line.left(keep) + LogPane::kCutMark;
}

}  // namespace

void LogPane::appendLine(const QString& line) {
    m_waiting.append(shownLine(line));
    if (m_waiting.size() > kMaxWaiting) {
        m_waiting.removeFirst();
        ++m_dropped;
    }
    if (m_flushScheduled)
        return;
    if (!m_sinceUpdate.isValid() || m_sinceUpdate.elapsed() >= kFlushInterval) {
        flush();
        return;
    }
    m_flushScheduled = true;
    QTimer::singleShot(kFlushInterval - m_sinceUpdate.elapsed(), this, [this] {
        m_flushScheduled = false;
        flush();
    });
}

void LogPane::flush() {
    m_sinceUpdate.start();
    if (m_waiting.isEmpty())
        return;
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (m_dropped > 0)
        insertLine(cursor, QStringLiteral("... %1 lines dropped").arg(m_dropped));
    for (const QString& line : m_waiting)
        insertLine(cursor, line);
    cursor.endEditBlock();
    m_waiting.clear();
    m_dropped = 0;
    if (following)
        bar->setValue(bar->maximum());
}

void LogPane::insertLine(QTextCursor& cursor, const QString& line) {
    if (m_holdsLine)
        cursor.insertBlock();
    cursor.insertText(line);
    m_holdsLine = true;
}

void LogPane::clearLines() {
    m_waiting.clear();
    m_dropped = 0;
    m_holdsLine = false;
    clear();
}

}  // namespace quay
