#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "config/options.h"
#include "ftp/ftp_client.h"
#include "listing/listing_file.h"
#include "listing/listing_walkers.h"
#include "session/dialogs.h"
#include "session/presentation_model.h"
#include "session/progress_model.h"
#include "session/session_state.h"
#include "session/transfer_queue.h"

namespace quay {

// The upload and download drivers: a batch of files and directory trees, run one request at a
// time. An entry (SpeedButton1Click uploads the selection of lvLoc, SpeedButton2Click
// downloads that of FTPView) fills the batch's queue and starts the first step; the request-done
// handler hands every completion to requestDone(), which starts the next step while a batch runs.
// The batch ends in finishTransfers(): busy state cleared, progress window closed, the start
// directory listed again (and, after a download, the local pane refilled).
//
// What leaves the tree the user chose is never done: names from a listing that are empty,
// ".", ".." or hold "/" or NUL are skipped with one "! " line, remote links are not entered,
// remote trees are entered at most kMaxTreeDepth levels deep, and local symbolic links are
// neither written through nor uploaded. Every queued item carries its local path relative to
// the start local directory, built from checked names; a local path that does not lie below
// that directory, and an upload's remote path that does not lie below the start remote
// directory, is refused with one "! " line and the batch goes on. Only a path the user typed
// into "Save as" may point elsewhere.
class TransferDriver {
public:
    // Directory levels below the start directory that a download enters.
    static constexpr int kMaxTreeDepth = 64;

    struct Hooks {
        std::function<void(const std::string& line)> addLog;
        // The layout code and date the listings of the connected server are read with.
        std::function<ListingFormat()> listingFormat;
        // The remote directory a batch starts in, ending in "/" (RemoteDirPath of the
        // client's directory).
        std::function<std::string()> startRemoteDir;
        std::function<void()> beginBusy;
        std::function<void()> endBusy;
        std::function<void()> refillLocalPane;
    };

    // The progress window is shown (the view keeps the model as long as it needs it) and
    // closed again.
    std::function<void(const std::shared_ptr<ProgressModel>& progress)> onShowProgress;
    std::function<void()> onHideProgress;

    TransferDriver(SessionState& state, PresentationModel& model, FtpClient& ftp,
                   const Options& options, Dialogs& dialogs, EventLoop& loop, Hooks hooks);
    TransferDriver(const TransferDriver&) = delete;
    TransferDriver& operator=(const TransferDriver&) = delete;
    ~TransferDriver();

    // The upload and download commands: act when connected and not busy.
    void SpeedButton1Click();
    void SpeedButton2Click();
    // One step of a batch.
    void downloadNext();
    void uploadNext();

    // A request of the running batch ended: starts the batch's next step and returns true.
    // Returns false when no batch runs or the request is none of the batch's, so the
    // request-done handler goes on as usual.
    bool requestDone(FtpRequest request, int error);
    // The client's progress report: updates the progress window and, while a batch runs,
    // asks for an abort after the stop command.
    void progress(std::int64_t bytes, bool& abort);
    // The stop command: the running transfer is aborted at once, the queues are emptied and
    // no further file starts.
    void stop();
    // The session ended: a batch that ran is dropped and its progress window closed.
    void sessionClosed();

    bool running() const { return m_running; }
    ProgressModel* progressModel() { return m_progress.get(); }
    void showProgress();
    void hideProgress();

private:
    enum class Direction { Download, Upload };

    void beginBatch(Direction direction);
    void finishTransfers();
    bool stopped();
    void startDownload();
    void startUpload(std::int64_t resume);
    bool directoryEntered(int error);
    void directoryMade(int error);
    // A name of the selection or of a listing that may be joined into a path; "." and ".."
    // are passed over silently, unsafe names with one "! " line (through notes when given, so
    // a listing of many such names logs a bounded number of lines).
    bool acceptName(const std::string& name, RefusedNameNotes* notes = nullptr);
    // root (a start directory) + relative, when it lies below root; else nothing, with one
    // "! " line.
    std::optional<std::string> pathBelowStart(const std::string& root, const std::string& relative);
    // The start local directory + relative, for writing: it lies below that directory and no
    // symbolic link below the directory leads to it; else nothing, with one "! " line.
    std::optional<std::string> writableLocalPath(const std::string& relative);
    void logLinkOnTheWay(const std::string& path);
    // The local file a download writes and the remote file an upload writes: the file's
    // savedAs when set (a relative local one taken below the start local directory), else
    // made from its paths.
    std::string downloadTarget(const TransferItem& file) const;
    static std::string uploadTarget(const TransferItem& file);
    // The checked local path a download writes to; nothing (with one "! " line) when it may
    // not be written.
    std::optional<std::string> writableDownloadTarget(const TransferItem& file);
    // Creates the local directory of a tree download from its relative path; false (with a
    // "! " line) when it cannot be made, lies outside the start directory or behind a
    // symbolic link.
    bool makeLocalDir(const std::string& relative);
    void readDownloadListing();
    void readUploadListing();
    void enterNextUploadDir();
    void setTransferType();
    void listCurrentDir();
    // The size check of a finished download against its listing; false with a "! " line.
    bool downloadComplete(bool resumed);
    // Drops dir's files and subdirectories from the queue: dir could not be made or entered.
    void skipUploadSubtree(const TransferItem& dir);
    // Runs start (which may throw FtpException); when it cannot start, the error is logged and
    // next runs from the loop.
    void tryStart(const std::function<void()>& start, std::function<void()> next);
    // Runs next from the loop while the batch still runs (never nested in the caller).
    void continueLater(std::function<void()> next);
    void next();
    void log(const std::string& line);

    SessionState& m_state;
    PresentationModel& m_model;
    FtpClient& m_ftp;
    const Options& m_options;
    Dialogs& m_dialogs;
    EventLoop& m_loop;
    Hooks m_hooks;
    std::shared_ptr<ProgressModel> m_progress;
    TransferQueue m_queue;
    // The directory being entered or listed.
    TransferItem m_currentDir;
    Direction m_direction = Direction::Download;
    bool m_running = false;
    bool m_stopped = false;
    // The file being transferred: its local path, the size queued, whether binary.
    std::string m_currentLocal;
    std::int64_t m_currentSize = 0;
    bool m_currentBinary = true;
    // Sizes of the files in the remote directory an upload goes into (-1: not a number).
    std::map<std::string, std::int64_t> m_remoteSizes;
    // Cleared when the driver goes, so tasks it posted do nothing.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace quay
