// The peer of the start-up measurement: a bare Qt main window with a menu bar and one label,
// timed from main() to its first paint the same way as the program.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(const QElapsedTimer& clock) : m_clock(clock) {}

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

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    FirstPaint probe(clock);
    app.installEventFilter(&probe);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    window.setCentralWidget(new QLabel(QStringLiteral("peer")));
    window.resize(900, 640);
    window.show();
    return QApplication::exec();
}
