#include "session/server_list_commands.h"

#include <system_error>

#include "panes/text_split.h"
#include "session/dialogs.h"
#include "sites/folder_paths.h"
#include "sites/server_properties.h"

namespace quay {

namespace {
constexpr std::size_t NameInputLimit = 255;
}  // namespace

ServerListCommands::ServerListCommands(std::filesystem::path dataDir, PaneModel& ftpView,
                                       ComboModel& ftpPath, Dialogs& dialogs)
    : m_view(ftpView),
      m_path(ftpPath),
      m_dialogs(dialogs),
      m_list(std::move(dataDir), ftpView, ftpPath) {
    m_list.onError = [this](const std::string& text) { showMessage(text); };
    m_list.messages = [this] { return m_dialogs.messageTexts; };
}

void ServerListCommands::showMessage(const std::string& text) {
    m_dialogs.messageBox(m_dialogs.text(Message::Attention), text, Dialogs::Icon::Information,
                         Dialogs::Ok);
}

void ServerListCommands::showServerList(const std::string& folderPath) {
    if (clearRemoteEntries)
        clearRemoteEntries();
    m_list.showServerList(folderPath);
}

bool ServerListCommands::editServerInfo(FtpServerInfo& info) {
    ServerPropertiesModel model(info, m_list.dataDir());
    model.messages = m_dialogs.messageTexts;
    model.askLayoutName = [this](const std::string& caption, std::string& name) {
        return m_dialogs.showInputForm(caption, m_dialogs.text(Message::EnterPrompt), name, false,
                                       NameInputLimit);
    };
    model.showError = [this](const std::string& caption, const std::string& text) {
        m_dialogs.messageBox(caption, text, Dialogs::Icon::Error, Dialogs::Ok);
    };
    bool ok = m_dialogs.serverProperties(model);
    if (!model.finish(ok))
        showMessage(m_dialogs.text(Message::CannotWriteFile,
                                   {(m_list.dataDir() / LayoutsFileName).string()}));
    if (ok)
        info = model.record();
    return ok;
}

void ServerListCommands::addItem(PaneItem row, bool select) {
    if (select)
        m_view.selectAll(false);
    row.selected = select;
    m_view.add(std::move(row));
    m_view.sort();
}

bool ServerListCommands::addServer() {
    FtpServerInfo info = m_list.newServerInfo();
    if (!editServerInfo(info))
        return false;
    addItem(serverItem(std::move(info)), true);
    m_list.saveServerList();
    return true;
}

void ServerListCommands::editSelectedServer() {
    long selected = m_view.firstSelected();
    if (selected < 0) {
        FtpServerInfo info = m_list.newServerInfo();
        if (!editServerInfo(info))
            return;
        addItem(serverItem(std::move(info)), false);
        m_list.saveServerList();
        return;
    }
    auto index = static_cast<std::size_t>(selected);
    const FtpServerInfo* current = serverOf(m_view.item(index));
    if (!current)
        return;
    FtpServerInfo info = *current;
    if (!editServerInfo(info))
        return;
    m_view.update(index, [&info](PaneItem& row) {
        row.caption = info.Name;
        row.data = info;
    });
    m_view.sort();
    m_list.saveServerList();
}

void ServerListCommands::makeFolder() {
    std::string name;
    if (!m_dialogs.showInputForm(m_dialogs.text(Message::NewFolderTitle),
                                 m_dialogs.text(Message::NewFolderPrompt), name, false,
                                 NameInputLimit))
        return;
    std::string folderPath = m_list.currentFolderPath();
    std::optional<std::filesystem::path> directory =
        safeFolderName(name) ? m_list.directoryOf(folderPath + name) : std::nullopt;
    std::error_code error;
    if (directory)
        std::filesystem::create_directories(*directory, error);
    if (!directory || !std::filesystem::is_directory(*directory, error)) {
        showMessage(m_dialogs.text(Message::FolderNotCreated, {folderPath + name}));
        return;
    }
    addItem(folderItem(name), true);
    m_list.saveServerList();
}

void ServerListCommands::renameFolder() {
    long selected = m_view.firstSelected();
    if (selected < 0)
        return;
    auto index = static_cast<std::size_t>(selected);
    if (!isImage(m_view.item(index), ServerListImage::Folder))
        return;
    std::string name = m_view.item(index).caption;
    if (!m_dialogs.showInputForm(m_dialogs.text(Message::RenameFolderTitle),
                                 m_dialogs.text(Message::RenameFolderPrompt), name, false,
                                 NameInputLimit))
        return;
    if (!moveFolder(m_view.item(index).caption, name))
        return;
    m_view.update(index, [&name](PaneItem& row) { row.caption = name; });
    m_view.sort();
    m_list.saveServerList();
}

bool ServerListCommands::moveFolder(const std::string& oldName, const std::string& newName) {
    std::string folderPath = m_list.currentFolderPath();
    std::optional<std::filesystem::path> source = m_list.directoryOf(folderPath + oldName);
    std::optional<std::filesystem::path> target = m_list.directoryOf(folderPath);
    if (!source || !target || !safeFolderName(newName))
        return false;
    // The new name is taken as typed, so that a change of case alone renames too.
    for (const std::string& part : splitString(FolderPathSeparator, newName))
        *target /= part;
    std::error_code error;
    if (std::filesystem::exists(*target, error) &&
        !std::filesystem::equivalent(*source, *target, error))
        return false;
    std::filesystem::rename(*source, *target, error);
    return !error;
}

void ServerListCommands::removeSelected() {
    std::vector<std::size_t> selected = m_view.selectedIndexes();
    if (selected.empty())
        return;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        m_view.remove(*it);
    m_list.saveServerList();
}

ServerListCommands::OpenResult ServerListCommands::openRow() {
    long selected = m_view.firstSelected();
    if (selected < 0)
        return addServer() ? OpenResult::Connect : OpenResult::None;
    const PaneItem& row = m_view.item(static_cast<std::size_t>(selected));
    if (isImage(row, ServerListImage::Folder))
        showServerList(m_list.childFolderPath());
    else if (isImage(row, ServerListImage::UpLevel))
        oneLevelUp();
    else if (serverOf(row))
        return OpenResult::Connect;
    return OpenResult::None;
}

void ServerListCommands::oneLevelUp() {
    if (m_path.itemIndex() <= 0)
        return;
    m_path.setItemIndex(m_path.itemIndex() - 1);
    showServerList(m_list.currentFolderPath());
}

void ServerListCommands::pathChosen() {
    showServerList(m_list.currentFolderPath());
}

void ServerListCommands::refresh() {
    showServerList(m_list.currentFolderPath());
}

bool ServerListCommands::dropOnRemotePane(std::size_t target) {
    long selected = m_view.firstSelected();
    return selected >= 0 && m_list.moveServerToFolder(static_cast<std::size_t>(selected), target);
}

void ServerListCommands::convertPasswords() {
    for (std::size_t i = 0; i < m_view.count(); ++i) {
        if (!serverOf(m_view.item(i)))
            continue;
        m_view.update(i, [](PaneItem& row) {
            auto& info = std::any_cast<FtpServerInfo&>(row.data);
            info.Password = cryptPassword(info.Password);
        });
    }
    m_list.saveServerList();
}

std::optional<FtpServerInfo> ServerListCommands::selectedServer() const {
    long selected = m_view.firstSelected();
    if (selected < 0)
        return std::nullopt;
    const FtpServerInfo* info = serverOf(m_view.item(static_cast<std::size_t>(selected)));
    return info ? std::optional<FtpServerInfo>(*info) : std::nullopt;
}

}  // namespace quay
