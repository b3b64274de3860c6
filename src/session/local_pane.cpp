#include "session/local_pane.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "panes/list_order.h"
#include "panes/local_drives.h"
#include "panes/local_listing.h"
#include "panes/name_mask.h"
#include "panes/selection_summary.h"
#include "session/dialogs.h"

namespace quay {

namespace {

constexpr int kDirectoryImage = 1;
constexpr int kFileImage = 2;
constexpr std::size_t kMaskLength = 255;

}  // namespace

LocalPane::LocalPane(PresentationModel& model, SessionState& state, Dialogs& dialogs,
                     const Options& options, const FileOpener& opener)
    : m_model(model), m_state(state), m_dialogs(dialogs), m_options(options), m_opener(opener) {
    PaneModel& list = m_model.lvLoc();
    usePaneOrder(list, m_state.localSortKey);
    list.setSortEnabled(true);
    list.onReset = [this] { lvLocChange(); };
    list.onInserted = [this](std::size_t, std::size_t) { lvLocChange(); };
    list.onRemoved = [this](std::size_t, std::size_t) { lvLocChange(); };
    list.onChanged = [this](std::size_t, std::size_t) { lvLocChange(); };
}

std::vector<std::pair<std::string, LocalPane::Handler>> LocalPane::handlers() {
    auto plain = [this](void (LocalPane::*method)()) {
        return [this, method](const std::string&) { (this->*method)(); };
    };
    auto tagged = [this](void (LocalPane::*method)(const std::string&)) {
        return [this, method](const std::string& sender) { (this->*method)(sender); };
    };
    return {
        {"dlbxChange", plain(&LocalPane::dlbxChange)},
        {"dlbxClick", plain(&LocalPane::updateCommands)},
        {"DriveComboBox1Change", plain(&LocalPane::DriveComboBox1Change)},
        {"SpeedButton4Click", plain(&LocalPane::SpeedButton4Click)},
        {"lvLocDblClick", plain(&LocalPane::lvLocDblClick)},
        {"Byname4Click", tagged(&LocalPane::Byname4Click)},
        {"Byname6Click", tagged(&LocalPane::Byname6Click)},
        {"Filter1Click", plain(&LocalPane::Filter1Click)},
        {"All1Click", tagged(&LocalPane::All1Click)},
        {"LargeCase1Click", tagged(&LocalPane::LargeCase1Click)},
        {"sbMkd1Click", plain(&LocalPane::sbMkd1Click)},
        {"sbRen1Click", plain(&LocalPane::sbRen1Click)},
        {"sbDel1Click", plain(&LocalPane::sbDel1Click)},
        {"Viewfile2Click", plain(&LocalPane::Viewfile2Click)},
        {"sbRunClick", plain(&LocalPane::sbRunClick)},
        {"lvLocEnter", plain(&LocalPane::lvLocEnter)},
        {"lvLocExit", plain(&LocalPane::lvLocExit)},
    };
}

bool LocalPane::changeDir(const std::string& dir) {
    namespace fs = std::filesystem;
    fs::path target(dir);
    if (target.is_relative() && !m_state.localDir.empty())
        target = fs::path(m_state.localDir) / target;
    std::error_code error;
    if (!target.is_absolute() || !fs::is_directory(target, error))
        return false;
    std::string shown = target.lexically_normal().string();
    if (shown.empty() || shown.back() != '/')
        shown += '/';
    // A directory that cannot be read is not entered: an empty list would hide why.
    std::vector<PaneItem> rows =
        readLocalDirectory(shown, m_state.localMask, m_options.dateType, error);
    if (error) {
        showError(shown + ": " + error.message());
        return false;
    }
    m_state.localDir = shown;
    showDirectory(std::move(rows));
    return true;
}

void LocalPane::dlbxChange() {
    if (!m_state.localDir.empty())
        showDirectory(readRows());
}

void LocalPane::showDirectory(std::vector<PaneItem> rows) {
    // Directories are never filtered, so the rows name every subdirectory of the tree.
    std::vector<std::string> subdirectories;
    for (const PaneItem& row : rows)
        if (row.imageIndex == kDirectoryImage)
            subdirectories.push_back(row.caption);
    m_tree.show(m_state.localDir, std::move(subdirectories));
    refreshDrives();
    showRows(std::move(rows));
}

void LocalPane::refreshDrives() {
    const char* home = std::getenv("HOME");
    const std::vector<std::string> drives = localDrives(home != nullptr ? home : "");
    if (drives != m_drives.items()) {
        m_drives.clear();
        for (const std::string& drive : drives)
            m_drives.add(drive);
    }
    m_drives.setItemIndex(driveIndexOf(drives, m_state.localDir));
}

std::vector<PaneItem> LocalPane::readRows() const {
    std::error_code error;
    return readLocalDirectory(m_state.localDir, m_state.localMask, m_options.dateType, error);
}

void LocalPane::showRows(std::vector<PaneItem> rows) {
    sortPaneRows(rows, m_state.localSortKey);
    m_model.lvLoc().assign(std::move(rows));
}

void LocalPane::fillList() {
    showRows(readRows());
}

void LocalPane::dlbxSelect(int index) {
    const auto& entries = m_tree.entries();
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size())
        changeDir(entries[static_cast<std::size_t>(index)].path);
}

void LocalPane::DriveComboBox1Change() {
    const int index = m_drives.itemIndex();
    if (index >= 0 && static_cast<std::size_t>(index) < m_drives.count())
        changeDir(m_drives.items()[static_cast<std::size_t>(index)]);
}

void LocalPane::SpeedButton4Click() {
    const std::string& dir = m_state.localDir;
    if (dir.size() <= 1)
        return;  // the root stays
    changeDir(dir.substr(0, dir.rfind('/', dir.size() - 2) + 1));
}

void LocalPane::lvLocDblClick() {
    const PaneItem* item = selectedItem();
    if (item != nullptr && item->imageIndex == kDirectoryImage)
        changeDir(m_state.localDir + item->caption);
}

void LocalPane::resort(PaneModel& pane) {
    pane.setSortEnabled(false);
    pane.setSortEnabled(true);
}

void LocalPane::lvLocColumnClick(int tag) {
    m_state.localSortKey = sortKeyAfterColumnClick(m_state.localSortKey, tag);
    resort(m_model.lvLoc());
}

void LocalPane::FTPViewColumnClick(int tag) {
    if (m_state.serverListMode)
        return;
    m_state.remoteSortKey = sortKeyAfterColumnClick(m_state.remoteSortKey, tag);
    usePaneOrder(m_model.ftpView(), m_state.remoteSortKey);
    resort(m_model.ftpView());
}

void LocalPane::Byname4Click(const std::string& sender) {
    lvLocColumnClick(m_model.control(sender).tag);
}

void LocalPane::Byname6Click(const std::string& sender) {
    FTPViewColumnClick(m_model.control(sender).tag);
}

void LocalPane::Filter1Click() {
    std::string mask = m_state.localMask;
    if (!m_dialogs.showInputForm("Lokale Auswahl", "Maske", mask, false, kMaskLength))
        return;
    m_state.localMask = mask;
    fillList();
}

void LocalPane::All1Click(const std::string& sender) {
    const int tag = m_model.control(sender).tag;
    if (tag > 0)
        selectCommand(m_model.lvLoc(), m_state.localMask, "Lokal", tag);
    else if (tag < 0)
        selectCommand(m_model.ftpView(), m_state.remoteMask, "Ftp", -tag);
}

void LocalPane::selectCommand(PaneModel& pane, std::string& mask, const char* label, int action) {
    std::string value = mask;
    std::vector<PaneItem> rows = pane.items();
    if (action == 1 || action == 4) {
        for (PaneItem& row : rows)
            row.selected = action == 1 || !row.selected;
    } else if (action == 2 || action == 3) {
        if (m_dialogs.showInputForm(std::string(label) + " Filter", "Maske", value, false,
                                    kMaskLength))
            for (PaneItem& row : rows)
                if (matchMask(row.caption, value))
                    row.selected = action == 3;
    }
    // The mask typed for selecting is also the pane's filter from its next filling on.
    mask = value;
    pane.beginUpdate();
    for (std::size_t i = 0; i < rows.size(); ++i)
        pane.setSelected(i, rows[i].selected);
    pane.endUpdate();
}

const PaneItem* LocalPane::selectedItem() const {
    const long index = m_model.lvLoc().firstSelected();
    return index < 0 ? nullptr : &m_model.lvLoc().item(static_cast<std::size_t>(index));
}

void LocalPane::lvLocChange() {
    const SelectionSummary summary = summarizeSelection(m_model.lvLoc());
    m_model.setVisible("pnlLocInfo", summary.files > 0);
    if (summary.files > 0)
        m_model.setText("pnlLocInfo", localSummaryText(summary));
    updateCommands();
}

void LocalPane::FTPViewSelectItem() {
    const SelectionSummary summary = summarizeSelection(m_model.ftpView());
    const bool shown = !m_state.serverListMode && summary.files > 0;
    m_model.setVisible("pnlFtpInfo", shown);
    if (shown)
        m_model.setText("pnlFtpInfo", remoteSummaryText(summary));
}

void LocalPane::updateCommands() {
    const PaneItem* item = selectedItem();
    const bool file = item != nullptr && item->imageIndex == kFileImage;
    for (const char* name :
         {"Viewfile2", "Viewfile1", "Rename4", "Delete1", "Rename1", "sbView", "sbRun"})
        m_model.setEnabled(name, file);
    const bool deletable = item != nullptr || m_tree.itemIndex() > 0;
    for (const char* name : {"Delete2", "sbDel1"})
        m_model.setEnabled(name, deletable);
    const bool upload = item != nullptr && !m_state.serverListMode;
    for (const char* name : {"UploadSelectedFiles1", "UploadSelectedFiles2"})
        m_model.setEnabled(name, upload);
}

void LocalPane::lvLocEnter() {
    const bool upload = !m_model.lvLoc().empty() && !m_state.serverListMode;
    for (const char* name : {"UploadSelectedFiles1", "UploadSelectedFiles2"})
        m_model.setEnabled(name, upload);
}

void LocalPane::lvLocExit() {
    for (const char* name : {"UploadSelectedFiles1", "UploadSelectedFiles2"})
        m_model.setEnabled(name, false);
}

void LocalPane::showError(const std::string& text) {
    m_dialogs.messageBox("Achtung", text, Dialogs::Icon::Error, Dialogs::Ok);
}

}  // namespace quay
