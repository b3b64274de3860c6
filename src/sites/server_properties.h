#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/message_texts.h"
#include "sites/layouts_file.h"
#include "sites/server_info.h"

namespace quay {

// The headless model of the server properties dialog (TFFtpBase): it edits a copy of one
// server record, including its listing type and the named layouts of "Answer.txt". A view
// shows the public edit texts and the states the getters report, writes typed text into the
// edit texts and calls the setters and handlers for clicks; it asks the user only through
// the two callbacks. Construction runs the opening steps (and reads "Answer.txt");
// finish() ends the dialog, rewriting "Answer.txt" whether it was confirmed or not.
class ServerPropertiesModel {
public:
    static constexpr std::string_view Caption = "Server-Eigenschaften";
    static constexpr std::string_view HelpFile = "quayhelp.hlp";
    static constexpr int HelpContext = 10;
    // The server types of cbType; the index is the first character of the layout code.
    static constexpr std::array<std::string_view, 9> ServerTypes = {"Default",
                                                                    "Text",
                                                                    "Microsoft FTP-v.4.0.",
                                                                    "Mac",
                                                                    "Custom",
                                                                    "VMS",
                                                                    "Microsoft FTP-v.5.0.",
                                                                    "WU-FTP server",
                                                                    "Windows 2000 Advanced Server"};
    static constexpr int CustomType = 4;
    // The items of the "Security" combo box; the index is FtpServerInfo::Security.
    static constexpr std::array<std::string_view, 4> SecurityModes = {
        "Plain FTP", "FTPS if offered", "Require explicit FTPS", "Implicit FTPS"};
    enum Column { eFName, eFSize, eFDate, eFDate2, eFTime, eFAttr };

    ServerPropertiesModel(const FtpServerInfo& info, std::filesystem::path dataDir);

    // Asks for a layout name (caption "New Host Type" or "Edit Host Type", prompt "Enter",
    // at most 255 characters); true and the name on OK.
    std::function<bool(const std::string& caption, std::string& name)> askLayoutName;
    // An error message with the caption "Attention" and an error icon.
    std::function<void(const std::string& caption, const std::string& text)> showError;
    // The texts of the questions and refusals in the language shown; null, the built-in texts.
    const MessageTexts* messages = nullptr;

    // Edit texts, as the user typed them.
    std::string NameEdt, ServerEdt, PortEdt, UserEdt, PasswordEdt, AccountEdt, EMailEdt;
    std::string RemoteDirEdt, LocalDir;
    std::vector<std::string> mDesc;      // the description, one entry per line
    std::array<std::string, 6> columns;  // eFName .. eFAttr

    int securityIndex() const { return m_security; }
    void setSecurityIndex(int index) {
        if (index >= 0 && index <= FtpServerInfo::SecurityLimit)
            m_security = index;
    }
    bool cbPv() const { return m_cbPv; }
    bool cbVH() const { return m_cbVH; }
    bool cbMPsw() const { return m_cbMPsw; }
    bool AnonymousCB() const { return m_anonymous; }
    bool SavePasswordCB() const { return m_savePassword; }
    bool cbPD() const { return m_cbPD; }
    // The e-mail and log-in edits follow AnonymousCB (see emailEnabled()).
    void setCbPv(bool checked) { m_cbPv = checked; }
    void setCbVH(bool checked) { m_cbVH = checked; }
    void setAnonymousCB(bool checked) { m_anonymous = checked; }
    void setCbMPsw(bool checked) { m_cbMPsw = checked; }
    void setSavePasswordCB(bool checked) { m_savePassword = checked; }
    // Adds or removes the leading '/' of the trimmed remote directory.
    void setCbPD(bool checked);

    bool emailEnabled() const { return m_anonymous; }
    // UserEdt, PasswordEdt and AccountEdt.
    bool loginEnabled() const { return !emailEnabled(); }
    // The password as shown: one '*' per character while masked.
    std::string passwordShown() const;

    int typeIndex() const { return m_typeIndex; }
    void cbTypeChange(int index);
    bool pnlCustomVisible() const { return m_typeIndex == CustomType; }

    const std::vector<std::string>& layoutNames() const { return m_layouts.names; }
    const std::vector<std::string>& layoutCodes() const { return m_layouts.codes; }
    int layoutIndex() const { return m_layoutIndex; }
    bool columnsEnabled() const { return m_layoutIndex > 0; }
    void cbNameChange(int index);
    void SpeedButton3Click();  // add a layout
    void SpeedButton5Click();  // rename a layout
    void SpeedButton4Click();  // delete a layout

    // A key typed into a column edit at cursor: a digit is inserted, anything else deletes
    // the character before the cursor.
    static void typeColumnKey(std::string& text, std::size_t& cursor, char key);

    // The folder chooser starts here: the record's local directory when it exists, else
    // the data directory. A chosen folder goes into LocalDir.
    std::filesystem::path browseStart() const;
    void folderChosen(const std::string& folder);

    // "OK": true when the dialog may close; otherwise the reason is shown (no name or server,
    // or a value the server list cannot store).
    bool SpeedButton2Click();
    // Ends the dialog: rewrites "Answer.txt"; with ok, the record takes the edited values.
    // Returns false when "Answer.txt" could not be written.
    bool finish(bool ok);
    // The edited record (the copy given to the constructor until finish(true)).
    const FtpServerInfo& record() const { return m_info; }

private:
    void loadLayouts();
    void loadType();
    void fillColumns(std::string_view code);
    void storeColumnsInSelected();
    void selectLayout(int index);
    // askLayoutName, refusing (with a message) a name the server list could not store.
    bool askStorableLayoutName(const std::string& caption, std::string& name) const;
    void applyEdits();
    void error(const std::string& text) const;
    // The label of the first edit whose stored value the list file could not give back.
    std::optional<Message> unstorableField() const;
    std::string text(Message message, std::initializer_list<std::string_view> args = {}) const {
        return messageText(messages, message, args);
    }

    FtpServerInfo m_info;
    std::filesystem::path m_dataDir;
    Layouts m_layouts;
    int m_layoutIndex = -1;
    int m_typeIndex = 0;
    bool m_cbPv = false, m_cbVH = false, m_cbMPsw = false, m_anonymous = false;
    int m_security = 0;
    bool m_savePassword = false, m_cbPD = false;
};

}  // namespace quay
