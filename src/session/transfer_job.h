#pragma once

#include <cstdint>
#include <string>

namespace quay {

// One file of the transfer queue, carried by an extra connection. Its paths were checked by the
// batch that queued it: local is an absolute path below (or, typed into "Save as", chosen by)
// the user, remote the path the server is sent, never derived from each other.
struct TransferJob {
    enum class State { Waiting, Running, Done, Failed };

    int id = 0;
    // The batch (one download or upload command) the file belongs to.
    int batch = 0;
    bool upload = false;
    std::string remote;
    std::string local;
    // The size the listing or the local file showed; 0 when unknown.
    std::int64_t size = 0;
    // Start behind the bytes the target holds already: the overwrite prompt's Resume, or an
    // earlier try that the server took (its target holds this file's first bytes).
    bool resume = false;
    State state = State::Waiting;
    // Why the file failed ("426 Data connection: ...", "Stopped").
    std::string reason;
    // Bytes the target holds now (the position of the running transfer).
    std::int64_t done = 0;
    // Bytes a second of the running transfer moves, measured over the file so far.
    double rate = 0;
    // Connections the file was tried on after the first one dropped.
    int retries = 0;
};

}  // namespace quay
