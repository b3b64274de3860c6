#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "session/transfer_operation.h"

namespace quay {

// The upload batch (Command::Upload): the selected files of the local pane and the trees
// below its selected directories, into the client's remote directory. A remote directory of a
// tree that cannot be entered is made (TYPE A, MKD) and entered; its listing tells the names
// and sizes there. A first-level file goes by its checked name into the directory the client
// stands in; every other remote target lies below the start remote directory. A tree upload
// skips links and anything but plain files and directories, each with one line.
//
// A resumed upload appends at the size of the very remote file it goes to (from the remote
// pane, the listing of the directory entered, else SIZE). A remote file that is already as
// long as the local one or longer is not resumed: a "! " line says so and the question is
// asked again.
//
// With the transfer queue, a file counts as there also when an upload of the queue is sending it,
// or is to send it, to the same remote path, and a batch that waited behind another lists its
// start directory again before its first-level files are asked about: what the batches in front
// sent meanwhile is asked about, never overwritten silently.
class UploadOperation : public TransferOperation {
public:
    explicit UploadOperation(SessionController& session);

private:
    void queueSelection() override;
    void step() override;
    void fileDone(FtpRequest request, int error) override;
    void directoryRefused() override;
    void readListing() override;
    void directoryEntered() override;

    void startUpload(std::int64_t resume);
    // SIZE told the remote size of the file about to be resumed.
    void remoteSizeKnown(std::int64_t size);
    bool resumable(const TransferItem& file, const std::string& target);
    void directoryMade(int error);
    void enterNextUploadDir();
    void listStartAgain();
    // Drops dir's files and subdirectories from the queue: dir could not be made or entered.
    void skipUploadSubtree(const TransferItem& dir);
    static std::string uploadTarget(const TransferItem& file);

    // The file being sent and its local path.
    TransferItem m_currentFile;
    std::string m_currentSource;
    // The names in the remote directory an upload goes into, and the sizes of its files (-1:
    // not a number).
    std::vector<std::string> m_remoteNames;
    std::map<std::string, std::int64_t> m_remoteSizes;
    // The names the queue was sending into the directory being listed when its listing began.
    std::vector<std::string> m_namesUnderway;
    // The start directory is listed again (once) before the first file of a batch that waited.
    bool m_startListed = false;
    bool m_listingStart = false;
    // The directory entered was made by this batch just now (MKD): it holds nothing to list.
    bool m_directoryMade = false;
};

}  // namespace quay
