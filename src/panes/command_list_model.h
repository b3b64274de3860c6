#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "panes/custom_commands.h"

namespace quay {

// The headless model of the "Commands" dialog: the list of labels (lbCmd), the edits
// "Label" (eAl) and "Command text" (eCmd), "Add", "Remove", and closing with "Select" or
// "Close". It works on a copy of the saved commands; every way of closing hands the edited
// copy back, so additions and removals stay in force even after "Close".
//
// Invariant: labels and commands have the same length; the selection is -1 or a valid row.
// onChanged fires once after each public call that may have changed what is shown.
class CommandListModel {
public:
    enum class Close { Select = 1, Close = 2 };
    enum class Key { Enter, Escape, Insert, Delete };

    // The outcome of closing: the edited lists, and the command text chosen with "Select"
    // (empty otherwise).
    struct Outcome {
        CustomCommands commands;
        std::string chosen;
    };

    // A copy of the saved commands; a shorter list is padded with empty texts so both have
    // the same length.
    explicit CommandListModel(CustomCommands commands);

    const std::vector<std::string>& labels() const { return m_commands.labels; }
    int selected() const { return m_selected; }
    const std::string& labelEdit() const { return m_labelEdit; }
    const std::string& commandEdit() const { return m_commandEdit; }
    // The edits are read-only exactly while no label is selected.
    bool editsReadOnly() const { return m_selected < 0; }

    // A click on a label (-1 or out of range: no selection) shows its label and command in
    // the edits; with no selection both are emptied.
    void select(int row);
    // Typing in an edit writes the text at once into the selected row (nothing while
    // read-only).
    void setLabelEdit(std::string_view text);
    void setCommandEdit(std::string_view text);

    // "Add": an empty label and command, selected, edits open.
    void add();
    // "Remove": deletes the selected row (nothing without a selection); the edits become
    // read-only and keep what they showed.
    void remove();

    // A key seen by the dialog before its controls. Returns whether the key was used (and so
    // consumed); sets *closeWith when the key closes the dialog. Enter closes with "Select"
    // when a label is selected, else "Close"; while the list has the focus Escape closes with
    // "Close", Insert adds and Delete removes. A key that does nothing here goes on to the
    // focused control (so Delete still edits the text in an edit).
    bool key(Key key, bool listHasFocus, std::optional<Close>* closeWith);

    // Closing by any way (a double click on a label closes with "Select"): the edited lists, and
    // with "Select" and a selection the selected row's command text.
    Outcome close(Close how) const;

    std::function<void()> onChanged;

private:
    void showSelected();
    void writeEdit(std::string& edit, std::vector<std::string>& column, std::string_view text);
    void changed();

    CustomCommands m_commands;
    int m_selected = -1;
    std::string m_labelEdit;
    std::string m_commandEdit;
};

}  // namespace quay
