#pragma once

#include <string>

#include "session/listing_operation.h"

namespace quay {

// Sends one line of the user's choice (the command bar, SITE CHMOD) or of the keep-alive
// list, then enters the current directory again and lists it, since the command may have
// changed it. A refused line ends the operation with an "Error" line. The keep-alive lets a
// user command wait behind it rather than refusing it.
class CommandOperation : public ListingOperation {
public:
    CommandOperation(SessionController& session, std::string name, std::string line,
                     bool keepAlive);

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    bool queuesOthers() const override { return m_keepAlive; }

private:
    std::string m_line;
    bool m_keepAlive;
    bool m_quoteRunning = false;
};

}  // namespace quay
