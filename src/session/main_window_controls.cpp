#include "session/main_window_controls.h"

#include <utility>

namespace quay {

namespace {

using K = ControlKind;

ControlDef control(K kind, const char* name, const char* parent, const char* caption = "",
                   const char* hint = "", int tag = 0, const char* handler = "") {
    return ControlDef{kind, name, parent, caption, hint, tag, handler};
}

ControlDef entry(const char* name, const char* parent, const char* caption,
                 const char* handler = "", int tag = 0) {
    return ControlDef{K::MenuItem, name, parent, caption, "", tag, handler};
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
                "sbConnectClick"),
        control(K::Button, "sbDisConnect", "Panel11", "&Disconnect", "", 0, "sbDisConnectClick"),
        control(K::Button, "sbStop", "Panel11", "&Stop Transfer", "", 0, "sbStopClick"),
        control(K::Label, "Label1", "Panel11", "Quayside Pro"),
        control(K::Label, "Label2", "Panel11", "Two-pane FTP client"),
        hidden(control(K::Label, "lbEncrypted", "Panel11", "")),
        control(K::Edit, "Edit1", "Panel11", "quayside"),
        control(K::Button, "ExplorerButton1", "Panel11", "  Exit", "", 0, "ExplorerButton1Click"),
        control(K::Memo, "Log", ""),
        control(K::Splitter, "Splitter3", ""),
        control(K::Panel, "Panel1", ""),
        control(K::Panel, "Panel6", "Panel1"),
        control(K::Button, "sbMkd1", "Panel6", "MakeDir", "Create new directory", 0, "sbMkd1Click"),
        control(K::Button, "sbRen1", "Panel6", "Rename", "Rename file or directory", 0,
                "sbRen1Click"),
        control(K::Button, "sbDel1", "Panel6", "Delete", "Delete file or directory", 0,
                "sbDel1Click"),
        control(K::Button, "sbView", "Panel6", "View", "View as Text File", 0, "Viewfile2Click"),
        control(K::Button, "sbRun", "Panel6", "Run", "Run application", 0, "sbRunClick"),
        control(K::Panel, "Panel8", "Panel1", "Local computer"),
        control(K::Panel, "Panel4", "Panel1"),
        control(K::DriveCombo, "DriveComboBox1", "Panel4", "", "Select drive"),
        control(K::Button, "SpeedButton4", "Panel4", "", "Up One Level", 16, "SpeedButton4Click"),
        control(K::DirectoryList, "dlbx", "Panel4", "", "Directory on local computer", 0,
                "dlbxClick"),
        control(K::Splitter, "Splitter2", "Panel1"),
        control(K::Panel, "Panel15", "Panel1"),
        control(K::Button, "SpeedButton1", "Panel15", "", "Upload files to FTP - server", 0,
                "SpeedButton1Click"),
        control(K::Button, "SpeedButton2", "Panel15", "", "Download files from FTP - server", 0,
                "SpeedButton2Click"),
        control(K::Panel, "Panel5", "Panel1"),
        control(K::ListView, "lvLoc", "Panel5", "", "", 0, "lvLocDblClick"),
        control(K::Panel, "pnlLocInfo", "Panel5"),
        control(K::Splitter, "Splitter1", ""),
        control(K::Panel, "Panel2", ""),
        control(K::Panel, "Panel7", "Panel2"),
        control(K::Button, "sbNewServer", "Panel7", "New Server", "Add new FTP server (FTP host)",
                0, "sbNewServerClick"),
        control(K::Button, "sbProperties", "Panel7", "&Properties", "Modify FTP server properties",
                0, "sbPropertiesClick"),
        control(K::Button, "sbMkd2", "Panel7", "MakeDir", "Create new directory on FTP server", 0,
                "sbMkd2Click"),
        control(K::Button, "sbRen2", "Panel7", "Rename", "Rename file or directory on FTP server",
                0, "sbRen2Click"),
        control(K::Button, "sbDel2", "Panel7", "Delete",
                "Delete selected directory or file on FTP Server", 0, "sbDel2Click"),
        control(K::Panel, "Panel9", "Panel2", "FTP - servers"),
        control(K::Panel, "FTPPathPanel", "Panel2"),
        control(K::Button, "FTPOneLevelUp", "FTPPathPanel", "", "Up One Level", 16,
                "FTPOneLevelUpClick"),
        control(K::ComboBox, "FTPPath", "FTPPathPanel", "", "", 16, "FTPPathChange"),
        control(K::ListView, "FTPView", "Panel2", "", "", 16, "FTPViewDblClick"),
        hidden(control(K::Panel, "Panel17", "Panel2")),
        control(K::Button, "SpeedButton5", "Panel17", "Do It", "", 0, "SpeedButton5Click"),
        control(K::Button, "SpeedButton6", "Panel17", "Commands", "", 0, "SpeedButton6Click"),
        control(K::ComboBox, "cbCmd", "Panel17"),
        hidden(control(K::Panel, "pnlFtpInfo", "Panel2")),
    };
    out.insert(out.end(), defs.begin(), defs.end());
}

// Sorting, selecting, view style and case entries shared by the menus of both lists. The
// suffix keeps the names of the several copies apart; the tags choose the variant.
void addListSubmenus(std::vector<ControlDef>& out, const std::string& parent,
                     const std::string& suffix, int selectSign, const char* viewCaption,
                     const char* viewHandler, const char* sortHandler, const char* caseHandler) {
    auto name = [&](const char* base) { return std::string(base) + suffix; };
    auto add = [&](const std::string& n, const std::string& p, const char* caption,
                   const char* handler = "", int tag = 0) {
        out.push_back(ControlDef{K::MenuItem, n, p, caption, "", tag, handler});
    };
    add(name("Sorting"), parent, "Sorting");
    add(name("Byname"), name("Sorting"), "By name", sortHandler, 1);
    add(name("Bysize"), name("Sorting"), "By size", sortHandler, 2);
    add(name("Bydate"), name("Sorting"), "By date", sortHandler, 3);
    add(name("Select"), parent, "Select ...");
    add(name("All"), name("Select"), "Select All", "All1Click", selectSign * 1);
    add(name("Unselect"), name("Select"), "Unselect", "All1Click", selectSign * 2);
    add(name("Mask"), name("Select"), "Mask", "All1Click", selectSign * 3);
    add(name("Invert"), name("Select"), "Invert", "All1Click", selectSign * 4);
    add(name("View"), parent, viewCaption);
    add(name("LargeIcons"), name("View"), "&Large Icons", viewHandler, 0);
    add(name("SmallIcons"), name("View"), "&Small Icons", viewHandler, 1);
    add(name("List"), name("View"), "&List", viewHandler, 2);
    add(name("Details"), name("View"), "&Details", viewHandler, 3);
    add(name("ChangeCase"), parent, "Change Case");
    add(name("UpperCase"), name("ChangeCase"), "UPPER CASE", caseHandler, 0);
    add(name("LowerCase"), name("ChangeCase"), "lower case", caseHandler, 1);
    add(name("AsSentence"), name("ChangeCase"), "As sentence", caseHandler, 2);
}

void addConnectionMenu(std::vector<ControlDef>& out) {
    const std::vector<ControlDef> defs = {
        control(K::Menu, "Connection1", "", "Connection"),
        entry("ConnecttoFTPServer1", "Connection1", "Connect to FTP - Server", "sbConnectClick"),
        entry("Disconnect1", "Connection1", "Disconnect", "sbDisConnectClick"),
        entry("StopTransfer1", "Connection1", "Stop Transfer", "sbStopClick"),
        entry("TransferType1", "Connection1", "Transfer Type"),
        entry("miAuto", "TransferType1", "Auto", "miAutoClick", 0),
        entry("miAscii", "TransferType1", "Ascii", "miAutoClick", 1),
        entry("miBinary", "TransferType1", "Binary", "miAutoClick", 2),
        entry("Spawnnewsession1", "Connection1", "Create new session", "Spawnnewsession1Click"),
        entry("FtpOptions1", "Connection1", "Preferences", "FtpOptions1Click"),
        entry("Exit1", "Connection1", "&Exit", "Exit1Click"),
    };
    out.insert(out.end(), defs.begin(), defs.end());
}

void addLocalMenu(std::vector<ControlDef>& out) {
    const std::string m = "LocalComputer1";
    out.push_back(control(K::Menu, "LocalComputer1", "", "Local Computer"));
    out.push_back(entry("MakeDirectory1", "LocalComputer1", "Make Directory", "sbMkd1Click"));
    out.push_back(entry("Delete1", "LocalComputer1", "Delete", "sbDel1Click"));
    out.push_back(entry("Rename1", "LocalComputer1", "Rename", "sbRen1Click"));
    out.push_back(entry("UploadSelectedFiles1", "LocalComputer1", "Upload Selected Files",
                        "SpeedButton1Click"));
    addListSubmenus(out, m, "4", 1, "&View", "MenuItem11Click", "Byname4Click", "LargeCase1Click");
    out.push_back(hidden(entry("Byextension4", "Sorting4", "By extension", "Byname4Click", 4)));
    out.push_back(entry("Filter1", m.c_str(), "Filter", "Filter1Click"));
    out.push_back(entry("Refresh1", m.c_str(), "Refresh", "dlbxChange"));
    out.push_back(entry("Viewfile2", m.c_str(), "View as Text File", "Viewfile2Click"));
    out.push_back(entry("RunApplication1", m.c_str(), "Run Application", "sbRunClick"));
    out.push_back(entry("Font2", m.c_str(), "Font", "Font2Click", 0));
}

void addServerMenu(std::vector<ControlDef>& out) {
    const char* m = "FTPServer1";
    const std::vector<ControlDef> defs = {
        control(K::Menu, m, "", "FTP - Server"),
        entry("NewServer1", m, "New Server", "sbNewServerClick"),
        entry("ServerProperties1", m, "Server Properties", "sbPropertiesClick"),
        entry("MakeDirectory2", m, "Make directory", "sbMkd2Click"),
        entry("DeleteServerDirFile1", m, "Delete Server/Dir/File", "sbDel2Click"),
        entry("Rename2", m, "Rename", "sbRen2Click"),
        entry("DownloadSelectedFiles1", m, "Download Selected Files", "SpeedButton2Click"),
        entry("CustomCommand1", m, "Custom Command", "CustomCommand1Click"),
        entry("CompareDirectories1", m, "Compare Directories", "CompareDirectories1Click"),
        entry("ChandDirect1", m, "Change Directory", "ChandDirect1Click"),
        entry("FileAttributes2", m, "File Attributes", "FileAttributes2Click"),
    };
    out.insert(out.end(), defs.begin(), defs.end());
    addListSubmenus(out, m, "6", -1, "&View Files/Servers", "LargeIcons3Click", "Byname6Click",
                    "LARGECASE3Click");
    out.push_back(entry("Filter4", m, "Filter", "Filter4Click"));
    out.push_back(entry("Refresh3", m, "Refresh", "Refresh3Click"));
    out.push_back(entry("Font1", m, "Font", "Font2Click", 1));
    out.push_back(hidden(entry("N5", m, "Convert old ftp server list", "N5Click")));
}

void addAboutMenu(std::vector<ControlDef>& out) {
    const std::vector<ControlDef> defs = {
        control(K::Menu, "About1", "", "About"),
        entry("About2", "About1", "About", "About2Click"),
        entry("Help1", "About1", "Help", "Help1Click"),
        entry("miLang", "About1", "Sprache"),
        checked(entry("miEnglish", "miLang", "Englisch", "miEnglishClick", -1)),
    };
    out.insert(out.end(), defs.begin(), defs.end());
}

void addServerPopup(std::vector<ControlDef>& out) {
    const char* m = "PopupMenu1";
    const std::vector<ControlDef> defs = {
        control(K::PopupMenu, m, "FTPView"),
        entry("NewServer2", m, "&New Server", "sbNewServerClick"),
        entry("ServerProperties2", m, "Server &Properties", "sbPropertiesClick"),
        entry("MakeDirectory3", m, "Make Directory", "sbMkd2Click"),
        entry("Rename3", m, "Rename", "sbRen2Click"),
        entry("DeleteServerDirFile2", m, "&Delete Server/Dir/File", "sbDel2Click"),
        entry("DownloadSelectedFiles2", m, "Download Selected Files", "SpeedButton2Click"),
        entry("CustomCommand2", m, "Custom Command", "CustomCommand1Click"),
        entry("CompareDirectories2", m, "Compare Directories", "CompareDirectories1Click"),
        entry("ChangeDirectory2", m, "Change Directory", "ChandDirect1Click"),
        entry("FileAttributes1", m, "File Attributes", "FileAttributes2Click"),
    };
    out.insert(out.end(), defs.begin(), defs.end());
    addListSubmenus(out, m, "7", -1, "&View", "LargeIcons1Click", "Byname6Click",
                    "LARGECASE3Click");
    out.push_back(entry("Filter2", m, "Filter", "Filter4Click"));
    out.push_back(entry("Refresh2", m, "Refresh", "Refresh3Click"));
    out.push_back(entry("Font3", m, "Font", "Font2Click", 1));
}

void addLocalPopup(std::vector<ControlDef>& out) {
    const char* m = "pupLoc";
    const std::vector<ControlDef> defs = {
        control(K::PopupMenu, m, "lvLoc"),
        entry("MakeDirectory4", m, "Make Directory", "sbMkd1Click"),
        entry("Rename4", m, "Rename", "sbRen1Click"),
        entry("Delete2", m, "&Delete", "sbDel1Click"),
        entry("UploadSelectedFiles2", m, "Upload Selected Files", "SpeedButton1Click"),
    };
    out.insert(out.end(), defs.begin(), defs.end());
    addListSubmenus(out, m, "8", 1, "&View", "MenuItem11Click", "Byname4Click", "LargeCase1Click");
    out.push_back(entry("Filter3", m, "Filter", "Filter1Click"));
    out.push_back(entry("Refresh4", m, "Refresh", "dlbxChange"));
    out.push_back(entry("Viewfile1", m, "View as Text File", "Viewfile2Click"));
    out.push_back(entry("RunApplication2", m, "Run Application", "sbRunClick"));
    out.push_back(entry("Font4", m, "Font", "Font2Click", 0));
}

// The handlers are named after one entry of their group (All1Click, MenuItem11Click, ...);
// those entries carry exactly that name, as language files address them by it.
void nameHandlerEntries(std::vector<ControlDef>& out) {
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
    nameHandlerEntries(out);
    return out;
}

}  // namespace

const std::vector<ControlDef>& mainWindowControls() {
    static const std::vector<ControlDef> controls = buildControls();
    return controls;
}

}  // namespace quay
