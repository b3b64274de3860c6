#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listing/listing_walkers.h"
#include "panes/pane_model.h"
#include "session/listing_operation.h"
#include "session/overwrite_check.h"
#include "session/progress_model.h"
#include "session/transfer_pool.h"
#include "session/transfer_queue.h"

namespace quay {

class Dialogs;
class EventLoop;
struct Options;
class PresentationModel;
struct SessionState;

// What a download and an upload batch share: the queue of files and directories, the start
// directories, the overwrite decision, the stop request and the progress window. The batch
// runs one request at a time and hears each completion from the runner; a TYPE change before a
// file, a CWD or a listing is a step of its own (TYPE A before each CWD and LIST of a tree
// walk, TYPE I or A before each file as its name asks). A failed file, a directory that cannot
// be entered or made, a refused listing are logged and the batch goes on.
//
// The batch ends by entering its start remote directory again and listing it (TYPE A first
// when the client is binary), after a stop too; the progress window is closed and, after a
// download, the local pane refilled. A session that ends drops the batch at once.
//
// What leaves the tree the user chose is never done: names that are empty, ".", ".." or hold
// "/" or NUL are skipped with one "! " line; every queued item carries its local path relative
// to the start local directory, built from checked names; a local path that does not lie below
// that directory is refused with one "! " line. Only a path the user typed into "Save as" may
// point elsewhere.
//
// With more than one simultaneous transfer (SessionController::transferPool()), the batch walks
// and makes the directories and asks the overwrite questions as above, but hands each file, its
// paths checked and its remote path absolute, to the transfer queue instead of fetching or
// sending it; the batch ends with its walk and the queue's connections carry the files. The
// VMS and WU-FTP layouts, whose paths are relative to the directory entered, stay on the
// session.
//
// A batch started while a batch carried by the queue runs waits behind it
// (OperationRunner::runAfter()): it takes the user's selection, the directories and its place
// in the queue when the command is given (takeSelectionBehind()) and walks once the running
// batch has ended, so its files follow that batch's.
class TransferOperation : public ListingOperation {
public:
    ~TransferOperation() override;

    void start() override;
    // Takes the selection and the start directories now, for a batch that starts after
    // running: the remote start directory is running's (the client stands elsewhere while a
    // tree is walked). The batch joins the transfer queue now, so the queue stays open for it.
    void takeSelectionBehind(const TransferOperation& running);
    // Whether the batch's files go (or went) to the transfer queue.
    bool carriedByQueue() const { return m_batch != 0; }
    void requestDone(FtpRequest request, int error) override;
    // The running transfer is aborted at once and no further file or directory starts; the
    // listing of the start directory after the batch still runs.
    void stop() override;
    void sessionClosed() override;
    bool abortsData() const override;
    void progress(std::int64_t bytes) override;

protected:
    TransferOperation(std::string name, SessionController& session, bool sending);

    // Fills the queue from the user's selection.
    virtual void queueSelection() = 0;
    // The batch's next step: a file, a directory, or the end (called by proceed()).
    virtual void step() = 0;
    // The completions of the direction's own requests; CWD, TYPE and listings are the base's.
    virtual void fileDone(FtpRequest request, int error) = 0;
    virtual void directoryRefused() = 0;
    virtual void readListing() = 0;
    // The CWD of a directory of the tree succeeded: it is listed (listDirectory()).
    virtual void directoryEntered() { listDirectory(); }

    // The next step, or the end of the batch once the user has stopped it.
    void proceed();
    // Runs start (a request; it may throw) whose completion goes to fileDone(); when it cannot
    // start, the error is logged, refused runs and the batch goes on from the loop.
    void tryStart(const std::function<void()>& start, std::function<void()> refused = {});
    // Runs refused, then the batch's next step, from the loop (never nested in the caller).
    void continueLater(std::function<void()> refused = {});
    // Sends TYPE A (always), then runs then.
    void typeAsciiThen(std::function<void()> then);
    // Sends the TYPE the file named by the client's local file name needs (nothing when it
    // needs no change), then runs then.
    void fileTypeThen(std::function<void()> then);
    // CWD to the client's host directory; completion: listing (TYPE A, LIST) or
    // directoryRefused(). refused runs when the CWD cannot start.
    void enterDirectory(std::function<void()> refused = {});
    // TYPE A, then LIST into the listing file; completion: readListing().
    void listDirectory();
    // LIST or MLSD of the directory entered (TYPE A already set).
    void startListing();
    // Ends the batch: the start directory is entered and listed again.
    void finishBatch();
    // A refused CWD of the batch is followed by PWD from the start remote directory.
    std::string dirAfterRefusedCwd() const override { return m_startRemoteDir; }
    // Whether the user stopped the batch.
    bool stopRequested() const { return m_stopped; }
    // The overwrite check of the queue's first file; true while the batch goes on.
    bool settleOverwrite(const OverwriteRules& rules, const OverwriteTargets& targets);
    void showProgress();
    // The progress window and the status line ("Downloading 3 of 40") show the next file.
    void startFileProgress(const std::string& name, std::int64_t size);
    void fileTransferred();
    void log(const std::string& line);
    // A name of the selection or of a listing that may be joined into a path; "." and ".."
    // are passed over silently, unsafe names with one "! " line (through notes when given).
    bool acceptName(const std::string& name, RefusedNameNotes* notes = nullptr);
    // root + relative when it lies below root; else nothing, with one "! " line.
    std::optional<std::string> pathBelowStart(const std::string& root, const std::string& relative);
    // The start local directory + relative, for writing: below that directory and reached
    // through no symbolic link; else nothing, with one "! " line.
    std::optional<std::string> writableLocalPath(const std::string& relative);
    void logLinkOnTheWay(const std::string& path);
    // Whether the files go to the transfer queue.
    bool pooled() const { return !m_pool.expired(); }
    // Whether the batch waited behind another (takeSelectionBehind()).
    bool waitedBehind() const { return m_waitedBehind; }
    // The names the queue's uploads send, or are to send, into remote directory dir.
    std::vector<std::string> uploadsUnderway(const std::string& dir) const;
    // Whether a download of the queue writes, or is to write, the local file at path.
    bool downloadUnderway(const std::string& path) const;
    // Hands a checked file to the transfer queue (resumed when the overwrite prompt said so),
    // then goes on with the batch from the loop.
    void handToPool(std::string remote, std::string local, std::int64_t size);
    // A size text of a pane or a listing as a byte count; 0 when unknown.
    static std::int64_t knownSize(const std::string& text);
    // The size column of a pane row.
    static std::string sizeColumn(const PaneItem& item);

    SessionState& m_state;
    PresentationModel& m_model;
    const Options& m_options;
    Dialogs& m_dialogs;
    TransferQueue m_queue;
    // The directory being entered or listed.
    TransferItem m_currentDir;
    std::string m_startRemoteDir;  // ends in "/"
    std::string m_startLocalDir;   // ends in "/"
    OverwriteDecision m_overwrite;

private:
    enum class Step { None, Type, Cwd, List, Request };

    // The start directories, the transfer queue and the selection.
    void takeSelection(std::string startRemoteDir);
    void hideProgress();
    void listStartDirectory();
    // The walk is over: the queue may close its connections once its files are done.
    void releaseBatch();
    void startStep(Step step, const std::function<void()>& start, std::function<void()> refused);
    // Asks the overwrite question with the session's end held back until it is answered.
    void askOverwrite(const OverwriteRules& rules, const OverwriteTargets& targets);

    EventLoop& m_loop;
    bool m_sending;
    Step m_step = Step::None;
    std::function<void()> m_afterType;
    bool m_stopped = false;
    bool m_batchOver = false;
    bool m_asking = false;
    bool m_sessionEnded = false;
    std::size_t m_filesStarted = 0;
    std::shared_ptr<ProgressModel> m_progress;
    std::weak_ptr<TransferPool> m_pool;
    int m_batch = 0;
    bool m_selectionTaken = false;
    bool m_waitedBehind = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace quay
