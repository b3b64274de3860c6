#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

std::string SessionController::remoteStartDir() const {
    return remoteDirPath(m_ftp.hostDirName(), m_currentServer.CheckVHost);
}

}  // namespace quay
