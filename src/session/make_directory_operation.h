#pragma once

#include <string>

#include "session/listing_operation.h"

namespace quay {

// Makes a directory of the name the user types in the remote directory. The wire dialogue:
// MKD, then TYPE A and LIST into the pane. A refused MKD ends it with an "Error" line; Stop
// ends it after the running request.
class MakeDirectoryOperation : public ListingOperation {
public:
    explicit MakeDirectoryOperation(SessionController& session);

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    void stop() override;

private:
    bool m_mkdRunning = false;
    bool m_stopRequested = false;
};

}  // namespace quay
