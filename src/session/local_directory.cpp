#include "session/session_controller.h"

namespace quay {

bool SessionController::changeLocalDir(const std::string& dir) {
    return m_localPane.changeDir(dir);
}

}  // namespace quay
