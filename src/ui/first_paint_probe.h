#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <cstdio>

namespace quay {

// Start-up measurement: installed on the application, it prints the time since the clock
// started, in milliseconds, at the first paint of any widget and ends the event loop. With
// a single window, that is the first paint of that window.
class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(const QElapsedTimer& clock) : m_clock(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("first paint after %lld ms\n",
                        static_cast<long long>(m_clock.nsecsElapsed() / 1000000));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_done = false;
};

}  // namespace quay
