#include "session/rename_operation.h"

#include "listing/listing_walkers.h"
#include "listing/remote_pane.h"
#include "session/remote_operations.h"
#include "session/session_controller.h"

namespace quay {

namespace {

constexpr std::size_t kNameLimit = 255;

}  // namespace

std::unique_ptr<Operation> RenameOperation::rename(SessionController& session) {
    return std::unique_ptr<Operation>(new RenameOperation(session, "Rename", -1));
}

std::unique_ptr<Operation> RenameOperation::changeCase(SessionController& session, int tag) {
    return std::unique_ptr<Operation>(new RenameOperation(session, "Change case", tag));
}

RenameOperation::RenameOperation(SessionController& session, std::string name, int caseTag)
    : ListingOperation(std::move(name), session), m_caseTag(caseTag) {}

void RenameOperation::start() {
    const bool queued = m_caseTag < 0 ? askNewName() : queueCaseChanges();
    // The session may have ended while the prompt was open.
    if (!queued || !m_ftp.connected())
        finish();
    else
        renameNext();
}

bool RenameOperation::acceptNewName(const std::string& oldName, const std::string& newName) {
    if (!namesAnotherEntry(m_session.model().ftpView(), oldName, newName))
        return true;
    m_session.addLog("! Not renamed: \"" + printableName(oldName) + "\" to \"" +
                     printableName(newName) + "\", which names another entry");
    return false;
}

bool RenameOperation::askNewName() {
    const PaneModel& pane = m_session.model().ftpView();
    const long row = pane.firstSelected();
    if (row < 0)
        return false;
    const PaneItem& item = pane.item(static_cast<std::size_t>(row));
    const std::string oldName = item.caption;
    if (!acceptEntryName(oldName, [this](const std::string& line) { m_session.addLog(line); }))
        return false;
    const bool file = item.imageIndex == kFileImage;
    Dialogs& dialogs = m_session.dialogs();
    std::string newName = oldName;
    if (!dialogs.showInputForm(dialogs.text(file ? Message::RemoteRenameFileTitle
                                                 : Message::RemoteRenameDirectoryTitle),
                               dialogs.text(file ? Message::RemoteRenameFilePrompt
                                                 : Message::RemoteRenameDirectoryPrompt),
                               newName, false, kNameLimit))
        return false;
    if (!acceptNewName(oldName, newName)) {
        dialogs.messageBox(dialogs.text(Message::Attention),
                           dialogs.text(Message::RenameTargetExists, {newName}),
                           Dialogs::Icon::Error, Dialogs::Ok);
        return false;
    }
    m_renames.emplace_back(oldName, newName);
    return true;
}

bool RenameOperation::queueCaseChanges() {
    const PaneModel& pane = m_session.model().ftpView();
    for (std::size_t row : pane.selectedIndexes()) {
        const std::string& name = pane.item(row).caption;
        // ".." is no entry of the directory: renaming it would fail and end the whole batch.
        if (pane.item(row).imageIndex == kUpImage ||
            !acceptEntryName(name, [this](const std::string& line) { m_session.addLog(line); }))
            continue;
        const std::string newName = quay::changeCase(name, m_caseTag);
        if (acceptNewName(name, newName))
            m_renames.emplace_back(name, newName);
    }
    return !m_renames.empty();
}

void RenameOperation::renameNext() {
    if (m_renames.empty()) {
        listCurrentDir();
        return;
    }
    m_ftp.setHostFileName(m_renames.front().first);
    m_ftp.setLocalFileName(m_renames.front().second);
    m_renames.erase(m_renames.begin());
    m_renameRunning = send(&FtpClientBase::renAsync);
    if (!m_renameRunning)
        endUnlisted();
}

void RenameOperation::requestDone(FtpRequest request, int error) {
    if (!m_renameRunning) {
        listingStepDone(request, error);
        return;
    }
    m_renameRunning = false;
    if (error != 0) {
        logFailure();
        finish();
        return;
    }
    if (m_stopRequested)
        m_renames.clear();
    renameNext();
}

void RenameOperation::stop() {
    if (m_renameRunning)
        m_stopRequested = true;
    else
        ListingOperation::stop();
}

}  // namespace quay
