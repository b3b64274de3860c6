#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ftp_harness.h"
#include "scripted_ftp_server.h"
#include "test_support.h"

namespace quay::test {

// The greeting and log-in of user joe with password secret.
inline void login(ScriptedFtpSession& s) {
    s.reply("220 scripted server ready");
    s.expect("USER joe");
    s.reply("331 Password required");
    s.expect("PASS secret");
    s.reply("230 Logged in");
}

// A client aimed at a scripted server; the script must not have failed when the test ends.
class ScriptedFtp : public ::testing::Test {
protected:
    void start(ScriptedFtpServer::Script script) {
        server = std::make_unique<ScriptedFtpServer>(std::move(script));
        h.target(server->port(), "joe", "secret");
    }
    int connect() {
        return h.run([&] { h.ftp.connectAsync(); });
    }
    void TearDown() override {
        if (server) {
            EXPECT_EQ(server->failure(), "");
        }
    }

    FtpHarness h;
    std::unique_ptr<ScriptedFtpServer> server;
    TempDir dir;
};

}  // namespace quay::test
