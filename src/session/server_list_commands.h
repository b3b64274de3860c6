#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "sites/server_list.h"

namespace quay {

class Dialogs;

// The commands of the right pane while it shows the server list: the session controller
// owns one and forwards its handlers to it in server-list mode only (connected, the same
// controls act on remote files). Every change of the list is saved at once; questions and
// failures go through Dialogs (caption "Achtung" for this window's messages).
//
// The pane, the path box and the dialogs belong to the caller and must outlive this object.
class ServerListCommands {
public:
    // What a double-click asks the controller to do next.
    enum class OpenResult { None, Connect };

    ServerListCommands(std::filesystem::path dataDir, PaneModel& ftpView, ComboModel& ftpPath,
                       Dialogs& dialogs);

    // Called whenever a level is loaded, before the pane is filled (the controller drops the
    // entries of the last remote listing there).
    std::function<void()> clearRemoteEntries;

    ServerList& list() { return m_list; }
    void showServerList(const std::string& folderPath);

    // The properties dialog on info (Answer.txt is rewritten either way); true on OK with
    // info holding the edited record.
    bool editServerInfo(FtpServerInfo& info);

    // A new server record through the properties dialog; true when one was added (and
    // selected).
    bool addServer();
    void editSelectedServer();
    void makeFolder();
    void renameFolder();
    void removeSelected();
    // On a folder or "..": changes the level. On a server, or after adding one when nothing
    // was selected: Connect, with the server selected (see selectedServer()).
    OpenResult openRow();
    void oneLevelUp();
    void pathChosen();
    void refresh();
    // The selected server row dropped on the row target; true when it moved.
    bool dropOnRemotePane(std::size_t target);
    // Turns passwords of a list stored in plain text into what they were, and saves.
    void convertPasswords();

    // True when the selected row is a server, so a drag of the row may start.
    bool serverSelected() const { return selectedServer().has_value(); }
    // A copy of the selected server's record (plain-text password), for connecting.
    std::optional<FtpServerInfo> selectedServer() const;

private:
    void showMessage(const std::string& text);
    // Adds row, makes it the only selected one when select, and keeps the sort order.
    void addItem(PaneItem row, bool select);
    bool moveFolder(const std::string& oldName, const std::string& newName);

    PaneModel& m_view;
    ComboModel& m_path;
    Dialogs& m_dialogs;
    ServerList m_list;
};

}  // namespace quay
