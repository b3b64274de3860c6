#include <algorithm>

#include "session/session_controller.h"

namespace quay {

std::shared_ptr<TransferPool> SessionController::transferPool() {
    const int connections = std::clamp(m_options.connections, 1, 10);
    if (connections <= 1 || m_state.serverListMode || !m_ftp.connected())
        return nullptr;
    const WorkerSettings settings{&m_ftp, m_options.transferMode, m_options.ext};
    if (m_pool) {
        m_pool->reconfigure(settings, connections, m_options.retry);
        return m_pool;
    }
    TransferPool::Hooks hooks;
    hooks.log = [this](const std::string& line) { addLog(line); };
    hooks.changed = [this](std::size_t index) {
        if (onTransferQueueChanged)
            onTransferQueueChanged(index);
    };
    // Downloaded files show in the local pane once the queue has carried them.
    hooks.idle = [this] {
        const TransferPool::Totals sum = m_pool->totals(0);
        addLog("Transfer queue done: " + std::to_string(sum.filesDone) + " of " +
               std::to_string(sum.files) + " files, " + std::to_string(sum.filesFailed) +
               " failed");
        if (!m_state.serverListMode)
            changeLocalDir(m_state.localDir);
    };
    m_pool = std::make_shared<TransferPool>(m_loop, settings, connections, m_options.retry,
                                            std::move(hooks));
    return m_pool;
}

}  // namespace quay
