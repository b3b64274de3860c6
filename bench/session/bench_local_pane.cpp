#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/poll_loop.h"
#include "session/dialogs.h"
#include "session/session_controller.h"

#include "../bench_timing.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct NoDialogs : quay::Dialogs {
    Answer messageBox(const std::string&, const std::string&, Icon, unsigned) override {
        return Answer::Ok;
    }
    bool inputPrompt(const std::string&, const std::string&, std::string&, bool) override {
        return false;
    }
};

// `ls -la <dir>` with its output thrown away; it reads and stats every entry like the pane.
void listWithLs(const std::string& dir) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"ls", "-la", "--color=never", dir.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ls", &actions, nullptr, const_cast<char**>(argv), environ) == 0)
        waitpid(pid, nullptr, 0);
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

int main() {
    char pattern[] = "/tmp/quay-bench-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const fs::path big = root / "big";
    fs::create_directories(big);
    for (int i = 0; i < 100000; ++i) {
        const std::string name = (big / ("file" + std::to_string(i * 7919 % 100000) + ".dat"));
        if (i % 100 == 0)
            mkdir((big / ("dir" + std::to_string(i))).c_str(), 0700);
        else
            close(open(name.c_str(), O_CREAT | O_WRONLY, 0600));
    }
    quay::PollLoop loop;
    NoDialogs dialogs;
    quay::SessionController controller(loop, dialogs, root / "data");
    setenv("LC_ALL", "C", 1);
    const double ours = quay::bench::bestMillis([&] {
        controller.changeLocalDir("/");
        controller.changeLocalDir(big.string());
    });
    const double peer = quay::bench::bestMillis([&] { listWithLs(big.string()); });
    quay::bench::report("local pane shows 100k entries vs ls -la", ours, peer);
    std::printf("  (%zu rows, %zu tree entries)\n", controller.model().lvLoc().count(),
                controller.localPane().tree().entries().size());
    fs::remove_all(root);
    return 0;
}
