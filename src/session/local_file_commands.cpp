#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "panes/local_delete.h"
#include "panes/local_names.h"
#include "session/dialogs.h"
#include "session/local_pane.h"

namespace quay {

namespace {

constexpr std::size_t kNameLength = 255;

std::string systemError(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

std::string deleteQuestion(const Dialogs& dialogs, const LocalDeletePlan& plan) {
    const std::string files = std::to_string(plan.files.size());
    if (plan.directories.empty())
        return dialogs.text(Message::DeleteFiles, {files});
    return dialogs.text(Message::DeleteFilesAndFolders,
                        {files, std::to_string(plan.directories.size())});
}

}  // namespace

void LocalPane::changeCase(int mode) {
    PaneModel& list = m_model.lvLoc();
    for (std::size_t index : list.selectedIndexes()) {
        const std::string& old = list.item(index).caption;
        std::string renamed = changedCase(old, mode);
        // A name another entry already has is left alone: moving onto it would delete it.
        if (renamed == old ||
            moveEntryNoReplace(m_state.localDir + old, m_state.localDir + renamed) != 0)
            continue;
        list.update(index, [&renamed](PaneItem& row) { row.caption = std::move(renamed); });
    }
}

void LocalPane::makeDirectory() {
    if (m_tree.itemIndex() < 0)
        return;
    std::string name;
    if (!m_dialogs.showInputForm(m_dialogs.text(Message::LocalMakeDirectoryTitle),
                                 m_dialogs.text(Message::LocalMakeDirectoryPrompt), name, false,
                                 kNameLength))
        return;
    const std::string path = m_state.localDir + name;
    // The new directory is one level inside the local directory, never elsewhere.
    if (!isPlainEntryName(name)) {
        showError(systemError(path, EINVAL));
        return;
    }
    if (::mkdir(path.c_str(), 0777) != 0) {
        showError(systemError(path, errno));
        return;
    }
    changeDir(path);
}

void LocalPane::rename() {
    const PaneItem* item = selectedItem();
    if (item == nullptr)
        return;
    const std::string old = item->caption;
    std::string typed = old;
    if (!m_dialogs.showInputForm(m_dialogs.text(Message::LocalRenameTitle),
                                 m_dialogs.text(Message::LocalRenamePrompt), typed, false,
                                 kNameLength))
        return;
    const std::string renamed(nameAfterLastSlash(typed));
    if (renamed == old || !isPlainEntryName(renamed) ||
        moveEntryNoReplace(m_state.localDir + old, m_state.localDir + renamed) != 0)
        return;
    fillList();
}

void LocalPane::remove() {
    std::vector<std::string> paths;
    const PaneModel& list = m_model.lvLoc();
    for (std::size_t index : list.selectedIndexes())
        paths.push_back(m_state.localDir + list.item(index).caption);
    if (paths.empty() && m_tree.itemIndex() > 0) {
        std::string current = m_state.localDir;
        current.pop_back();
        paths.push_back(current);
        oneLevelUp();
    }
    if (paths.empty())
        return;
    const LocalDeletePlan plan = planLocalDelete(paths);
    if (m_dialogs.messageBox(m_dialogs.text(Message::Attention), deleteQuestion(m_dialogs, plan),
                             Dialogs::Icon::Question,
                             Dialogs::Yes | Dialogs::No) == Dialogs::Answer::Yes) {
        const std::string failure = executeLocalDelete(plan, m_state.localDir);
        if (!failure.empty())
            showError(failure);
    }
    refresh();
}

void LocalPane::view() {
    handToDesktop(OpenPurpose::View);
}

void LocalPane::run() {
    handToDesktop(OpenPurpose::Run);
}

void LocalPane::handToDesktop(OpenPurpose purpose) {
    const PaneItem* item = selectedItem();
    if (item == nullptr || !m_opener)
        return;
    const std::string path = m_state.localDir + item->caption;
    if (!m_opener(purpose, path, m_state.localDir))
        showError(path + ": no program could be started for it");
}

}  // namespace quay
