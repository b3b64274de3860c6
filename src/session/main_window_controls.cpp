#include "session/main_window_controls.h"

#include <utility>

namespace quay {

namespace {

using K = ControlKind;
using C = Command;

ControlDef control(K kind, const char* name, const char* parent, const char* caption = "",
                   const char* hint = "", int tag = 0, Command command = C::None) {
    return ControlDef{kind, name, parent, caption, hint, tag, command};
}

ControlDef entry(const char* name, const char* parent, const char* caption,
                 Command command = C::None, int tag = 0) {
    return ControlDef{K::MenuItem, name, parent, caption, "", tag, command};
}

ControlDef hidden(ControlDef def) {
    def.visible = false;
    return def;
}

ControlDef checked(ControlDef def) {
    def.checked = true;
    return def;
}

// The controls of the window itself: bars, panels, buttons, lists.
void addWindowControls(std::vector<ControlDef>& out) {
    const std::vector<ControlDef> defs = {
        control(K::Panel, "Panel11", ""),
        control(K::Button, "sbConnect", "Panel11", "&Connect", "Connect to FTP-server", 0,
                C::Connect),
        control(K::Button, "sbDisConnect", "Panel11", "&Disconnect", "", 0, C::Disconnect),
        control(K::Button, "sbStop", "Panel11", "&Stop Transfer", "", 0, C::Stop),
        control(K::Label, "Label1", "Panel11", "Quayside Pro"),
        control(K::Label, "Label2", "Panel11", "Two-pane FTP client"),
        hidden(control(K::Label, "lbEncrypted", "Panel11", "")),
        control(K::Edit, "Edit1", "Panel11", "quayside"),
        control(K::Button, "ExplorerButton1", "Panel11", "  Exit", "", 0, C::ExitAbortingRequest),
        control(K::Memo, "Log", ""),
        control(K::Splitter, "Splitter3", ""),
        control(K::Panel, "Panel1", ""),
        control(K::Panel, "Panel6", "Panel1"),
        control(K::Button, "sbMkd1", "Panel6", "MakeDir", "Create new directory", 0,
                C::LocalMakeDirectory),
        control(K::Button, "sbRen1", "Panel6", "Rename", "Rename file or directory", 0,
                C::LocalRename),
        control(K::Button, "sbDel1", "Panel6", "Delete", "Delete file or directory", 0,
                C::LocalDelete),
        control(K::Button, "sbView", "Panel6", "View", "View as Text File", 0, C::LocalView),
        control(K::Button, "sbRun", "Panel6", "Run", "Run application", 0, C::LocalRun),
        control(K::Panel, "Panel8", "Panel1", "Local computer"),
        control(K::Panel, "Panel4", "Panel1"),
        control(K::DriveCombo, "DriveComboBox1", "Panel4", "", "Select drive"),
        control(K::Button, "SpeedButton4", "Panel4", "", "Up One Level", 16, C::LocalUp),
        control(K::DirectoryList, "dlbx", "Panel4", "", "Directory on local computer", 0, C::None),
        control(K::Splitter, "Splitter2", "Panel1"),
        control(K::Panel, "Panel15", "Panel1"),
        control(K::Button, "SpeedButton1", "Panel15", "", "Upload files to FTP - server", 0,
                C::Upload),
        control(K::Button, "SpeedButton2", "Panel15", "", "Download files from FTP - server", 0,
                C::Download),
        control(K::Panel, "Panel5", "Panel1"),
        control(K::ListView, "lvLoc", "Panel5", "", "", 0, C::LocalOpen),
        control(K::Panel, "pnlLocInfo", "Panel5"),
        control(K::Splitter, "Splitter1", ""),
        control(K::Panel, "Panel2", ""),
        control(K::Panel, "Panel7", "Panel2"),
        control(K::Button, "sbNewServer", "Panel7", "New Server", "Add new FTP server (FTP host)",
                0, C::NewServer),
        control(K::Button, "sbProperties", "Panel7", "&Properties", "Modify FTP server properties",
                0, C::ServerProperties),
        control(K::Button, "sbMkd2", "Panel7", "MakeDir", "Create new directory on FTP server", 0,
                C::RemoteMakeDirectory),
        control(K::Button, "sbRen2", "Panel7", "Rename", "Rename file or directory on FTP server",
                0, C::RemoteRename),
        control(K::Button, "sbDel2", "Panel7", "Delete",
                "Delete selected directory or file on FTP Server", 0, C::RemoteDelete),
        control(K::Panel, "Panel9", "Panel2", "FTP - servers"),
        control(K::Panel, "FTPPathPanel", "Panel2"),
        control(K::Button, "FTPOneLevelUp", "FTPPathPanel", "", "Up One Level", 16, C::RemoteUp),
        control(K::ComboBox, "FTPPath", "FTPPathPanel", "", "", 16, C::RemotePathChosen),
        control(K::ListView, "FTPView", "Panel2", "", "", 16, C::RemoteOpen),
        hidden(control(K::Panel, "Panel17", "Panel2")),
        control(K::Button, "SpeedButton5", "Panel17", "Do It", "", 0, C::SendCommandLine),
        control(K::Button, "SpeedButton6", "Panel17", "Commands", "", 0, C::CommandList),
        control(K::ComboBox, "cbCmd", "Panel17"),
        hidden(control(K::Panel, "pnlFtpInfo", "Panel2")),
    };
    out.insert(out.end(), defs.begin(), defs.end());
}

// The commands of the sorting, selecting, view style and case entries of one list.
struct ListCommands {
    Command sort[3];
    Command select[4];
    Command view[4];
    Command changeCase[3];
};

constexpr ListCommands kLocalListCommands = {
    {C::LocalSortByName, C::LocalSortBySize, C::LocalSortByDate},
    {C::LocalSelectAll, C::LocalUnselectByMask, C::LocalSelectByMask, C::LocalInvertSelection},
    {C::LocalViewLargeIcons, C::LocalViewSmallIcons, C::LocalViewList, C::LocalViewDetails},
    {C::LocalUpperCase, C::LocalLowerCase, C::LocalSentenceCase},
};

constexpr ListCommands kRemoteListCommands = {
    {C::RemoteSortByName, C::RemoteSortBySize, C::RemoteSortByDate},
    {C::RemoteSelectAll, C::RemoteUnselectByMask, C::RemoteSelectByMask, C::RemoteInvertSelection},
    {C::RemoteViewLargeIcons, C::RemoteViewSmallIcons, C::RemoteViewList, C::RemoteViewDetails},
    {C::RemoteUpperCase, C::RemoteLowerCase, C::RemoteSentenceCase},
};

// Sorting, selecting, view style and case entries shared by the menus of both lists. The
// suffix keeps the names of the several copies apart; the tags stay as the entries' data.
void addListSubmenus(std::vector<ControlDef>& out, const std::string& parent,
                     const std::string& suffix, int selectSign, const char* viewCaption,
                     const ListCommands& commands) {
    auto name = [&](const char* base) { return std::string(base) + suffix; };
    auto add = [&](const std::string& n, const std::string& p, const char* caption,
                   Command command = C::None, int tag = 0) {
        out.push_back(ControlDef{K::MenuItem, n, p, caption, "", tag, command});
    };
    add(name("Sorting"), parent, "Sorting");
    add(name("Byname"), name("Sorting"), "By name", commands.sort[0], 1);
    add(name("Bysize"), name("Sorting"), "By size", commands.sort[1], 2);
    add(name("Bydate"), name("Sorting"), "By date", commands.sort[2], 3);
    add(name("Select"), parent, "Select ...");
    add(name("All"), name("Select"), "Select All", commands.select[0], selectSign * 1);
    add(name("Unselect"), name("Select"), "Unselect", commands.select[1], selectSign * 2);
    add(name("Mask"), name("Select"), "Mask", commands.select[2], selectSign * 3);
    add(name("Invert"), name("Select"), "Invert", commands.select[3], selectSign * 4);
    add(name("View"), parent, viewCaption);
    add(name("LargeIcons"), name("View"), "&Large Icons", commands.view[0], 0);
    add(name("SmallIcons"), name("View"), "&Small Icons", commands.view[1], 1);
    add(name("List"), name("View"), "&List", commands.view[2], 2);
    add(name("Details"), name("View"), "&Details", commands.view[3], 3);
    add(name("ChangeCase"), parent, "Change Case");
    add(name("UpperCase"), name("ChangeCase"), "UPPER CASE", commands.changeCase[0], 0);
    add(name("LowerCase"), name("ChangeCase"), "lower case", commands.changeCase[1], 1);
    add(name("AsSentence"), name("ChangeCase"), "As sentence", commands.changeCase[2], 2);
}

void addConnectionMenu(std::vector<ControlDef>& out) {
    const std::vector<ControlDef> defs = {
        control(K::Menu, "Connection1", "", "Connection"),
        entry("ConnecttoFTPServer1", "Connection1", "Connect to FTP - Server", C::Connect),
        entry("Disconnect1", "Connection1", "Disconnect", C::Disconnect),
        entry("StopTransfer1", "Connection1", "Stop Transfer", C::Stop),
        entry("TransferType1", "Connection1", "Transfer Type"),
        entry("miAuto", "TransferType1", "Auto", C::TransferAuto, 0),
        entry("miAscii", "TransferType1", "Ascii", C::TransferAscii, 1),
        entry("miBinary", "TransferType1", "Binary", C::TransferBinary, 2),
        entry("Spawnnewsession1", "Connection1", "Create new session", C::NewSession),
        entry("FtpOptions1", "Connection1", "Preferences", C::Preferences),
        entry("Exit1", "Connection1", "&Exit", C::Exit),
    };
    out.insert(out.end(), defs.begin(), defs.end());
}

void addLocalMenu(std::vector<ControlDef>& out) {
    const std::string m = "LocalComputer1";
    out.push_back(control(K::Menu, "LocalComputer1", "", "Local Computer"));
    out.push_back(
        entry("MakeDirectory1", "LocalComputer1", "Make Directory", C::LocalMakeDirectory));
    out.push_back(entry("Delete1", "LocalComputer1", "Delete", C::LocalDelete));
    out.push_back(entry("Rename1", "LocalComputer1", "Rename", C::LocalRename));
    out.push_back(
        entry("UploadSelectedFiles1", "LocalComputer1", "Upload Selected Files", C::Upload));
    addListSubmenus(out, m, "4", 1, "&View", kLocalListCommands);
    out.push_back(
        hidden(entry("Byextension4", "Sorting4", "By extension", C::LocalSortByExtension, 4)));
    out.push_back(entry("Filter1", m.c_str(), "Filter", C::LocalFilter));
    out.push_back(entry("Refresh1", m.c_str(), "Refresh", C::LocalRefresh));
    out.push_back(entry("Viewfile2", m.c_str(), "View as Text File", C::LocalView));
    out.push_back(entry("RunApplication1", m.c_str(), "Run Application", C::LocalRun));
    out.push_back(entry("Font2", m.c_str(), "Font", C::LocalFont, 0));
}

void addServerMenu(std::vector<ControlDef>& out) {
    const char* m = "FTPServer1";
    const std::vector<ControlDef> defs = {
        control(K::Menu, m, "", "FTP - Server"),
        entry("NewServer1", m, "New Server", C::NewServer),
        entry("ServerProperties1", m, "Server Properties", C::ServerProperties),
        entry("MakeDirectory2", m, "Make directory", C::RemoteMakeDirectory),
        entry("DeleteServerDirFile1", m, "Delete Server/Dir/File", C::RemoteDelete),
        entry("Rename2", m, "Rename", C::RemoteRename),
        entry("DownloadSelectedFiles1", m, "Download Selected Files", C::Download),
        entry("CustomCommand1", m, "Custom Command", C::ToggleCommandBar),
        entry("CompareDirectories1", m, "Compare Directories", C::CompareDirectories),
        entry("ChandDirect1", m, "Change Directory", C::RemoteChangeDirectory),
        entry("FileAttributes2", m, "File Attributes", C::RemoteAttributes),
    };
    out.insert(out.end(), defs.begin(), defs.end());
    addListSubmenus(out, m, "6", -1, "&View Files/Servers", kRemoteListCommands);
    out.push_back(entry("Filter4", m, "Filter", C::RemoteFilter));
    out.push_back(entry("Refresh3", m, "Refresh", C::RemoteRefresh));
    out.push_back(entry("Font1", m, "Font", C::RemoteFont, 1));
    out.push_back(hidden(entry("N5", m, "Convert old ftp server list", C::ConvertServerList)));
}

void addAboutMenu(std::vector<ControlDef>& out) {
    const std::vector<ControlDef> defs = {
        control(K::Menu, "About1", "", "About"),
        entry("About2", "About1", "About", C::About),
        entry("Help1", "About1", "Help", C::Help),
        entry("miLang", "About1", "Sprache"),
        checked(entry("miEnglish", "miLang", "Englisch", C::BuiltInLanguage, -1)),
    };
    out.insert(out.end(), defs.begin(), defs.end());
}

void addServerPopup(std::vector<ControlDef>& out) {
    const char* m = "PopupMenu1";
    const std::vector<ControlDef> defs = {
        control(K::PopupMenu, m, "FTPView"),
        entry("NewServer2", m, "&New Server", C::NewServer),
        entry("ServerProperties2", m, "Server &Properties", C::ServerProperties),
        entry("MakeDirectory3", m, "Make Directory", C::RemoteMakeDirectory),
        entry("Rename3", m, "Rename", C::RemoteRename),
        entry("DeleteServerDirFile2", m, "&Delete Server/Dir/File", C::RemoteDelete),
        entry("DownloadSelectedFiles2", m, "Download Selected Files", C::Download),
        entry("CustomCommand2", m, "Custom Command", C::ToggleCommandBar),
        entry("CompareDirectories2", m, "Compare Directories", C::CompareDirectories),
        entry("ChangeDirectory2", m, "Change Directory", C::RemoteChangeDirectory),
        entry("FileAttributes1", m, "File Attributes", C::RemoteAttributes),
    };
    out.insert(out.end(), defs.begin(), defs.end());
    addListSubmenus(out, m, "7", -1, "&View", kRemoteListCommands);
    out.push_back(entry("Filter2", m, "Filter", C::RemoteFilter));
    out.push_back(entry("Refresh2", m, "Refresh", C::RemoteRefresh));
    out.push_back(entry("Font3", m, "Font", C::RemoteFont, 1));
}

void addLocalPopup(std::vector<ControlDef>& out) {
    const char* m = "pupLoc";
    const std::vector<ControlDef> defs = {
        control(K::PopupMenu, m, "lvLoc"),
        entry("MakeDirectory4", m, "Make Directory", C::LocalMakeDirectory),
        entry("Rename4", m, "Rename", C::LocalRename),
        entry("Delete2", m, "&Delete", C::LocalDelete),
        entry("UploadSelectedFiles2", m, "Upload Selected Files", C::Upload),
    };
    out.insert(out.end(), defs.begin(), defs.end());
    addListSubmenus(out, m, "8", 1, "&View", kLocalListCommands);
    out.push_back(entry("Filter3", m, "Filter", C::LocalFilter));
    out.push_back(entry("Refresh4", m, "Refresh", C::LocalRefresh));
    out.push_back(entry("Viewfile1", m, "View as Text File", C::LocalView));
    out.push_back(entry("RunApplication2", m, "Run Application", C::LocalRun));
    out.push_back(entry("Font4", m, "Font", C::LocalFont, 0));
}

// One entry of some groups carries a name of its own (All1, MenuItem11, ...): language files
// address it by that name.
void nameGroupEntries(std::vector<ControlDef>& out) {
    const std::pair<const char*, const char*> renames[] = {
        {"All4", "All1"},
        {"Details4", "MenuItem11"},
        {"UpperCase4", "LargeCase1"},
        {"LargeIcons6", "LargeIcons3"},
        {"UpperCase6", "LARGECASE3"},
        {"LargeIcons7", "LargeIcons1"},
    };
    for (ControlDef& def : out)
        for (const auto& [from, to] : renames)
            if (def.name == from)
                def.name = to;
}

std::vector<ControlDef> buildControls() {
    std::vector<ControlDef> out;
    addWindowControls(out);
    addConnectionMenu(out);
    addLocalMenu(out);
    addServerMenu(out);
    addAboutMenu(out);
    addServerPopup(out);
    addLocalPopup(out);
    nameGroupEntries(out);
    return out;
}

}  // namespace

const std::vector<ControlDef>& mainWindowControls() {
    static const std::vector<ControlDef> controls = buildControls();
    return controls;
}

void defineMainWindowControls(PresentationModel& model) {
    for (const ControlDef& def : mainWindowControls()) {
        ControlState state;
        state.text = def.caption;
        state.hint = def.hint;
        state.tag = def.tag;
        state.visible = def.visible;
        state.checked = def.checked;
        model.defineControl(def.name, std::move(state));
    }
}

}  // namespace quay
