#include "ui/command_icons.h"

#include <QAction>
#include <QToolButton>

#include "session/main_window_controls.h"
#include "ui/main_window.h"
#include "ui/theme_icons.h"

namespace quay {

namespace {

using C = Command;

struct CommandIcon {
    Command command;
    const char* name;
};

// The freedesktop icon name of each command with a standard meaning. A choice among options
// (a view style, a transfer type) has none: it shows its check mark.
constexpr CommandIcon kCommandIcons[] = {
    {C::Connect, "network-connect"},
    {C::Disconnect, "network-disconnect"},
    {C::Stop, "process-stop"},
    {C::NewSession, "window-new"},
    {C::Preferences, "preferences-system"},
    {C::Exit, "application-exit"},
    {C::ExitAbortingRequest, "application-exit"},
    {C::LocalUp, "go-up"},
    {C::RemoteUp, "go-up"},
    {C::LocalRefresh, "view-refresh"},
    {C::RemoteRefresh, "view-refresh"},
    {C::LocalMakeDirectory, "folder-new"},
    {C::RemoteMakeDirectory, "folder-new"},
    {C::LocalRename, "edit-rename"},
    {C::RemoteRename, "edit-rename"},
    {C::LocalDelete, "edit-delete"},
    {C::RemoteDelete, "edit-delete"},
    {C::LocalView, "text-x-generic"},
    {C::LocalRun, "system-run"},
    {C::SendCommandLine, "system-run"},
    {C::LocalFilter, "edit-find"},
    {C::RemoteFilter, "edit-find"},
    {C::LocalFont, "preferences-desktop-font"},
    {C::RemoteFont, "preferences-desktop-font"},
    {C::LocalSelectAll, "edit-select-all"},
    {C::RemoteSelectAll, "edit-select-all"},
    // The local list is on the left: an upload goes right, a download comes left.
    {C::Upload, "go-next"},
    {C::Download, "go-previous"},
    {C::NewServer, "list-add"},
    {C::ServerProperties, "document-properties"},
    {C::RemoteAttributes, "document-properties"},
    {C::RemoteChangeDirectory, "go-jump"},
    {C::ToggleCommandBar, "utilities-terminal"},
    {C::CommandList, "view-list"},
    {C::About, "help-about"},
    {C::Help, "help-contents"},
};

QString iconNameOf(Command command) {
    for (const CommandIcon& icon : kCommandIcons)
        if (icon.command == command)
            return QString::fromLatin1(icon.name);
    return {};
}

}  // namespace

void showCommandIcons(MainWindow& window) {
    for (const ControlDef& def : mainWindowControls()) {
        const QString name = iconNameOf(def.command);
        if (name.isEmpty())
            continue;
        const QIcon icon = themeIcon(name);
        if (QAction* entry = window.action(def.name)) {
            entry->setIcon(icon);
        } else if (auto* button = qobject_cast<QToolButton*>(window.widget(def.name))) {
            button->setIcon(icon);
            if (!def.caption.empty())
                button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
    }
}

}  // namespace quay
