#pragma once

#include <memory>
#include <string>

#include "session/listing_operation.h"

namespace quay {

// Moving about the server and listing: open a directory, change directory, the path box
// (each a CWD), one level up (CDUP, or PWD at the first level of a virtual host), refresh.
// Each ends in the listing of where the client then is. The wire dialogue: CWD <dir> (when
// refused: TYPE A, PWD), or CDUP, or PWD; then TYPE A and LIST.
class NavigationOperation : public ListingOperation {
public:
    // Refresh: lists the client's current directory.
    static std::unique_ptr<Operation> refresh(SessionController& session);
    // Open, change directory, path box: enters dir and lists it.
    static std::unique_ptr<Operation> enter(SessionController& session, std::string name,
                                            std::string dir);
    // One level up from the client's current directory.
    static std::unique_ptr<Operation> up(SessionController& session);

    void start() override;
    void requestDone(FtpRequest request, int error) override;

private:
    enum class Move { Refresh, Enter, Up };

    NavigationOperation(SessionController& session, std::string name, Move move, std::string dir);
    void goUp();

    Move m_move;
    std::string m_dir;
    // A CDUP runs; the directory the client was in before it.
    bool m_cdupRunning = false;
    std::string m_dirBefore;
};

}  // namespace quay
