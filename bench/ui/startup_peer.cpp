// The peer of the start-up measurement: a bare Qt main window with a menu bar and one label,
// timed from main() to its first paint the same way as the program.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include "ui/first_paint_probe.h"

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    quay::FirstPaintProbe probe(clock);
    app.installEventFilter(&probe);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    window.setCentralWidget(new QLabel(QStringLiteral("peer")));
    window.resize(900, 640);
    window.show();
    return QApplication::exec();
}
