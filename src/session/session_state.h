#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quay {

// What the window shows of the session (mode, directories, masks, sort keys, the listing's
// type and names), shared by the session controller and its operations. Operations keep their
// own queues and flags. All flags start false and all lists empty unless stated.
struct SessionState {
    // True while the right pane shows the server list: after start-up and after a session
    // ends; false from the moment a session is connected.
    bool serverListMode = true;
    // The directory the session started in, always ending in "/": where a listing reads the
    // client's directory with PWD after a refused CWD.
    std::string startRemoteDir;

    std::vector<std::string> remoteNames;

    // Retry counter of the connection being made; -1 once connected.
    int connectAttempt = 0;
    // Period of the fastest timer tick in milliseconds. Fixed: nothing is measured at
    // start-up, so the window appears without a stall.
    int tickPeriod = 10;
    int keepAliveIndex = 0;

    // The date at window creation; the listing parser takes the year of lines without one
    // from here.
    std::uint16_t thisYear = 0;
    std::uint16_t thisMonth = 0;
    std::uint16_t thisDay = 0;

    bool logOpen = false;
    std::string logFileName;

    // The server type index of the server whose listing fills the right pane.
    int listingType = 0;
    // Listings use MLSD: the FEAT reply of this session offered MLST and no MLSD has been
    // refused since. Set at each log-in.
    bool listWithMlsd = false;

    // The directory the local pane shows, always ending in "/"; the local side of every
    // transfer.
    std::string localDir;

    std::string localMask = "*.*";
    std::string remoteMask = "*.*";
    int localSortKey = 0;
    int remoteSortKey = 0;
};

}  // namespace quay
