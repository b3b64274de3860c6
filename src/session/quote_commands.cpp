#include "session/quote_commands.h"

#include <utility>

#include "listing/listing_walkers.h"
#include "panes/chmod_model.h"
#include "panes/command_box.h"
#include "panes/command_list_model.h"

namespace quay {

namespace {

constexpr std::size_t kAttributesColumn = 3;

}  // namespace

QuoteCommands::QuoteCommands(SessionState& state, PresentationModel& model, Dialogs& dialogs,
                             CustomCommands& commands,
                             std::function<void(const std::string&)> addLog, RunCommand run)
    : m_state(state),
      m_model(model),
      m_dialogs(dialogs),
      m_commands(commands),
      m_addLog(std::move(addLog)),
      m_run(std::move(run)) {}

void QuoteCommands::changeAttributes() {
    const long row = m_model.ftpView().firstSelected();
    if (m_state.serverListMode || row < 0)
        return;
    const PaneItem& item = m_model.ftpView().item(static_cast<std::size_t>(row));
    const std::string name = item.caption;
    // A name with "/" would change the mode of an entry elsewhere on the server.
    if (!isSafeEntryName(name)) {
        if (m_addLog)
            m_addLog("! Skipped, unsafe name: \"" + printableName(name) + "\"");
        return;
    }
    ChmodModel dialog(item.subItems.size() > kAttributesColumn ? item.subItems[kAttributesColumn]
                                                               : std::string());
    if (!m_dialogs.changeAttributes(dialog))
        return;
    if (const std::optional<int> mode = dialog.result(ChmodModel::Close::Ok))
        m_run("File attributes", siteChmodCommand(*mode, name));
}

void QuoteCommands::toggleCommandBar() {
    const bool checked = !m_model.control("CustomCommand1").checked;
    m_model.setChecked("CustomCommand1", checked);
    m_model.setChecked("CustomCommand2", checked);
    m_model.setVisible("Panel17", checked);
}

void QuoteCommands::sendCommandLine() {
    if (const std::optional<std::string> line = commandToSend(m_model.cbCmd()))
        m_run("Command", *line);
}

void QuoteCommands::chooseFromCommandList() {
    CommandListModel dialog(m_commands);
    const CommandListModel::Outcome outcome = dialog.close(m_dialogs.commandList(dialog));
    m_commands = outcome.commands;
    addChosenCommand(m_model.cbCmd(), outcome.chosen);
}

}  // namespace quay
