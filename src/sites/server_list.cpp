#include "sites/server_list.h"

#include <system_error>

#include "config/ascii.h"
#include "panes/text_split.h"
#include "sites/folder_paths.h"
#include "sites/server_line.h"
#include "sites/text_lines.h"

namespace quay {

namespace {
// The list files hold scrambled passwords.
constexpr mode_t ListFileMode = 0600;
}  // namespace

PaneItem upLevelItem() {
    PaneItem item;
    item.caption = "..";
    item.imageIndex = static_cast<int>(ServerListImage::UpLevel);
    return item;
}

PaneItem folderItem(std::string name) {
    PaneItem item;
    item.caption = std::move(name);
    item.imageIndex = static_cast<int>(ServerListImage::Folder);
    return item;
}

PaneItem serverItem(FtpServerInfo info) {
    PaneItem item;
    item.caption = info.Name;
    item.imageIndex = static_cast<int>(ServerListImage::Server);
    item.data = std::move(info);
    return item;
}

bool isImage(const PaneItem& item, ServerListImage image) {
    return item.imageIndex == static_cast<int>(image);
}

const FtpServerInfo* serverOf(const PaneItem& item) {
    return isImage(item, ServerListImage::Server) ? std::any_cast<FtpServerInfo>(&item.data)
                                                  : nullptr;
}

ServerList::ServerList(std::filesystem::path dataDir, PaneModel& view, ComboModel& path)
    : m_dataDir(std::move(dataDir)), m_view(view), m_path(path) {}

std::string ServerList::emailDefault() const {
    return defaultEMail ? defaultEMail() : "";
}

FtpServerInfo ServerList::newServerInfo() const {
    return defaultServerInfo(emailDefault());
}

std::string ServerList::text(Message message, std::initializer_list<std::string_view> args) const {
    return messageText(messages ? messages() : nullptr, message, args);
}

void ServerList::fail(const std::string& text) const {
    if (onError)
        onError(text);
}

void ServerList::showServerList(const std::string& folderPath) {
    m_view.beginUpdate();
    m_view.setSortEnabled(false);
    m_view.clear();
    m_rememberedFolderPath = folderPath;
    syncFolderPath(folderPath);
    if (!folderPath.empty())
        m_view.add(upLevelItem());
    for (const std::string& line : levelLines()) {
        if (std::optional<std::string> folder = folderLineName(line)) {
            m_view.add(folderItem(std::move(*folder)));
            continue;
        }
        FtpServerInfo info = lineToServerInfo(line, emailDefault());
        info.Password = cryptPassword(info.Password);
        m_view.add(serverItem(std::move(info)));
    }
    m_view.setSortEnabled(true);
    m_view.endUpdate();
}

std::vector<std::string> ServerList::levelLines() {
    m_unreadableFile.reset();
    std::optional<std::filesystem::path> directory = directoryOf(m_rememberedFolderPath);
    if (!directory)
        return {};
    std::filesystem::path file = listFileOf(*directory);
    std::optional<std::vector<std::string>> lines = readLines(file);
    std::error_code error;
    if (!lines && std::filesystem::exists(file, error))
        m_unreadableFile = file;
    return lines.value_or(std::vector<std::string>{});
}

void ServerList::syncFolderPath(const std::string& folderPath) {
    std::vector<std::string> items = m_path.items();
    // A path box emptied on disconnecting gets its root entry back.
    if (items.empty())
        items.emplace_back(text(Message::ServerListRoot));
    int target = 0;
    std::vector<std::string> names = splitString(FolderPathSeparator, asciiLower(folderPath));
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i + 1 < items.size() && asciiLower(items[i + 1]) == names[i]) {
            target = static_cast<int>(i + 1);
            continue;
        }
        items.resize(std::min(items.size(), i + 1));
        items.push_back(names[i]);
        target = static_cast<int>(items.size() - 1);
    }
    setBreadcrumb(std::move(items), target);
}

void ServerList::setBreadcrumb(std::vector<std::string> items, int index) {
    if (items != m_path.items()) {
        m_path.clear();
        for (std::string& item : items)
            m_path.add(std::move(item));
    }
    m_path.setItemIndex(index);
}

std::string ServerList::currentFolderPath() const {
    std::string folderPath;
    const std::vector<std::string>& items = m_path.items();
    for (int i = 1; i <= m_path.itemIndex() && i < static_cast<int>(items.size()); ++i)
        folderPath.append(items[static_cast<std::size_t>(i)]).push_back(FolderPathSeparator);
    return folderPath;
}

std::string ServerList::childFolderPath() const {
    std::string folderPath = currentFolderPath();
    if (!folderPath.empty() && folderPath.back() != FolderPathSeparator)
        folderPath.push_back(FolderPathSeparator);
    long selected = m_view.firstSelected();
    if (selected >= 0)
        folderPath.append(m_view.item(static_cast<std::size_t>(selected)).caption);
    folderPath.push_back(FolderPathSeparator);
    return folderPath;
}

std::optional<std::filesystem::path> ServerList::directoryOf(const std::string& folderPath) const {
    return folderDirectory(m_dataDir, folderPath);
}

std::optional<std::filesystem::path> ServerList::makeDirectory(
    const std::string& folderPath) const {
    std::optional<std::filesystem::path> directory = directoryOf(folderPath);
    if (!directory)
        return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(*directory, error);
    if (!std::filesystem::is_directory(*directory, error))
        return std::nullopt;
    return directory;
}

bool ServerList::saveServerList() {
    std::vector<std::string> lines;
    for (const PaneItem& item : m_view.items()) {
        if (isImage(item, ServerListImage::Folder))
            lines.push_back(folderLine(item.caption));
        else if (const FtpServerInfo* info = serverOf(item))
            lines.push_back(serverInfoToLine(*info));
    }
    // Saving over a list that could not be read would lose every entry it holds.
    if (m_unreadableFile) {
        fail(text(Message::CannotReadFile, {m_unreadableFile->string()}));
        return false;
    }
    std::string folderPath = currentFolderPath();
    std::optional<std::filesystem::path> directory = makeDirectory(folderPath);
    if (!directory) {
        fail(text(Message::CannotCreateDirectory, {(m_dataDir / folderPath).string()}));
        return false;
    }
    std::filesystem::path file = listFileOf(*directory);
    if (!writeLines(file, lines, ListFileMode)) {
        fail(text(Message::CannotWriteFile, {file.string()}));
        return false;
    }
    return true;
}

bool ServerList::moveServerToFolder(std::size_t server, std::size_t folder) {
    if (server >= m_view.count() || folder >= m_view.count() ||
        !isImage(m_view.item(folder), ServerListImage::Folder))
        return false;
    const FtpServerInfo* info = serverOf(m_view.item(server));
    if (!info)
        return false;
    std::string folderPath = currentFolderPath() + m_view.item(folder).caption;
    std::optional<std::filesystem::path> directory = makeDirectory(folderPath);
    // A hand-edited folder line without a name (or only blanks and '\\') names the level
    // itself: the move would append the server and the save then drop it from the same file.
    if (!directory || *directory == directoryOf(currentFolderPath()))
        return false;
    std::filesystem::path file = listFileOf(*directory);
    std::error_code error;
    std::optional<std::vector<std::string>> lines =
        std::filesystem::exists(file, error) ? readLines(file) : std::vector<std::string>{};
    if (!lines)
        return false;
    lines->push_back(serverInfoToLine(*info));
    if (!writeLines(file, *lines, ListFileMode))
        return false;
    m_view.remove(server);
    saveServerList();
    return true;
}

}  // namespace quay
