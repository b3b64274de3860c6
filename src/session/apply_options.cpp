#include "config/ascii.h"
#include "session/session_controller.h"

namespace quay {

namespace {

// The options the client takes only between sessions, as one comparable text.
std::string connectionSettings(const Options& options) {
    const char separator = '\0';
    std::string text = std::to_string(options.connectionType);
    for (const std::string* value :
         {&options.pxHost, &options.pxPort, &options.pxPsw, &options.skHost, &options.skPort,
          &options.skPsw, &options.skUC})
        text += separator + *value;
    return text;
}

}  // namespace

// The client refuses a new connection type while a connection is up, and a SOCKS or proxy
// setting changed under a running session would send its next data connection elsewhere.
void SessionController::applyOptions() {
    // A log-in in progress counts as live: its connection is being made with the old ones.
    const bool live = m_ftp.connected() || m_runner.busy();
    if (!live)
        applyConnectionOptions();
    else if (connectionSettings(m_options) != m_appliedConnection)
        addLog("! Connection type, proxy and SOCKS settings take effect at the next connection");
    m_ftp.setBinary(m_options.transferMode == 2);
    m_ftp.setPassive(m_options.passiveTransfer);
    m_ftp.setTimeout(m_options.timeOut);
    // A request that hears nothing for TimeOut seconds fails; connecting sets the wait limit
    // above to 0, the silence limit stays.
    m_ftp.setIdleTimeout(m_options.timeOut);
    applyLogOption();
    m_model.setWindowFont({m_options.fontName, m_options.fontSize, m_options.fontColor});
    markTransferMode(m_options.transferMode);
    if (!m_options.iniPath.empty() && !equalsIgnoringCase(m_options.iniPath, m_state.localDir))
        changeLocalDir(m_options.iniPath);
}

void SessionController::applyConnectionOptions() {
    m_appliedConnection = connectionSettings(m_options);
    m_ftp.setConnectionType(static_cast<FtpConnectionType>(m_options.connectionType));
    const bool viaProxy = m_options.connectionType == 1;
    m_ftp.setProxyServer(viaProxy ? m_options.pxHost : std::string());
    m_ftp.setPort(viaProxy ? m_options.pxPort : std::string());
    m_ftp.setPassWord(viaProxy ? m_options.pxPsw : std::string());
    // The connection sets Port from the server record, which would leave the proxy's own port
    // from the options unused: it goes to the proxy port instead.
    m_ftp.setProxyPort(viaProxy && !m_options.pxPort.empty() ? m_options.pxPort : "ftp");
    const bool viaSocks = m_options.connectionType >= 2;
    m_ftp.setSocksServer(viaSocks ? m_options.skHost : std::string());
    m_ftp.setSocksPort(viaSocks ? m_options.skPort : std::string());
    m_ftp.setSocksPassword(viaSocks ? m_options.skPsw : std::string());
    m_ftp.setSocksUserCode(viaSocks ? m_options.skUC : std::string());
    m_ftp.setPassive(m_options.passiveTransfer);
}

}  // namespace quay
