#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>

#include "panes/command_list_model.h"

namespace quay {

// The command list dialog (form "_FCmd", caption "Commands") on a CommandListModel: the list
// lbCmd of labels, the edits eAl ("Label") and eCmd ("Command text"), "Add" (SpeedButton1),
// "Remove" (SpeedButton2), "Close" (SpeedButton3) and "Select" (SpeedButton4). Enter, Escape,
// Insert and Delete are seen by the dialog before its controls and go to the model, which
// decides whether they act. closedWith() tells how the dialog was closed; the window's own
// close button counts as "Close".
class CommandListDialog : public QDialog {
    Q_OBJECT
public:
    explicit CommandListDialog(CommandListModel& model, QWidget* parent = nullptr);
    ~CommandListDialog() override;

    CommandListModel::Close closedWith() const { return m_closedWith; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void closeWith(CommandListModel::Close how);

    CommandListModel& m_model;
    CommandListModel::Close m_closedWith = CommandListModel::Close::Close;
    QListWidget* m_list = nullptr;
    QLineEdit* m_label = nullptr;
    QLineEdit* m_command = nullptr;
};

}  // namespace quay
