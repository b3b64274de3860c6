#include "session/remote_operations.h"

#include <algorithm>
#include <set>
#include <utility>

#include "listing/listing_walkers.h"
#include "listing/remote_pane.h"
#include "session/transfer_paths.h"

namespace quay {

namespace {

constexpr int kUpImage = 0;
constexpr std::size_t kNameLimit = 255;

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

template <typename T>
T takeFront(std::vector<T>& list) {
    T value = std::move(list.front());
    list.erase(list.begin());
    return value;
}

}  // namespace

std::string changeCase(const std::string& name, int tag) {
    std::string result = name;
    for (char& c : result) {
        if (tag == 0 && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (tag != 0 && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (tag == 2 && !result.empty() && result[0] >= 'a' && result[0] <= 'z')
        result[0] = static_cast<char>(result[0] - 'a' + 'A');
    return result;
}

std::string parentPath(const std::string& path) {
    std::string p = path;
    if (p.ends_with('/'))
        p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

std::string lastPathPart(const std::string& path) {
    std::string p = path;
    if (p.ends_with('/'))
        p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

RemoteOperations::RemoteOperations(SessionState& state, PresentationModel& model, FtpClient& ftp,
                                   const Options& options, Dialogs& dialogs, Hooks hooks)
    : m_state(state),
      m_model(model),
      m_ftp(ftp),
      m_options(options),
      m_dialogs(dialogs),
      m_hooks(std::move(hooks)) {}

void RemoteOperations::log(const std::string& line) {
    if (m_hooks.addLog)
        m_hooks.addLog(line);
}

bool RemoteOperations::canStart() const {
    return !m_state.serverListMode && !m_state.busy && m_ftp.connected();
}

bool RemoteOperations::acceptName(const std::string& name) {
    if (isSafeEntryName(name) && name != "." && name != "..")
        return true;
    log("! Skipped, unsafe name: \"" + printableName(name) + "\"");
    return false;
}

void RemoteOperations::tryStart(const std::function<void()>& start) {
    try {
        start();
    } catch (const FtpException& e) {
        log(std::string("! ") + e.what());
        endOperation();
    }
}

void RemoteOperations::queueDirectory(std::string dir) {
    if (isPathBelow(m_state.startRemoteDir, dir))
        m_state.sourceDirs.push_back(std::move(dir));
    else
        log("! Not deleted, outside the start directory: \"" + printableName(dir) + "\"");
}

void RemoteOperations::clearQueues() {
    m_state.sourceDirs.clear();
    m_state.targetDirs.clear();
    m_state.sourceFiles.clear();
    m_state.targetFiles.clear();
}

void RemoteOperations::endOperation() {
    clearQueues();
    m_state.deleteTree = m_state.removeDirs = false;
}

void RemoteOperations::typeAscii() {
    if (m_ftp.connected())
        m_ftp.typeAscii();
}

void RemoteOperations::sbMkd2Click() {
    std::string name;
    if (!m_dialogs.showInputForm("Verzeichnis erstellen", "Neuen Verzeichnisnamen eingeben", name,
                                 false, kNameLimit))
        return;
    if (!canStart())
        return;
    m_ftp.setHostFileName(name);
    tryStart([this] { m_ftp.mkdAsync(); });
}

void RemoteOperations::sbRen2Click() {
    const long row = m_model.ftpView().firstSelected();
    if (!canStart() || row < 0)
        return;
    const PaneItem& item = m_model.ftpView().item(static_cast<std::size_t>(row));
    const std::string oldName = item.caption;
    if (!acceptName(oldName))
        return;
    const std::string kind = item.imageIndex == kFileImage ? "Dateiname:" : "Verzeichnis:";
    std::string newName = oldName;
    if (!m_dialogs.showInputForm("Umbenennen " + kind, "Neuen eingeben " + kind + " dateiname:",
                                 newName, false, kNameLimit))
        return;
    // The session may have ended or a batch started while the prompt was open.
    if (!canStart())
        return;
    m_state.sourceFiles.clear();
    m_state.targetFiles.clear();
    m_ftp.setHostFileName(oldName);
    m_ftp.setLocalFileName(newName);
    tryStart([this] { m_ftp.renAsync(); });
}

void RemoteOperations::sbDel2Click() {
    const PaneModel& pane = m_model.ftpView();
    if (m_state.serverListMode || m_state.busy || pane.firstSelected() < 0)
        return;
    endOperation();
    m_state.startRemoteDir = m_hooks.remoteDirPath(m_ftp.hostDirName());
    for (std::size_t row : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(row);
        if (item.imageIndex == kUpImage || item.caption == "..")
            continue;
        if (!acceptName(item.caption))
            continue;
        // A link to a directory is deleted itself, never entered.
        if (item.imageIndex == kDirectoryImage && !isLinkRow(item))
            queueDirectory(m_state.startRemoteDir + item.caption);
        else
            m_state.sourceFiles.push_back(item.caption);
    }
    if (!m_state.sourceFiles.empty()) {
        m_ftp.setHostFileName(takeFront(m_state.sourceFiles));
        tryStart([this] { m_ftp.deleAsync(); });
    } else if (!m_state.sourceDirs.empty()) {
        m_state.deleteTree = true;
        m_ftp.setHostDirName(m_state.sourceDirs.front());
        m_state.targetDirs.push_back(takeFront(m_state.sourceDirs));
        m_ftp.setLocalFileName(m_options.dirListFile);
        tryStart([this] { m_ftp.cwdAsync(); });
    }
}

void RemoteOperations::LARGECASE3Click(int tag) {
    if (!canStart())
        return;
    m_state.sourceFiles.clear();
    m_state.targetFiles.clear();
    const PaneModel& pane = m_model.ftpView();
    for (std::size_t row : pane.selectedIndexes()) {
        const std::string& name = pane.item(row).caption;
        // ".." is no entry of the directory: renaming it would fail and end the whole batch.
        if (pane.item(row).imageIndex == kUpImage || !acceptName(name))
            continue;
        m_state.sourceFiles.push_back(name);
        m_state.targetFiles.push_back(changeCase(name, tag));
    }
    if (m_state.sourceFiles.empty())
        return;
    m_ftp.setHostFileName(takeFront(m_state.sourceFiles));
    m_ftp.setLocalFileName(takeFront(m_state.targetFiles));
    tryStart([this] { m_ftp.renAsync(); });
}

namespace {

// Selects the rows of a that have no row of the same caption and size text in b.
void markUnpaired(PaneModel& a, const PaneModel& b) {
    auto key = [](const PaneItem& item) {
        return std::pair(item.caption, item.subItems.empty() ? std::string() : item.subItems[0]);
    };
    std::set<std::pair<std::string, std::string>> partners;
    for (const PaneItem& item : b.items())
        partners.insert(key(item));
    a.beginUpdate();
    for (std::size_t i = 0; i < a.count(); ++i)
        a.setSelected(i, partners.count(key(a.item(i))) == 0);
    a.endUpdate();
}

}  // namespace

void RemoteOperations::CompareDirectories1Click() {
    markUnpaired(m_model.lvLoc(), m_model.ftpView());
    markUnpaired(m_model.ftpView(), m_model.lvLoc());
}

bool RemoteOperations::requestDone(FtpRequest request, int error) {
    using R = FtpRequest;
    const bool listing = request == R::DirAsync || request == R::LsAsync ||
                         request == R::DirectoryAsync || request == R::ListAsync;
    if (error != 0) {
        if (m_state.deleteTree || m_state.removeDirs)
            endOperation();
        return false;
    }
    if ((request == R::CwdAsync || request == R::MkdAsync || request == R::CDupAsync) &&
        m_state.removeDirs) {
        removalStep();
        return true;
    }
    if (listing && m_state.deleteTree && !m_state.downloadTree) {
        readDeleteListing();
        return true;
    }
    switch (request) {
        case R::DeleAsync:
            deleteStep();
            return true;
        case R::RmdAsync:
            removalStep();
            return true;
        case R::RenAsync:
            renameStep();
            return true;
        default:
            return false;
    }
}

void RemoteOperations::readDeleteListing() {
    const std::string dir = m_ftp.hostDirName();
    DeleteWalk walk = walkDeleteListing(m_options.dirListFile, m_hooks.listingFormat(), dir,
                                        [this](const std::string& line) { log(line); });
    for (std::string& sub : walk.dirs) {
        if (depthBelow(m_state.startRemoteDir, sub) > kMaxDeleteDepth) {
            log("! Not entered, too deep: \"" + printableName(sub) + "\"");
            continue;
        }
        queueDirectory(std::move(sub));
    }
    for (std::string& file : walk.files)
        m_state.sourceFiles.push_back(std::move(file));
    deleteStep();
}

void RemoteOperations::deleteStep() {
    if (m_ftp.binary())
        typeAscii();
    if (!m_state.sourceFiles.empty()) {
        m_ftp.setHostFileName(takeFront(m_state.sourceFiles));
        tryStart([this] { m_ftp.deleAsync(); });
        return;
    }
    m_state.deleteTree = !m_state.sourceDirs.empty();
    if (!m_state.deleteTree && !m_state.targetDirs.empty()) {
        removalStep();
        return;
    }
    if (m_state.deleteTree) {
        m_ftp.setHostDirName(m_state.sourceDirs.front());
        m_state.targetDirs.push_back(takeFront(m_state.sourceDirs));
    } else {
        m_ftp.setHostDirName(m_state.startRemoteDir);
    }
    m_ftp.setLocalFileName(m_options.dirListFile);
    tryStart([this] { m_ftp.cwdAsync(); });
}

void RemoteOperations::stop() {
    if (m_state.busy)
        return;
    // With nothing left queued, the next step of the delete goes back to the start directory
    // and the rename lists the directory.
    clearQueues();
}

void RemoteOperations::returnToStart() {
    if (!m_ftp.connected())
        return;
    m_ftp.setHostDirName(m_state.startRemoteDir);
    m_ftp.setLocalFileName(m_options.dirListFile);
    tryStart([this] { m_ftp.cwdAsync(); });
}

void RemoteOperations::removalStep() {
    typeAscii();
    m_state.removeDirs = !m_state.targetDirs.empty();
    if (m_state.targetDirs.empty()) {
        m_ftp.setHostDirName(m_state.startRemoteDir);
        m_ftp.setLocalFileName(m_options.dirListFile);
        tryStart([this] { m_ftp.cwdAsync(); });
        return;
    }
    const std::string dir = m_state.targetDirs.back();
    // VMS servers (type 8) remove a directory by its name in the parent, not by its path.
    if (m_state.listingType == 8 && dir == m_ftp.hostDirName()) {
        m_ftp.setHostDirName(parentPath(dir));
        m_state.targetDirs.back() = lastPathPart(dir);
        m_ftp.setLocalFileName(m_options.dirListFile);
        tryStart([this] { m_ftp.cwdAsync(); });
        return;
    }
    if (dir != m_ftp.hostDirName()) {
        m_ftp.setHostFileName(dir);
        m_state.targetDirs.pop_back();
        tryStart([this] { m_ftp.rmdAsync(); });
        return;
    }
    // The client stands in the directory to remove: one level up first.
    const std::string parent = parentPath(dir);
    m_ftp.setHostDirName(dir.find('/') == std::string::npos ? m_state.startRemoteDir : parent);
    tryStart([this] { m_ftp.cDupAsync(); });
}

void RemoteOperations::renameStep() {
    if (m_state.sourceFiles.empty() || m_state.targetFiles.empty()) {
        m_state.sourceFiles.clear();
        m_state.targetFiles.clear();
        m_ftp.setHostFileName(m_ftp.hostDirName());
        m_ftp.setLocalFileName(m_options.dirListFile);
        typeAscii();
        tryStart([this] { m_ftp.dirAsync(); });
        return;
    }
    m_ftp.setHostFileName(takeFront(m_state.sourceFiles));
    m_ftp.setLocalFileName(takeFront(m_state.targetFiles));
    tryStart([this] { m_ftp.renAsync(); });
}

}  // namespace quay
