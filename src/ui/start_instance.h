#pragma once

#include <QString>

namespace quay {

// Starts program with no arguments as an independent process and does not wait for it; the
// new process outlives this one. False when it could not be started.
bool startDetachedProgram(const QString& program);

// Another instance of the running program ("Create new session").
bool startNewInstance();

}  // namespace quay
