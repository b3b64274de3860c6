#include "panes/command_list_model.h"

namespace quay {

CommandListModel::CommandListModel(CustomCommands commands) : m_commands(std::move(commands)) {
    m_commands.padToSameLength();
}

void CommandListModel::select(int row) {
    bool valid = row >= 0 && static_cast<std::size_t>(row) < m_commands.labels.size();
    m_selected = valid ? row : -1;
    showSelected();
    changed();
}

void CommandListModel::showSelected() {
    if (m_selected < 0) {
        m_labelEdit.clear();
        m_commandEdit.clear();
        return;
    }
    m_labelEdit = m_commands.labels[std::size_t(m_selected)];
    m_commandEdit = m_commands.commands[std::size_t(m_selected)];
}

void CommandListModel::setLabelEdit(std::string_view text) {
    writeEdit(m_labelEdit, m_commands.labels, text);
}

void CommandListModel::setCommandEdit(std::string_view text) {
    writeEdit(m_commandEdit, m_commands.commands, text);
}

void CommandListModel::writeEdit(std::string& edit, std::vector<std::string>& column,
                                 std::string_view text) {
    if (editsReadOnly())
        return;
    edit = text;
    column[std::size_t(m_selected)] = edit;
    changed();
}

void CommandListModel::add() {
    m_commands.labels.emplace_back();
    m_commands.commands.emplace_back();
    m_selected = static_cast<int>(m_commands.labels.size()) - 1;
    showSelected();
    changed();
}

void CommandListModel::remove() {
    if (m_selected < 0)
        return;
    auto row = static_cast<std::ptrdiff_t>(m_selected);
    m_commands.labels.erase(m_commands.labels.begin() + row);
    m_commands.commands.erase(m_commands.commands.begin() + row);
    m_selected = -1;
    changed();
}

bool CommandListModel::key(Key key, bool listHasFocus, std::optional<Close>* closeWith) {
    switch (key) {
        case Key::Enter:
            *closeWith = m_selected >= 0 ? Close::Select : Close::Close;
            return true;
        case Key::Escape:
            if (listHasFocus)
                *closeWith = Close::Close;
            return listHasFocus;
        case Key::Insert:
            if (listHasFocus)
                add();
            return listHasFocus;
        case Key::Delete:
            if (listHasFocus)
                remove();
            return listHasFocus;
    }
    return false;
}

CommandListModel::Outcome CommandListModel::close(Close how) const {
    Outcome outcome{m_commands, {}};
    if (how == Close::Select && m_selected >= 0)
        outcome.chosen = m_commands.commands[std::size_t(m_selected)];
    return outcome;
}

void CommandListModel::changed() {
    if (onChanged)
        onChanged();
}

}  // namespace quay
