#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"

namespace quay::test {

// Long enough for a loaded machine; waits return as soon as the condition holds.
constexpr int kWaitMs = 30000;

// Writes content to path, making the missing directories first.
void putFile(const std::filesystem::path& path, const std::string& content);
// A file of size bytes that takes no disk space (a hole).
void makeSparseFile(const std::filesystem::path& path, std::int64_t size);

// The program as the user runs it, with a saved server "Local" in its server list: a data
// directory, a local directory for the local pane, and a root for the server to serve. The
// test drives it through the window's widgets.
class TransferProgram {
public:
    TransferProgram();
    ~TransferProgram();

    const std::filesystem::path& root() const { return m_root.path(); }
    const std::filesystem::path& local() const { return m_local.path(); }
    // Valid once start() has made the program.
    SessionController& controller();
    MainWindow& window();
    ScriptedDialogs& dialogs();

    // Writes options.ftp (the Common lines given added), saves the server, starts the window
    // on local() and connects by a double-click on the server. False on time-out.
    bool start(int port, const std::string& user, const std::string& password,
               const std::string& options = {});
    // start() up to the window shown on local(), without connecting.
    bool launch(int port, const std::string& user, const std::string& password,
                const std::string& options = {});
    // Double-clicks the server "Local" of the server list (the log-in starts); false when the
    // list does not show it.
    bool openServer();
    // The listing layout code (the record's Answer) the server is saved with; the default
    // layout when empty. Takes effect at start().
    void setServerLayout(std::string answer) { m_serverLayout = std::move(answer); }

    // Selects exactly the rows with these captions in the list's view; false when one is
    // missing.
    bool selectRemote(std::initializer_list<const char*> names);
    bool selectLocal(std::initializer_list<const char*> names);
    long remoteRow(const std::string& caption);
    long localRow(const std::string& caption);
    // Clicks the tool button of that name; false when it is missing or disabled.
    bool click(const char* button);
    // Drags the selected rows of one list onto the other (enter and drop events); true when
    // the target accepted both.
    bool dropRows(const char* from, const char* to);
    // Runs the event loop as the program does (blocked until something happens) until done()
    // has held once; false when timeoutMs pass first.
    static bool runUntil(const std::function<bool()>& done, int timeoutMs);
    // Waits until no batch runs and the client is idle again; false on time-out.
    bool waitIdle(int timeoutMs = kWaitMs);

    bool progressShown();
    // The byte count the progress window shows for the current file (0 without a window).
    long long progressBytes();

    int logCount(const std::string& prefix);
    // The log lines that start with one of the prefixes, in order.
    std::vector<std::string> logLines(const std::string& first, const std::string& second);

private:
    struct Program;
    bool select(const char* list, std::initializer_list<const char*> names);
    long rowOf(const PaneModel& pane, const std::string& caption);

    TempDir m_data;
    TempDir m_root;
    TempDir m_local;
    std::string m_serverLayout;
    std::unique_ptr<Program> m_program;
};

}  // namespace quay::test

namespace quay::test {

class ScriptedFtpSession;

// A small FTP server for one control connection, answering what the program sends while it
// logs in, lists and downloads, from listing(dir) (nullopt: no such directory) and
// file(path) (nullopt: no such file). A file's text is sent whole, then the data connection
// closes and 226 follows, whatever size the listing claimed. The session starts in home.
struct ScriptedTree {
    std::string home = "/";
    std::function<std::optional<std::string>(const std::string& dir)> listing;
    std::function<std::optional<std::string>(const std::string& path)> file;
    // Runs after each listing is sent (may be empty); the session ends when it throws.
    std::function<void(ScriptedFtpSession& session)> afterListing;
    // The answer to REST; the file is sent whole whatever it says.
    std::string restReply = "502 not here";
    // The answer to FEAT (CR LF between lines); empty: FEAT is refused.
    std::string featReply;
    // The MLSD listing of a directory (nullopt: MLSD refused there with 500); when empty,
    // MLSD is refused everywhere like any unknown command.
    std::function<std::optional<std::string>(const std::string& dir)> mlsdListing;
    // A file whose RETR is taken with 150 and then sends nothing until ABOR comes.
    std::string silentFile;
    void serve(ScriptedFtpSession& session) const;
};

}  // namespace quay::test
