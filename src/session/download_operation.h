#pragma once

#include <optional>
#include <string>

#include "session/transfer_operation.h"

namespace quay {

// The download batch (Command::Download, a drop of FTPView rows on lvLoc): the selected files
// of the remote pane and the trees below its selected directories, into the local pane's
// directory. A tree is walked by CWD and LIST (each after TYPE A); its files are fetched by
// their bare names in the directory entered. Remote links are never entered and a tree is
// entered at most kMaxTreeDepth levels deep (one "! " line each); no local path part below the
// start directory may be a symbolic link.
//
// A file that ends shorter than its listed size failed; so does a resumed binary file that
// ends longer (its server ignored REST). Resume onto a local file that is already as long as
// the listed size or longer is refused with a "! " line and the question asked again.
class DownloadOperation : public TransferOperation {
public:
    // Directory levels below the start directory that a download enters.
    static constexpr int kMaxTreeDepth = 64;

    explicit DownloadOperation(SessionController& session);

private:
    void queueSelection() override;
    void step() override;
    void fileDone(FtpRequest request, int error) override;
    void directoryRefused() override;
    void readListing() override;

    void startDownload();
    bool resumable(const TransferItem& file, const std::string& target);
    // The size check of a finished download against its listing; false with a "! " line.
    bool downloadComplete(bool resumed);
    // The local file a download writes: the file's savedAs when set (a relative one taken
    // below the start local directory), else made from its local path.
    std::string downloadTarget(const TransferItem& file) const;
    // The checked local path a download writes to; nothing (with one "! " line) when it may
    // not be written.
    std::optional<std::string> writableDownloadTarget(const TransferItem& file);
    // Creates the local directory of a tree from its relative path; false (with a "! " line)
    // when it cannot be made, lies outside the start directory or behind a symbolic link.
    bool makeLocalDir(const std::string& relative);

    // The file being fetched: its local path, the size listed, whether binary.
    std::string m_currentLocal;
    std::int64_t m_currentSize = 0;
    bool m_currentBinary = true;
};

}  // namespace quay
