#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ftp_harness.h"
#include "scripted_ftp_server.h"
#include "test_support.h"

namespace quay::test {

using namespace std::chrono_literals;

// The greeting and log-in of user joe with password secret.
inline void login(ScriptedFtpSession& s) {
    s.reply("220 scripted server ready");
    s.expect("USER joe");
    s.reply("331 Password required");
    s.expect("PASS secret");
    s.reply("230 Logged in");
}

// Answers one PASV and, unless restReply is empty, the REST behind it.
inline void answerPasv(ScriptedFtpSession& s, const std::string& restReply = "") {
    s.expect("PASV");
    s.reply(ScriptedFtpServer::passiveReply(s.listenData()));
    if (!restReply.empty()) {
        s.expect("REST ");
        s.reply(restReply);
    }
}

// Takes `command` on a data connection already listening, sends `data` and closes it.
inline void serveData(ScriptedFtpSession& s, const std::string& command, const std::string& data,
                      const std::string& finalReply = "226 Done") {
    s.expect(command);
    s.acceptData();
    s.reply("150 Go");
    s.sendData(data);
    s.closeData();
    s.reply(finalReply);
}

// A client aimed at a scripted server; the script must not have failed when the test ends.
class ScriptedFtp : public ::testing::Test {
protected:
    void start(ScriptedFtpServer::Script script) {
        server = std::make_unique<ScriptedFtpServer>(std::move(script));
        h.target(server->port(), "joe", "secret");
    }
    // Runs `body` behind the log-in, then waits for the client to close; connects the client.
    void startLoggedIn(const ScriptedFtpServer::Script& body) {
        start([body](ScriptedFtpSession& s) {
            login(s);
            body(s);
            s.waitForClose(5s);
        });
        EXPECT_EQ(connect(), 0) << h.logText();
    }
    int connect() {
        return h.run([&] { h.ftp.connectAsync(); });
    }
    // Sets up passive transfers between the remote file `remote` and `local` in the temporary
    // folder; returns the local path.
    std::string files(const std::string& remote, const std::string& local) {
        h.ftp.setPassive(true);
        h.ftp.setHostFileName(remote);
        h.ftp.setLocalFileName((dir.path() / local).string());
        return (dir.path() / local).string();
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
