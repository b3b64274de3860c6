#include <filesystem>
#include <system_error>

#include "session/session_controller.h"

namespace quay {

bool SessionController::changeLocalDir(const std::string& dir) {
    namespace fs = std::filesystem;
    fs::path target(dir);
    if (target.is_relative() && !m_state.localDir.empty())
        target = fs::path(m_state.localDir) / target;
    std::error_code error;
    if (!fs::is_directory(target, error))
        return false;
    std::string shown = target.lexically_normal().string();
    if (shown.empty() || shown.back() != '/')
        shown += '/';
    m_state.localDir = shown;
    return true;
}

}  // namespace quay
