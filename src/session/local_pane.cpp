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

constexpr std::size_t kMaskLength = 255;

}  // namespace

LocalPane::LocalPane(PresentationModel& model, SessionState& state, Dialogs& dialogs,
                     const Options& options, const FileOpener& opener)
    : m_model(model), m_state(state), m_dialogs(dialogs), m_options(options), m_opener(opener) {
    PaneModel& list = m_model.lvLoc();
    usePaneOrder(list, m_state.localSortKey);
    list.setSortEnabled(true);
    list.onReset = [this] { listChanged(); };
    list.onInserted = [this](std::size_t, std::size_t) { listChanged(); };
    list.onRemoved = [this](std::size_t, std::size_t) { listChanged(); };
    list.onChanged = [this](std::size_t, std::size_t) { listChanged(); };
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

void LocalPane::refresh() {
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

void LocalPane::chooseTreeEntry(int index) {
    const auto& entries = m_tree.entries();
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size())
        changeDir(entries[static_cast<std::size_t>(index)].path);
}

void LocalPane::chooseDrive() {
    const int index = m_drives.itemIndex();
    if (index >= 0 && static_cast<std::size_t>(index) < m_drives.count())
        changeDir(m_drives.items()[static_cast<std::size_t>(index)]);
}

void LocalPane::oneLevelUp() {
    const std::string& dir = m_state.localDir;
    if (dir.size() <= 1)
        return;  // the root stays
    changeDir(dir.substr(0, dir.rfind('/', dir.size() - 2) + 1));
}

void LocalPane::openSelected() {
    const PaneItem* item = selectedItem();
    if (item != nullptr && item->imageIndex == kDirectoryImage)
        changeDir(m_state.localDir + item->caption);
}

void LocalPane::resort(PaneModel& pane) {
    pane.setSortEnabled(false);
    pane.setSortEnabled(true);
}

void LocalPane::sortLocalByColumn(int tag) {
    m_state.localSortKey = sortKeyAfterColumnClick(m_state.localSortKey, tag);
    resort(m_model.lvLoc());
}

void LocalPane::sortRemoteByColumn(int tag) {
    if (m_state.serverListMode)
        return;
    m_state.remoteSortKey = sortKeyAfterColumnClick(m_state.remoteSortKey, tag);
    usePaneOrder(m_model.ftpView(), m_state.remoteSortKey);
    resort(m_model.ftpView());
}

void LocalPane::filter() {
    std::string mask = m_state.localMask;
    if (!m_dialogs.showInputForm(m_dialogs.text(Message::LocalFilterTitle),
                                 m_dialogs.text(Message::MaskPrompt), mask, false, kMaskLength))
        return;
    m_state.localMask = mask;
    fillList();
}

void LocalPane::selectLocal(SelectAction action) {
    selectCommand(m_model.lvLoc(), m_state.localMask, Message::LocalSelectTitle, action);
}

void LocalPane::selectRemote(SelectAction action) {
    selectCommand(m_model.ftpView(), m_state.remoteMask, Message::RemoteSelectTitle, action);
}

void LocalPane::selectCommand(PaneModel& pane, std::string& mask, Message title,
                              SelectAction action) {
    std::string value = mask;
    std::vector<PaneItem> rows = pane.items();
    if (action == SelectAction::All || action == SelectAction::Invert) {
        for (PaneItem& row : rows)
            row.selected = action == SelectAction::All || !row.selected;
    } else {
        if (m_dialogs.showInputForm(m_dialogs.text(title), m_dialogs.text(Message::MaskPrompt),
                                    value, false, kMaskLength))
            for (PaneItem& row : rows)
                if (matchMask(row.caption, value))
                    row.selected = action == SelectAction::SelectByMask;
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

void LocalPane::listChanged() {
    const SelectionSummary summary = summarizeSelection(m_model.lvLoc());
    m_model.setVisible("pnlLocInfo", summary.files > 0);
    if (summary.files > 0)
        m_model.setText("pnlLocInfo", summaryText(Message::LocalSummary, summary));
    if (onListChanged)
        onListChanged();
}

std::string LocalPane::summaryText(Message message, const SelectionSummary& summary) const {
    return m_dialogs.text(message, {std::to_string(summary.bytes), kilobytesText(summary.bytes),
                                    std::to_string(summary.files)});
}

void LocalPane::showRemoteSummary() {
    const SelectionSummary summary = summarizeSelection(m_model.ftpView());
    const bool shown = !m_state.serverListMode && summary.files > 0;
    m_model.setVisible("pnlFtpInfo", shown);
    if (shown)
        m_model.setText("pnlFtpInfo", summaryText(Message::RemoteSummary, summary));
}

void LocalPane::showError(const std::string& text) {
    m_dialogs.messageBox(m_dialogs.text(Message::Attention), text, Dialogs::Icon::Error,
                         Dialogs::Ok);
}

}  // namespace quay
