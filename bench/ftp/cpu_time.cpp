#include "cpu_time.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quay::bench {

namespace {

double usage(int who) {
    rusage used{};
    ::getrusage(who, &used);
    return static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
           static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
}

// User and system ticks of the process itself: /proc/PID/stat after the command name holds
// state(3) ... utime(14) stime(15).
long long ownTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return -1;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 > line.size())
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::vector<std::string> field;
    for (std::string word; field.size() < 13 && fields >> word;)
        field.push_back(word);
    return field.size() < 13 ? -1 : std::stoll(field[11]) + std::stoll(field[12]);
}

// The process and everything below it (the servers' processes have a single thread each).
std::vector<pid_t> processTree(pid_t root) {
    std::vector<pid_t> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const std::string id = std::to_string(tree[i]);
        std::ifstream children("/proc/" + id + "/task/" + id + "/children");
        for (pid_t child; children >> child;)
            tree.push_back(child);
    }
    return tree;
}

}  // namespace

double ownCpuSeconds() {
    return usage(RUSAGE_SELF);
}

double waitedChildrenCpuSeconds() {
    return usage(RUSAGE_CHILDREN);
}

ProcessTreeCpu::ProcessTreeCpu(pid_t root) : m_root(root) {
    sample();
    m_startTicks = m_lastTicks;
    m_thread = std::thread([this] {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            sample();
        }
    });
}

ProcessTreeCpu::~ProcessTreeCpu() {
    stop();
}

void ProcessTreeCpu::sample() {
    std::map<pid_t, long long> now;
    for (const pid_t pid : processTree(m_root))
        if (const long long ticks = ownTicks(pid); ticks >= 0)
            now[pid] = ticks;
    const std::lock_guard lock(m_mutex);
    for (const auto& [pid, ticks] : now)
        m_lastTicks[pid] = ticks;
}

double ProcessTreeCpu::stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
        sample();
    }
    const std::lock_guard lock(m_mutex);
    long long ticks = 0;
    for (const auto& [pid, last] : m_lastTicks) {
        const auto start = m_startTicks.find(pid);
        ticks += last - (start == m_startTicks.end() ? 0 : start->second);
    }
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace quay::bench
