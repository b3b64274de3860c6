#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/message_texts.h"
#include "panes/combo_model.h"
#include "panes/pane_model.h"
#include "sites/server_info.h"

namespace quay {

// Image indexes of the rows of the server list; the image tells the kind of a row.
enum class ServerListImage { UpLevel = 0, Folder = 1, Server = 3 };

PaneItem upLevelItem();
PaneItem folderItem(std::string name);
// A server row owning its record (caption: the record's Name).
PaneItem serverItem(FtpServerInfo info);
bool isImage(const PaneItem& item, ServerListImage image);
// The record a server row owns; nullptr for other rows.
const FtpServerInfo* serverOf(const PaneItem& item);

// One level of the saved servers shown in a pane (FTPView), with the path box (FTPPath) as a
// breadcrumb of folder names whose item 0 is the root. Every level keeps its servers and
// folders in its own list file inside the data directory; every change is written at once
// with saveServerList(). Files are replaced atomically and created with mode 0600, since they
// hold (scrambled) passwords.
//
// The pane and the path box are owned by the caller and must outlive this object. The sort
// rule is the pane's own compare function; loading a level switches sorting off and on again.
class ServerList {
public:
    ServerList(std::filesystem::path dataDir, PaneModel& view, ComboModel& path);

    // The anonymous e-mail address new and read records get (empty when unset).
    std::function<std::string()> defaultEMail;
    // The texts in the language shown (the breadcrumb's root entry, the failures); null, the
    // built-in texts.
    std::function<const MessageTexts*()> messages;
    // A failure the user is told about (caption "Achtung", information icon).
    std::function<void(const std::string& text)> onError;

    const std::filesystem::path& dataDir() const { return m_dataDir; }
    PaneModel& view() { return m_view; }
    ComboModel& path() { return m_path; }

    // Fills the pane with the level of folderPath and remembers the path; a missing list
    // file is an empty level.
    void showServerList(const std::string& folderPath);
    // The folder path passed to the last showServerList().
    const std::string& rememberedFolderPath() const { return m_rememberedFolderPath; }
    // Makes the breadcrumb show folderPath: names already there stay, a different branch
    // replaces the deeper items; the deepest name is selected.
    void syncFolderPath(const std::string& folderPath);
    // Writes the pane's rows in display order to the list file of the current level. False
    // (and onError told) when the level's directory cannot be made, its list file could not
    // be read when the level was shown, or the file cannot be written.
    bool saveServerList();

    // The folder path of the level shown, from the breadcrumb (lower-cased names).
    std::string currentFolderPath() const;
    // currentFolderPath() with the caption of the selected row added as the next folder.
    std::string childFolderPath() const;
    // The directory of a folder path below the data directory; nothing when it would leave it.
    std::optional<std::filesystem::path> directoryOf(const std::string& folderPath) const;

    // Appends the server row's record to the list file of the folder row (made when
    // missing), removes the row and saves the level. False, and nothing changed, when the
    // rows are not a server and a folder or the folder's directory or file fails.
    bool moveServerToFolder(std::size_t server, std::size_t folder);

    // A new record with the defaults of new servers.
    FtpServerInfo newServerInfo() const;

private:
    std::string emailDefault() const;
    void fail(const std::string& text) const;
    std::string text(Message message, std::initializer_list<std::string_view> args = {}) const;
    void setBreadcrumb(std::vector<std::string> items, int index);
    // The lines of the level's list file; a file that exists but cannot be read (or is too
    // big to be one of ours) is remembered, and saving that level is refused.
    std::vector<std::string> levelLines();
    std::optional<std::filesystem::path> makeDirectory(const std::string& folderPath) const;

    std::filesystem::path m_dataDir;
    PaneModel& m_view;
    ComboModel& m_path;
    std::string m_rememberedFolderPath;
    std::optional<std::filesystem::path> m_unreadableFile;
};

}  // namespace quay
