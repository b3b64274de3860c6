#include "scripted_socks.h"

#include <sstream>
#include <stdexcept>

namespace quay::test {

ScriptedSocks::ScriptedSocks(const std::string& scriptJson) : m_port(freePort()) {
    writeFile(m_dir.path() / "script.json", scriptJson);
    m_process.start(
        {"/usr/bin/python3", (supportDir() / "socks_responder.py").string(), std::to_string(m_port),
         (m_dir.path() / "script.json").string(), (m_dir.path() / "requests.log").string()},
        (m_dir.path() / "stderr.log").string());
    if (!waitForPort(m_port))
        throw std::runtime_error("socks_responder.py did not start");
}

// waitForPort's probe connection plays the script too and logs nothing it could not read;
// only complete reads appear here.
std::vector<std::string> ScriptedSocks::requests() const {
    std::istringstream in(readFile(m_dir.path() / "requests.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace quay::test
