#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/named_objects.h"
#include "config/options.h"

namespace quay {

class Dialogs;

// The headless model of the options dialog (T_Options, form "_Options"). It edits the
// options record in place: construction runs the opening steps (which correct an invalid
// TransferMode and switch LangOn off when there is no language file, in the record, whatever
// button closes the dialog), the view shows the public control states and writes the user's
// changes back at once, and SpeedButton2Click() ("&OK") copies the controls into the record.
// Cancel is simply not calling it. Questions and choosers go through the Dialogs given.
//
// Up-down values outside their range are kept as read: the view shows them at the nearest
// limit, and OK stores them unchanged unless the user set another value.
class OptionsDialogModel {
public:
    static constexpr std::string_view Caption = "Programm Optionen ";
    static constexpr int HelpContext = 10;
    // Colours as RGB numbers.
    static constexpr int White = 0xFFFFFF;
    static constexpr int Silver = 0xC0C0C0;
    static constexpr int Grey = 0x808080;
    static constexpr int Black = 0x000000;

    // The tree TreeView1 in pre-order: caption and parent position (-1 for a top node). A
    // node's position is the tag of the page it shows.
    struct TreeNode {
        std::string_view caption;
        int parent;
    };
    static constexpr std::array<TreeNode, 7> Tree = {{{"Verbindung", -1},
                                                      {"ASCII / Bin\xC3\xA4r", 0},
                                                      {"Protokoll", 0},
                                                      {"Verbindung aufrechterhalten", 0},
                                                      {"Proxy / Firewall ", 0},
                                                      {"Display / Prompts", -1},
                                                      {"Sprache", -1}}};
    // The pages of PageControl1 by tag: name and caption.
    struct Page {
        std::string_view name;
        std::string_view caption;
    };
    static constexpr std::array<Page, 7> Pages = {{{"TabSheet1", "Connection"},
                                                   {"TabSheet2", "Ascii/Binary"},
                                                   {"TabSheet4", "Log "},
                                                   {"TabSheet5", "Keep Alive"},
                                                   {"TabSheet6", "Proxy / Firewall "},
                                                   {"TabSheet7", "Display / Prompts"},
                                                   {"Language", "Sprache"}}};
    static constexpr std::array<std::string_view, 3> TransferModes = {"Automatische Erkennung",
                                                                      "ASCII", "Bin\xC3\xA4r"};
    static constexpr std::array<std::string_view, 5> ConnectionTypes = {
        "Direkte Verbindung", "Proxy", "Sockets 4", "Sockets 4 A", "Sockets 5"};
    static constexpr std::array<std::string_view, 7> FirewallTypes = {
        "General",        "SITE site", "USER user", "USER with logon",
        "USER/PASS/ACCT", "OPEN site", "Custom"};
    static constexpr std::array<std::string_view, 3> DefaultActions = {"Skip", "Overwrite",
                                                                       "Resume"};
    static constexpr std::array<std::string_view, 2> DateFormats = {"Standard (Europa)", "USA"};

    struct Range {
        int min;
        int max;
    };
    static constexpr Range TimeOutRange{10, 32767};
    static constexpr Range RetryRange{0, 32767};
    static constexpr Range ConnectionsRange{1, 10};
    static constexpr Range KeepRange{1, 1000};
    static constexpr Range DurationRange{1, 100};

    // Runs the opening steps on record, which must outlive the model.
    OptionsDialogModel(Options& record, std::filesystem::path dataDir, Dialogs& dialogs);

    // The dialog as the translation sees it, for the language preview; set by the view.
    NamedForm* form = nullptr;

    int page = 0;  // the tag of the page shown

    // Connection
    int udTimeOut, udRetry;
    int udConnections;  // simultaneous transfers
    bool cbAno;
    std::string eAno;
    bool cbSync, cbPassiveTransfer;
    // Ascii/Binary
    int rgMode;
    std::vector<std::string> lbExt;
    int lbExtIndex = -1;  // the selected extension, -1 for none
    // Log
    bool cbLog;
    std::string eLogFile;
    // Keep Alive
    bool cbKeep;
    int udKeep, udDuration;
    std::vector<std::string> lbKeep;
    int lbKeepIndex = -1;
    // Proxy / Firewall
    int rgType;
    std::string eProxy, eProxyPort, eProxyPsw;
    bool cbProxyPswMask;
    std::string eSocks, eSocksPort, eSocksPsw, eSocksUC;
    bool cbSocksPswMask;
    bool cbFW = false;  // the stored fwEnable is never shown
    int gbFWTag;        // the firewall type
    std::string eFWSimbol;
    // Display / Prompts
    std::string ePath;
    std::string fontName;  // the font of sbFont
    int fontSize, fontColor;
    bool cbDownLoad, cbUpload;
    bool cbAskDelete;  // delete on the server asks first
    int gbPromptTag, gbDateTag;
    // Sprache
    bool cbLng, cbLngInit;
    const std::vector<std::string>& cbFLngItems() const { return m_languages; }
    int cbFLngIndex = -1;

    // A change of the selected tree node (its pre-order position).
    void TreeView1Change(int position);
    // Chooses an entry of cbFLng; while cbLng is checked the dialog previews that language.
    void cbFLngChange(int index);

    // Extensions: "Add" (tag 0) or "Modify" (tag 1) through the input prompt; "Remove".
    void SpeedButton6Click(int tag);
    void SpeedButton7Click();
    // Keep-alive commands: "Add" through the input prompt; "Delete".
    void SpeedButton4Click();
    void SpeedButton5Click();
    // The choosers: log file, initial directory, font.
    void SpeedButton1Click();
    void SpeedButton10Click();
    void sbFontClick();

    // Enabling and colouring rules.
    bool pnlProxyEnabled() const { return rgType == 1; }
    bool pnlSocksEnabled() const { return rgType >= 2; }
    int proxyEditColor() const { return pnlProxyEnabled() ? White : Silver; }
    int socksEditColor() const { return pnlSocksEnabled() ? White : Silver; }
    bool eAnoEnabled() const { return cbAno; }
    int eAnoColor() const { return cbAno ? White : Silver; }
    bool gbFWEnabled() const { return cbFW; }
    int gbFWFontColor() const { return cbFW ? Black : Grey; }
    int lbExtColor() const { return rgMode == 1 ? White : Silver; }
    int eLogFileColor() const { return cbLog ? White : Silver; }
    // lbKeep, eKeep and eduration.
    int lbKeepColor() const { return cbKeep ? White : Silver; }
    bool cbFLngEnabled() const { return cbLng; }
    // A password as shown: one '*' per character while its mask box is checked.
    static std::string passwordShown(const std::string& password, bool masked);

    // "&OK": copies the controls into the record (the caller then saves it).
    void SpeedButton2Click();

private:
    bool ask(const std::string& caption, const std::string& prompt, std::string& value);
    void fillLanguages();

    Options& m_record;
    std::filesystem::path m_dataDir;
    Dialogs& m_dialogs;
    std::vector<std::string> m_languages;
};

}  // namespace quay
