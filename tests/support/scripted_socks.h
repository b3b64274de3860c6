#pragma once

#include <string>
#include <vector>

#include "test_support.h"

namespace quay::test {

// The scripted responder of tests/support (socks_responder.py) playing `scriptJson` for
// every connection; requests() gives what clients sent, one hex line per read step.
class ScriptedSocks {
public:
    explicit ScriptedSocks(const std::string& scriptJson);
    int port() const { return m_port; }
    std::vector<std::string> requests() const;

private:
    TempDir m_dir;
    ChildProcess m_process;
    int m_port = 0;
};

}  // namespace quay::test
