#pragma once

#include <sys/types.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace quay::bench {

// CPU seconds (user and system) of this process (the engine, and a ProcessTreeCpu's reading of
// /proc, a few milliseconds a second) and of its children that have been waited for (curl and
// lftp run by system()).
double ownCpuSeconds();
double waitedChildrenCpuSeconds();

// The CPU seconds a process and everything below it (a server and its sessions) spend while it
// runs: /proc is read every 20 ms, so a process that ends in between (vsftpd's sessions are
// not waited for, their time reaches no parent) counts with its last reading.
class ProcessTreeCpu {
public:
    explicit ProcessTreeCpu(pid_t root);
    ~ProcessTreeCpu();
    ProcessTreeCpu(const ProcessTreeCpu&) = delete;
    ProcessTreeCpu& operator=(const ProcessTreeCpu&) = delete;
    // Seconds since the object was made.
    double stop();

private:
    void sample();

    pid_t m_root;
    std::map<pid_t, long long> m_startTicks;
    std::map<pid_t, long long> m_lastTicks;
    std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace quay::bench
