#include <chrono>

#include "session/session_controller.h"

namespace quay {

ListingFormat SessionController::listingFormat() const {
    ListingFormat format;
    format.layout = m_currentServer.Answer;
    format.today = std::chrono::year_month_day{std::chrono::year{m_state.thisYear},
                                               std::chrono::month{m_state.thisMonth},
                                               std::chrono::day{m_state.thisDay}};
    format.mlsd = m_state.listWithMlsd;
    return format;
}

SessionController::ListingRequest SessionController::listingRequest() const {
    return m_state.listWithMlsd ? &FtpClientBase::mlsdAsync : &FtpClientBase::dirAsync;
}

// Only the server's own refusal (5xx) turns MLSD off: a data connection that failed or a stop
// would fail LIST as well.
bool SessionController::mlsdRefused(int error) {
    if (!m_state.listWithMlsd || error < 500 || error > 599 || !m_ftp.connected())
        return false;
    m_state.listWithMlsd = false;
    addLog("! MLSD failed (" + m_ftp.errorMessage() + "); listing with LIST in this session");
    return true;
}

}  // namespace quay
