#include "session/session_controller.h"

namespace quay {

void SessionController::applyOptions() {
    m_ftp.setConnectionType(static_cast<FtpConnectionType>(m_options.connectionType));
    m_ftp.setBinary(m_options.transferMode == 2);
    const bool viaProxy = m_options.connectionType == 1;
    m_ftp.setProxyServer(viaProxy ? m_options.pxHost : std::string());
    m_ftp.setPort(viaProxy ? m_options.pxPort : std::string());
    m_ftp.setPassWord(viaProxy ? m_options.pxPsw : std::string());
    const bool viaSocks = m_options.connectionType >= 2;
    m_ftp.setSocksServer(viaSocks ? m_options.skHost : std::string());
    m_ftp.setSocksPort(viaSocks ? m_options.skPort : std::string());
    m_ftp.setSocksPassword(viaSocks ? m_options.skPsw : std::string());
    m_ftp.setSocksUserCode(viaSocks ? m_options.skUC : std::string());
    m_ftp.setPassive(m_options.passiveTransfer);
    m_ftp.setTimeout(m_options.timeOut);
}

}  // namespace quay
