#include "ui/start_instance.h"

#include <QCoreApplication>
#include <QProcess>

namespace quay {

bool startDetachedProgram(const QString& program) {
    return QProcess::startDetached(program, {});
}

bool startNewInstance() {
    return startDetachedProgram(QCoreApplication::applicationFilePath());
}

}  // namespace quay
