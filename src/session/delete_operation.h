#pragma once

#include <memory>
#include <string>
#include <vector>

#include "session/listing_operation.h"

namespace quay {

// Deletes the rows selected in the remote pane, directories with everything below them, once
// the user has answered Yes to a question naming what goes (unless the options' RemoteDelete
// turns it off); No sends nothing.
// The wire dialogue: DELE for each selected file; then for each directory, breadth first,
// CWD into it, TYPE A, LIST, DELE for each of its files (TYPE A first while the type is
// binary); then, deepest first, TYPE A and RMD (CDUP first when the client stands in the
// directory to remove; on a VMS listing CWD to the parent and RMD by name); at last CWD back
// to the start directory, TYPE A and LIST into the pane.
//
// What it never does: send a name that is empty, ".", ".." or holds "/" or NUL (one "! "
// line each), enter a link (a selected link to a directory is deleted as a link), enter a
// directory that is not below the start directory, or enter more than kMaxDepth levels below
// it (one "! " line names the directory; the removal of its parent then fails).
//
// A refused step inside the tree ends the delete: the client goes back to the start
// directory and lists it, so the pane shows the directory its names are sent to. Stop ends
// the delete after the running request (a running listing of the walk is cut off), then the
// client goes back to the start directory and lists it.
class DeleteOperation : public ListingOperation {
public:
    // Directory levels below the start directory that the delete enters.
    static constexpr int kMaxDepth = 64;

    explicit DeleteOperation(SessionController& session);

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    void stop() override;
    bool abortsData() const override;

private:
    enum class Step {
        None,
        Dele,
        TypeBeforeNext,
        EnterDir,
        TypeForWalk,
        WalkList,
        TypeForRemoval,
        VmsCwd,
        Rmd,
        Cdup
    };

    void log(const std::string& line);
    // Asks question unless the options turned the question off; true to go on.
    bool confirmed(const std::string& question);
    // Starts request as step; false (and the delete ends) when the client refuses it.
    bool sendStep(Step step, void (FtpClientBase::*request)());
    void stepDone(Step step);
    void stepFailed(Step step);
    // The next file, the next directory to enter, or the removals.
    void deleteNext();
    void deleteStep();
    void enterNextDir();
    // The listing of a directory being deleted: its files and subdirectories are queued.
    void readWalkListing();
    void queueDirectory(std::string dir);
    void removalStep();
    void removeNext();
    // Back to the start directory and its listing into the pane.
    void returnToStart();
    std::string dirAfterRefusedCwd() const override { return m_startDir; }

    Step m_step = Step::None;
    // The directory the delete started in, ending in "/".
    std::string m_startDir;
    // The files of the directory the client is in, to delete next.
    std::vector<std::string> m_files;
    // Directories still to enter, in order.
    std::vector<std::string> m_dirsToEnter;
    // Directories entered, to remove from the last to the first.
    std::vector<std::string> m_dirsToRemove;
    // A directory has been entered: a refused step goes back to the start directory.
    bool m_inTree = false;
    bool m_stopRequested = false;
};

}  // namespace quay
