#pragma once

namespace quay {

class ServerListCommands;
class SessionController;

// The commands of the right pane, which it carries out in one of two ways: on the saved
// servers (ServerListPane) or on the directory of the connected server (SessionPane). The
// controller hands each command to the mode the pane is in.
class RemotePaneCommands {
public:
    virtual ~RemotePaneCommands() = default;
    // Enter, double-click: opens the selected folder, directory or server.
    virtual void open() = 0;
    virtual void oneLevelUp() = 0;
    // An entry of the path box FTPPath was chosen.
    virtual void pathChosen() = 0;
    virtual void refresh() = 0;
    virtual void makeDirectory() = 0;
    virtual void rename() = 0;
    virtual void remove() = 0;
};

// The saved servers: folders are made, renamed and removed, a server is connected to.
class ServerListPane : public RemotePaneCommands {
public:
    ServerListPane(SessionController& session, ServerListCommands& list)
        : m_session(session), m_list(list) {}
    void open() override;
    void oneLevelUp() override;
    void pathChosen() override;
    void refresh() override;
    void makeDirectory() override;
    void rename() override;
    void remove() override;

private:
    SessionController& m_session;
    ServerListCommands& m_list;
};

// The connected server: each command is an operation of the session's runner.
class SessionPane : public RemotePaneCommands {
public:
    explicit SessionPane(SessionController& session) : m_session(session) {}
    void open() override;
    void oneLevelUp() override;
    void pathChosen() override;
    void refresh() override;
    void makeDirectory() override;
    void rename() override;
    void remove() override;

private:
    SessionController& m_session;
};

}  // namespace quay
