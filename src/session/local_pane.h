#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/message_texts.h"
#include "config/options.h"
#include "panes/combo_model.h"
#include "panes/directory_tree.h"
#include "panes/selection_summary.h"
#include "session/presentation_model.h"
#include "session/session_state.h"

namespace quay {

class Dialogs;

// Why a local file is handed to the desktop: to show it in the text editor ("View as Text
// File") or to open it with the program associated with it ("Run Application").
enum class OpenPurpose { View, Run };

// Hands a local file to the desktop: path is the file's full path (one argument, never seen
// by a shell), workingDir the directory the started program runs in (the local directory).
// Returns false when no program could be started for it.
using FileOpener = std::function<bool(OpenPurpose purpose, const std::string& path,
                                      const std::string& workingDir)>;

// What a select command does to the rows of a list; the mask ones ask for a mask.
enum class SelectAction { All = 1, UnselectByMask = 2, SelectByMask = 3, Invert = 4 };

// The local pane: the drive box, the directory tree dlbx, the file list lvLoc and its commands,
// plus the sorting, selecting and summary commands it shares with the remote list. It works on
// the presentation model and the session state of its controller; the local directory is
// SessionState::localDir (the process's working directory is never changed).
//
// It watches lvLoc itself: every change of its rows or selection reruns the summary and
// onListChanged (the controller's enabling rules). Errors of make directory and delete are shown as
// message boxes "Achtung" with the path and the system's error text; so is a file the opener could
// not hand to any program.
class LocalPane {
public:
    static constexpr int kDirectoryImage = 1;
    static constexpr int kFileImage = 2;

    // The rows or the selection of lvLoc changed.
    std::function<void()> onListChanged;

    // opener is read at each use (the application may set it after construction).
    LocalPane(PresentationModel& model, SessionState& state, Dialogs& dialogs,
              const Options& options, const FileOpener& opener);

    DirectoryTree& tree() { return m_tree; }
    // The drive box DriveComboBox1: "/", the home directory and the mounted volumes.
    ComboModel& drives() { return m_drives; }

    // Makes dir (absolute, or relative to the local directory) the local directory; the tree,
    // the drive box and the list follow. False, and nothing changes, when it is no directory;
    // one that cannot be read besides shows "Achtung" with the system's reason.
    bool changeDir(const std::string& dir);
    // "Refresh": the tree and the list read again.
    void refresh();
    // An entry of the tree was chosen (clicked or double-clicked): go there.
    void chooseTreeEntry(int index);
    // An entry of the drive box was chosen: go there.
    void chooseDrive();
    void oneLevelUp();
    void openSelected();

    // A click on the column with the given tag (1 to 4 or 5); the remote list's clicks are
    // ignored while it shows the server list.
    void sortLocalByColumn(int tag);
    void sortRemoteByColumn(int tag);
    void filter();
    void selectLocal(SelectAction action);
    void selectRemote(SelectAction action);

    // A row or its selection changed: the summary pnlLocInfo and onListChanged.
    void listChanged();
    // The remote summary pnlFtpInfo (hidden in server-list mode).
    void showRemoteSummary();

    // 0 upper case, 1 lower case, 2 as a sentence.
    void changeCase(int mode);
    void makeDirectory();
    void rename();
    void remove();
    void view();
    void run();

private:
    void fillList();
    std::vector<PaneItem> readRows() const;
    void showRows(std::vector<PaneItem> rows);
    // The tree, the drive box and the list for the rows just read of the local directory.
    void showDirectory(std::vector<PaneItem> rows);
    void refreshDrives();
    void resort(PaneModel& pane);
    void selectCommand(PaneModel& pane, std::string& mask, Message title, SelectAction action);
    // The selection summary in the words of message ("%1" bytes, "%2" kilobytes, "%3" files).
    std::string summaryText(Message message, const SelectionSummary& summary) const;
    void handToDesktop(OpenPurpose purpose);
    // The first selected row of lvLoc, or nullptr.
    const PaneItem* selectedItem() const;
    void showError(const std::string& text);

    PresentationModel& m_model;
    SessionState& m_state;
    Dialogs& m_dialogs;
    const Options& m_options;
    const FileOpener& m_opener;
    DirectoryTree m_tree;
    ComboModel m_drives;
};

}  // namespace quay
