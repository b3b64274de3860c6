#pragma once

#include <functional>
#include <string>

#include "ftp/ftp_client.h"
#include "panes/custom_commands.h"
#include "session/dialogs.h"
#include "session/presentation_model.h"
#include "session/session_state.h"

namespace quay {

// The commands that send a line of the user's choice with QuoteAsync: "File Attributes"
// (SITE CHMOD through the permissions dialog) and the command bar Panel17 with the command
// box cbCmd, "Do It" and the command list dialog. Each line is run as a command operation
// (the reply goes to the log, then the current directory is entered and listed again).
class QuoteCommands {
public:
    // Runs line as the operation named name.
    using RunCommand = std::function<void(const std::string& name, const std::string& line)>;

    QuoteCommands(SessionState& state, PresentationModel& model, Dialogs& dialogs,
                  CustomCommands& commands, std::function<void(const std::string&)> addLog,
                  RunCommand run);

    // Runs the permissions dialog on the first selected entry of FTPView and sends
    // "SITE CHMOD <mode> <name>" when it returns a mode.
    void changeAttributes();
    // Checks or unchecks both "Custom Command" entries and shows the command bar while checked.
    void toggleCommandBar();
    // "Do It": sends the text of cbCmd (added to its items when new).
    void sendCommandLine();
    // "Commands": the command list dialog; a command chosen with "Select" goes into cbCmd.
    void chooseFromCommandList();

private:
    SessionState& m_state;
    PresentationModel& m_model;
    Dialogs& m_dialogs;
    CustomCommands& m_commands;
    std::function<void(const std::string&)> m_addLog;
    RunCommand m_run;
};

}  // namespace quay
