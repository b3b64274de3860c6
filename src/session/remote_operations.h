#pragma once

#include <functional>
#include <string>

#include "config/options.h"
#include "ftp/ftp_client.h"
#include "listing/listing_file.h"
#include "session/dialogs.h"
#include "session/presentation_model.h"
#include "session/session_state.h"

namespace quay {

// The operations on the entries of the remote directory shown in FTPView: make directory,
// rename, recursive delete, change case and compare directories. A command prepares the
// client and starts one request; the request-done handler hands every completion to
// requestDone(), which carries a multi-step operation on (next file to delete, next directory
// to enter or remove, next rename) through the queues of the session state.
//
// What the operations never do: join a name that is empty or holds "/" or NUL into a remote
// path (such a row is skipped with one "! " line), enter a symbolic link during a delete (the
// link itself is deleted), or enter a directory more than kMaxDeleteDepth levels below the
// start (one "! " line names it; its removal then fails and ends the delete). Every directory
// a delete enters lies below its start directory.
class RemoteOperations {
public:
    // What the operations take from the session.
    struct Hooks {
        // A remote directory with the trailing "/" the start directory keeps.
        std::function<std::string(const std::string& dir)> remoteDirPath;
        std::function<ListingFormat()> listingFormat;
        std::function<void(const std::string& line)> addLog;
    };

    // Directory levels below the start directory that a recursive delete enters.
    static constexpr int kMaxDeleteDepth = 64;

    RemoteOperations(SessionState& state, PresentationModel& model, FtpClient& ftp,
                     const Options& options, Dialogs& dialogs, Hooks hooks);
    RemoteOperations(const RemoteOperations&) = delete;
    RemoteOperations& operator=(const RemoteOperations&) = delete;

    // The commands in the connected state (the server list has its own meaning for the first
    // three). Each does nothing while busy or not connected.
    void sbMkd2Click();
    void sbRen2Click();
    void sbDel2Click();
    // tag 0 "UPPER CASE", 1 "lower case", 2 "As sentence".
    void LARGECASE3Click(int tag);
    // Selects in both panes exactly the rows without a partner of the same name and size in
    // the other pane. Sends nothing.
    void CompareDirectories1Click();

    // A request ended: continues the delete or rename in progress and returns true when the
    // request was one of its steps. On an error of a recursive delete the queues are emptied
    // and the delete flags cleared; false is returned so the handler logs the error.
    bool requestDone(FtpRequest request, int error);

    // The steps, also entered by the request-done handler.
    void deleteStep();
    void removalStep();
    void renameStep();
    // The listing of a directory being deleted: its files and subdirectories are queued.
    void readDeleteListing();
    // The stop command: a delete or rename in progress starts nothing after the running
    // request but the listing of the directory the client is in (the start directory once
    // files are being deleted). A transfer batch has its own stop.
    void stop();
    // A delete that failed inside the tree: the client goes back to the start directory and
    // lists it, so the pane shows the directory its names are sent to.
    void returnToStart();

private:
    // Runs start; when the client refuses it (not connected, not ready) the refusal is logged
    // and the multi-step operation ends.
    void tryStart(const std::function<void()>& start);
    bool canStart() const;
    // A name of a row that may be sent as an entry of the current directory; logs the others.
    bool acceptName(const std::string& name);
    // Queues a directory of a recursive delete, when it lies below the start directory; else
    // one "! " line names it.
    void queueDirectory(std::string dir);
    void clearQueues();
    void endOperation();
    void typeAscii();
    void log(const std::string& line);

    SessionState& m_state;
    PresentationModel& m_model;
    FtpClient& m_ftp;
    const Options& m_options;
    Dialogs& m_dialogs;
    Hooks m_hooks;
};

// The name "UPPER CASE" (tag 0), "lower case" (1) or "As sentence" (2) gives to name; only
// the letters A to Z change.
std::string changeCase(const std::string& name, int tag);

// Part of a remote path: the parent (without a trailing "/", cut before the last "/"; empty
// without "/") and the last component.
std::string parentPath(const std::string& path);
std::string lastPathPart(const std::string& path);

}  // namespace quay
