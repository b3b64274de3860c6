#include "session/delete_operation.h"

#include <algorithm>
#include <utility>

#include "listing/listing_walkers.h"
#include "listing/remote_pane.h"
#include "session/dialogs.h"
#include "session/remote_operations.h"
#include "session/session_controller.h"
#include "session/transfer_paths.h"

namespace quay {

namespace {

bool isLinkRow(const PaneItem& item) {
    return item.subItems.size() > 3 && item.subItems[3].starts_with('l');
}

// Levels of dir below start ("/a/" and "/a/b/c" give 2).
int depthBelow(const std::string& start, const std::string& dir) {
    if (!dir.starts_with(start))
        return 0;
    const std::string rest = dir.substr(start.size());
    return rest.empty() ? 0 : static_cast<int>(std::count(rest.begin(), rest.end(), '/')) + 1;
}

// "Delete 'a.txt' from the server?", "Delete 'photos' and everything in it from the
// server?", "Delete 3 entries from the server, 1 of them a directory with everything in it?"
std::string deleteQuestion(const Dialogs& dialogs, const std::string& onlyName, std::size_t entries,
                           std::size_t directories) {
    if (entries == 1)
        return dialogs.text(
            directories == 1 ? Message::RemoteDeleteDirectory : Message::RemoteDeleteFile,
            {printableName(onlyName)});
    const std::string count = std::to_string(entries);
    if (directories == 0)
        return dialogs.text(Message::RemoteDeleteEntries, {count});
    if (directories == 1)
        return dialogs.text(Message::RemoteDeleteEntriesOneDirectory, {count});
    return dialogs.text(Message::RemoteDeleteEntriesDirectories,
                        {count, std::to_string(directories)});
}

std::string takeFront(std::vector<std::string>& list) {
    std::string value = std::move(list.front());
    list.erase(list.begin());
    return value;
}

}  // namespace

DeleteOperation::DeleteOperation(SessionController& session)
    : ListingOperation("Delete", session) {}

void DeleteOperation::log(const std::string& line) {
    m_session.addLog(line);
}

void DeleteOperation::start() {
    m_startDir = m_session.remoteStartDir();
    const PaneModel& pane = m_session.model().ftpView();
    const auto logLine = [this](const std::string& line) { log(line); };
    std::string lastName;
    std::size_t entries = 0;
    for (std::size_t row : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(row);
        if (item.imageIndex == kUpImage || item.caption == ".." ||
            !acceptEntryName(item.caption, logLine))
            continue;
        lastName = item.caption;
        ++entries;
        // A link to a directory is deleted itself, never entered.
        if (item.imageIndex == kDirectoryImage && !isLinkRow(item))
            queueDirectory(m_startDir + item.caption);
        else
            m_files.push_back(item.caption);
    }
    if (m_files.empty() && m_dirsToEnter.empty())
        finish();
    else if (!confirmed(
                 deleteQuestion(m_session.dialogs(), lastName, entries, m_dirsToEnter.size())))
        finish();
    else
        deleteNext();
}

bool DeleteOperation::confirmed(const std::string& question) {
    if (!m_session.options().askRemoteDelete)
        return true;
    Dialogs& dialogs = m_session.dialogs();
    return dialogs.messageBox(dialogs.text(Message::Attention), question, Dialogs::Icon::Question,
                              Dialogs::Yes | Dialogs::No) == Dialogs::Answer::Yes;
}

bool DeleteOperation::sendStep(Step step, void (FtpClientBase::*request)()) {
    m_step = step;
    if (send(request))
        return true;
    m_step = Step::None;
    endUnlisted();
    return false;
}

void DeleteOperation::queueDirectory(std::string dir) {
    if (isPathBelow(m_startDir, dir))
        m_dirsToEnter.push_back(std::move(dir));
    else
        log("! Not deleted, outside the start directory: \"" + printableName(dir) + "\"");
}

void DeleteOperation::deleteStep() {
    if (m_ftp.binary())
        sendStep(Step::TypeBeforeNext, &FtpClientBase::typeAsciiAsync);
    else
        deleteNext();
}

void DeleteOperation::deleteNext() {
    if (!m_files.empty()) {
        m_ftp.setHostFileName(takeFront(m_files));
        m_session.showActivity(Message::StatusDeleting, {m_ftp.hostFileName()});
        sendStep(Step::Dele, &FtpClientBase::deleAsync);
    } else if (!m_dirsToEnter.empty()) {
        enterNextDir();
    } else if (!m_dirsToRemove.empty()) {
        removalStep();
    } else {
        returnToStart();
    }
}

void DeleteOperation::enterNextDir() {
    m_inTree = true;
    m_ftp.setHostDirName(m_dirsToEnter.front());
    m_session.showActivity(Message::StatusDeleting, {m_ftp.hostDirName()});
    m_dirsToRemove.push_back(takeFront(m_dirsToEnter));
    m_ftp.setLocalFileName(m_session.options().dirListFile);
    sendStep(Step::EnterDir, &FtpClientBase::cwdAsync);
}

void DeleteOperation::readWalkListing() {
    const std::string dir = m_ftp.hostDirName();
    DeleteWalk walk = walkDeleteListing(m_session.options().dirListFile, m_session.listingFormat(),
                                        dir, [this](const std::string& line) { log(line); });
    for (std::string& sub : walk.dirs) {
        if (depthBelow(m_startDir, sub) > kMaxDepth) {
            log("! Not entered, too deep: \"" + printableName(sub) + "\"");
            continue;
        }
        queueDirectory(std::move(sub));
    }
    for (std::string& file : walk.files)
        m_files.push_back(std::move(file));
}

void DeleteOperation::removalStep() {
    sendStep(Step::TypeForRemoval, &FtpClientBase::typeAsciiAsync);
}

void DeleteOperation::removeNext() {
    if (m_dirsToRemove.empty()) {
        returnToStart();
        return;
    }
    const std::string dir = m_dirsToRemove.back();
    // VMS servers (type 8) remove a directory by its name in the parent, not by its path.
    if (m_session.state().listingType == 8 && dir == m_ftp.hostDirName()) {
        m_ftp.setHostDirName(parentPath(dir));
        m_dirsToRemove.back() = lastPathPart(dir);
        m_ftp.setLocalFileName(m_session.options().dirListFile);
        sendStep(Step::VmsCwd, &FtpClientBase::cwdAsync);
        return;
    }
    if (dir != m_ftp.hostDirName()) {
        m_ftp.setHostFileName(dir);
        m_dirsToRemove.pop_back();
        m_session.showActivity(Message::StatusDeleting, {dir});
        sendStep(Step::Rmd, &FtpClientBase::rmdAsync);
        return;
    }
    // The client stands in the directory to remove: one level up first.
    m_ftp.setHostDirName(dir.find('/') == std::string::npos ? m_startDir : parentPath(dir));
    sendStep(Step::Cdup, &FtpClientBase::cDupAsync);
}

void DeleteOperation::returnToStart() {
    m_files.clear();
    m_dirsToEnter.clear();
    m_dirsToRemove.clear();
    m_inTree = false;
    m_ftp.setLocalFileName(m_session.options().dirListFile);
    enterAndList(m_startDir);
}

void DeleteOperation::requestDone(FtpRequest request, int error) {
    if (listingStepRunning()) {
        listingStepDone(request, error);
        return;
    }
    const Step step = m_step;
    m_step = Step::None;
    if (step == Step::None)
        return;
    if (m_stopRequested)
        returnToStart();
    else if (step == Step::WalkList && error != 0 && m_session.mlsdRefused(error))
        sendStep(Step::WalkList, m_session.listingRequest());
    else if (error != 0)
        stepFailed(step);
    else
        stepDone(step);
}

void DeleteOperation::stepDone(Step step) {
    switch (step) {
        case Step::Dele:
            deleteStep();
            return;
        case Step::TypeBeforeNext:
            deleteNext();
            return;
        case Step::EnterDir:
            m_ftp.setHostFileName("");
            m_ftp.setLocalFileName(m_session.options().dirListFile);
            sendStep(Step::TypeForWalk, &FtpClientBase::typeAsciiAsync);
            return;
        case Step::TypeForWalk:
            sendStep(Step::WalkList, m_session.listingRequest());
            return;
        case Step::WalkList:
            readWalkListing();
            deleteStep();
            return;
        case Step::TypeForRemoval:
            removeNext();
            return;
        case Step::VmsCwd:
        case Step::Rmd:
        case Step::Cdup:
            removalStep();
            return;
        case Step::None:
            return;
    }
}

void DeleteOperation::stepFailed(Step step) {
    switch (step) {
        case Step::EnterDir:
        case Step::VmsCwd:
            // Where the refused CWD left the client is read from the server and listed.
            m_files.clear();
            m_dirsToEnter.clear();
            m_dirsToRemove.clear();
            m_inTree = false;
            m_ftp.setHostFileName("");
            recoverFromRefusedCwd(m_startDir);
            return;
        case Step::WalkList:
            logFailure();
            endUnlisted();
            return;
        default:
            logFailure();
            if (m_inTree)
                returnToStart();
            else
                finish();
            return;
    }
}

void DeleteOperation::stop() {
    if (listingStepRunning()) {
        ListingOperation::stop();
        return;
    }
    m_stopRequested = true;
    m_files.clear();
    m_dirsToEnter.clear();
    m_dirsToRemove.clear();
    // A listing of the walk is cut off at once, also when the server sends nothing.
    if (m_step == Step::WalkList)
        m_ftp.abortTransfer();
}

bool DeleteOperation::abortsData() const {
    return ListingOperation::abortsData() || (m_stopRequested && m_step == Step::WalkList);
}

}  // namespace quay
