#pragma once

#include <QApplication>
#include <cstdio>
#include <exception>

namespace quay::bench {

// The main() of a benchmark that drives the window: runs run(argc, argv) inside a
// QApplication; an exception is reported on stderr as "<name>: <what>" and gives status 1.
template <typename Run>
int runWindowBench(int argc, char** argv, const char* name, Run run) {
    QApplication app(argc, argv);
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return 1;
    }
}

// Qt draws offscreen unless the caller chose a platform in QT_QPA_PLATFORM; call it before
// the QApplication is made.
inline void drawOffscreenUnlessChosen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace quay::bench
