#include "ui/command_keys.h"

namespace quay {

namespace {

std::vector<CommandKeys> buildCommandKeys() {
    using C = Command;
    const QList<QKeySequence> open = {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)};
    const QList<QKeySequence> up = {QKeySequence(Qt::Key_Backspace),
                                    QKeySequence(Qt::ALT | Qt::Key_Up)};
    const QList<QKeySequence> refresh = {QKeySequence(Qt::Key_F5)};
    const QList<QKeySequence> rename = {QKeySequence(Qt::Key_F2)};
    const QList<QKeySequence> makeDirectory = {QKeySequence(Qt::Key_F7)};
    const QList<QKeySequence> remove = {QKeySequence(Qt::Key_Delete)};
    const QList<QKeySequence> selectAll = {QKeySequence(Qt::CTRL | Qt::Key_A)};
    return {
        {C::LocalOpen, "lvLoc", open},
        {C::LocalUp, "lvLoc", up},
        {C::LocalRefresh, "lvLoc", refresh},
        {C::LocalRename, "lvLoc", rename},
        {C::LocalMakeDirectory, "lvLoc", makeDirectory},
        {C::LocalDelete, "lvLoc", remove},
        {C::LocalSelectAll, "lvLoc", selectAll},
        {C::LocalView, "lvLoc", {QKeySequence(Qt::Key_F3)}},
        {C::RemoteOpen, "FTPView", open},
        {C::RemoteUp, "FTPView", up},
        {C::RemoteRefresh, "FTPView", refresh},
        {C::RemoteRename, "FTPView", rename},
        {C::RemoteMakeDirectory, "FTPView", makeDirectory},
        {C::RemoteDelete, "FTPView", remove},
        {C::RemoteSelectAll, "FTPView", selectAll},
        {C::Upload, "", {QKeySequence(Qt::CTRL | Qt::Key_U)}},
        {C::Download, "", {QKeySequence(Qt::CTRL | Qt::Key_D)}},
        {C::Stop, "", {QKeySequence(Qt::Key_Escape)}},
    };
}

}  // namespace

const std::vector<CommandKeys>& commandKeys() {
    static const std::vector<CommandKeys> keys = buildCommandKeys();
    return keys;
}

QList<QKeySequence> keysOf(Command command) {
    for (const CommandKeys& binding : commandKeys())
        if (binding.command == command)
            return binding.keys;
    return {};
}

}  // namespace quay
