#include "config/message_texts.h"

namespace quay {
namespace {

struct MessageDef {
    Message message;
    const char* key;
    const char* builtIn;
};

// In the order of Message. The built-in texts are the program's long-standing ones, kept
// letter for letter (blanks included) for a user who switches translation off.
constexpr MessageDef kMessages[] = {
    {Message::LocalColumnName, "LocalColumnName", "Dateiname"},
    {Message::LocalColumnSize, "LocalColumnSize",
     "Gr\xc3\xb6\xc3\x9f"
     "e"},
    {Message::LocalColumnDate, "LocalColumnDate", "Datum"},
    {Message::LocalColumnTime, "LocalColumnTime", "Zeit"},
    {Message::RemoteColumnName, "RemoteColumnName", "Dateiname"},
    {Message::RemoteColumnSize, "RemoteColumnSize",
     "Gr\xc3\xb6\xc3\x9f"
     "e"},
    {Message::RemoteColumnDate, "RemoteColumnDate", "Datum "},
    {Message::RemoteColumnTime, "RemoteColumnTime", "Zeit"},
    {Message::RemoteColumnAttributes, "RemoteColumnAttributes", "Datei-Attribute"},
    {Message::ServerPropertiesTitle, "ServerPropertiesTitle", "Server-Eigenschaften"},
    {Message::OptionsTitle, "OptionsTitle", "Programm Optionen "},
    {Message::Attention, "Attention", "Achtung"},
    {Message::ExitQuestion, "ExitQuestion", "Wollen Sie das Programm wirklich beenden?"},
    {Message::DeleteFiles, "DeleteFiles",
     "M\xc3\xb6"
     "chten Sie %1 Dateien l\xc3\xb6schen?"},
    {Message::DeleteFilesAndFolders, "DeleteFilesAndFolders",
     "M\xc3\xb6"
     "chten Sie %1 Dateien l\xc3\xb6schen? und %2 Ordner "},
    {Message::LocalRenameTitle, "LocalRenameTitle", "Umbenennen"},
    {Message::LocalRenamePrompt, "LocalRenamePrompt", "Neuen eingeben:"},
    {Message::LocalMakeDirectoryTitle, "LocalMakeDirectoryTitle", "Verzeichnis erstellen"},
    {Message::LocalMakeDirectoryPrompt, "LocalMakeDirectoryPrompt",
     " Neuen Verzeichnisnamen eingeben:"},
    {Message::RemoteRenameFileTitle, "RemoteRenameFileTitle", "Umbenennen Dateiname:"},
    {Message::RemoteRenameFilePrompt, "RemoteRenameFilePrompt",
     "Neuen eingeben Dateiname: dateiname:"},
    {Message::RemoteRenameDirectoryTitle, "RemoteRenameDirectoryTitle", "Umbenennen Verzeichnis:"},
    {Message::RemoteRenameDirectoryPrompt, "RemoteRenameDirectoryPrompt",
     "Neuen eingeben Verzeichnis: dateiname:"},
    {Message::RenameTargetExists, "RenameTargetExists", "\"%1\" exists already: not renamed."},
    {Message::FileExists, "FileExists", "File is already exist !"},
    {Message::ChangeDirectoryTitle, "ChangeDirectoryTitle", "Verzeichnis wechseln"},
    {Message::RemoteFilterTitle, "RemoteFilterTitle", "Filter"},
    {Message::LocalFilterTitle, "LocalFilterTitle", "Lokale Auswahl"},
    {Message::LocalSelectTitle, "LocalSelectTitle", "Lokal Filter"},
    {Message::RemoteSelectTitle, "RemoteSelectTitle", "Ftp Filter"},
    {Message::MaskPrompt, "MaskPrompt", "Maske"},
    {Message::RemoteMakeDirectoryTitle, "RemoteMakeDirectoryTitle", "Verzeichnis erstellen"},
    {Message::RemoteMakeDirectoryPrompt, "RemoteMakeDirectoryPrompt",
     "Neuen Verzeichnisnamen eingeben"},
    {Message::NewFolderTitle, "NewFolderTitle", "Verzeichnis erstellen"},
    {Message::NewFolderPrompt, "NewFolderPrompt", "Neuen Verzeichnisnamen eingeben"},
    {Message::FolderNotCreated, "FolderNotCreated", "Can Not Create the Directory :%1"},
    {Message::RenameFolderTitle, "RenameFolderTitle", "Umbenennen "},
    {Message::RenameFolderPrompt, "RenameFolderPrompt", "Neuen eingeben  "},
    {Message::PasswordTitle, "PasswordTitle", "Enter password"},
    {Message::PasswordPrompt, "PasswordPrompt", "Password:"},
    {Message::RemoteDeleteFile, "RemoteDeleteFile", "Delete '%1' from the server?"},
    {Message::RemoteDeleteDirectory, "RemoteDeleteDirectory",
     "Delete '%1' and everything in it from the server?"},
    {Message::RemoteDeleteEntries, "RemoteDeleteEntries", "Delete %1 entries from the server?"},
    {Message::RemoteDeleteEntriesOneDirectory, "RemoteDeleteEntriesOneDirectory",
     "Delete %1 entries from the server, 1 of them a directory with everything in it?"},
    {Message::RemoteDeleteEntriesDirectories, "RemoteDeleteEntriesDirectories",
     "Delete %1 entries from the server, %2 of them directories with everything in them?"},
    {Message::ServerListRoot, "ServerListRoot", "Server Liste ..."},
    {Message::ServerListCaption, "ServerListCaption", "FTP-Server"},
    {Message::Encrypted, "Encrypted", "Encrypted (%1)"},
    {Message::LogName, "LogName", "Log"},
    {Message::ServerPathName, "ServerPathName", "Server path"},
    {Message::CommandLineName, "CommandLineName", "FTP command"},
    {Message::AboutTitle, "AboutTitle", "About"},
    {Message::AboutText, "AboutText", "Quayside Pro\n\nA two-pane FTP client."},
    {Message::CertificateTitle, "CertificateTitle", "Unknown certificate"},
    {Message::CertificateNotVerified, "CertificateNotVerified",
     "The certificate of %1 could not be verified."},
    {Message::CertificateChanged, "CertificateChanged",
     "The certificate of %1 has changed since you chose to trust it."},
    {Message::CertificateSubject, "CertificateSubject", "Subject:"},
    {Message::CertificateIssuer, "CertificateIssuer", "Issuer:"},
    {Message::CertificateValidFrom, "CertificateValidFrom", "Valid from:"},
    {Message::CertificateValidUntil, "CertificateValidUntil", "Valid until:"},
    {Message::CertificateFingerprint, "CertificateFingerprint", "SHA-256 fingerprint:"},
    {Message::CertificateReason, "CertificateReason", "Reason:"},
    {Message::AttributesTitle, "AttributesTitle", "Change File Attributes"},
    {Message::RewriteTitle, "RewriteTitle", "Rewrite Files Prompt"},
    {Message::CommandListTitle, "CommandListTitle", "Commands"},
    {Message::HelpTitle, "HelpTitle", "Quayside Pro Help"},
    {Message::ProgressSending, "ProgressSending", "Sending   %1 (%2 bytes)"},
    {Message::ProgressReceiving, "ProgressReceiving", "Receiving %1 (%2 bytes)"},
    {Message::AddExtensionTitle, "AddExtensionTitle", "Add extention"},
    {Message::EditExtensionTitle, "EditExtensionTitle", "Edit extention"},
    {Message::EnterPrompt, "EnterPrompt", "Enter"},
    {Message::AddKeepCommandTitle, "AddKeepCommandTitle", "Kommando hinzuf\xC3\xBCgen"},
    {Message::AddKeepCommandPrompt, "AddKeepCommandPrompt", "Kommando eingeben"},
    {Message::LogFileTitle, "LogFileTitle", "Choose Log file"},
    {Message::LogFileFilter, "LogFileFilter",
     "Log Files (*.log)|*.log|Text Files (*.Txt)|*.txt|All Files (*.*)|*.*"},
    {Message::ChooseDirectoryTitle, "ChooseDirectoryTitle", "Choice Directory"},
    {Message::BrowseLocalDirectoryTitle, "BrowseLocalDirectoryTitle", "Verzeichnis w\xC3\xA4hlen"},
    {Message::PropertiesErrorTitle, "PropertiesErrorTitle", "Attention"},
    {Message::NewLayoutTitle, "NewLayoutTitle", "New Host Type"},
    {Message::EditLayoutTitle, "EditLayoutTitle", "Edit Host Type"},
    {Message::LayoutNameUnstorable, "LayoutNameUnstorable",
     "%1: the name cannot contain \";\" or a line break"},
    {Message::ServerNameRequired, "ServerNameRequired", "FTP Server Name must be defined"},
    {Message::PasswordUnstorable, "PasswordUnstorable",
     "The password contains a character that cannot be saved in the server list"},
    {Message::FieldUnstorable, "FieldUnstorable", "\"%1\" cannot contain \";\" or a line break"},
    {Message::FieldName, "FieldName", "Name"},
    {Message::FieldServer, "FieldServer", "FTP Server"},
    {Message::FieldPort, "FieldPort", "FTP Port"},
    {Message::FieldUser, "FieldUser", "User ID"},
    {Message::FieldAccount, "FieldAccount", "Account"},
    {Message::FieldEMail, "FieldEMail", "E-Mail"},
    {Message::FieldRemoteDirectory, "FieldRemoteDirectory", "Initial Directory on FTP Server"},
    {Message::FieldLocalDirectory, "FieldLocalDirectory", "Initial Directory on Local Machine"},
    {Message::FieldDescription, "FieldDescription", "Description"},
    {Message::CannotReadFile, "CannotReadFile", "Can not read the file:%1"},
    {Message::CannotCreateDirectory, "CannotCreateDirectory", "Can not create the directory:%1"},
    {Message::CannotWriteFile, "CannotWriteFile", "Can not write the file:%1"},
    {Message::LocalSummary, "LocalSummary", "%1 bytes (%2 Kb) in %3  Dateie(n)"},
    {Message::RemoteSummary, "RemoteSummary", "%1 byte (%2 Kb) in %3 file(s)"},
    // The texts below came with the status line and the size column's tooltip.
    {Message::SizeInBytes, "SizeInBytes", "%1 bytes"},
    {Message::StatusConnecting, "StatusConnecting", "Connecting to %1"},
    {Message::StatusListing, "StatusListing", "Listing %1"},
    {Message::StatusDownloading, "StatusDownloading", "Downloading %1 of %2"},
    {Message::StatusUploading, "StatusUploading", "Uploading %1 of %2"},
    {Message::StatusDeleting, "StatusDeleting", "Deleting %1"},
    {Message::QueueTab, "QueueTab", "Queue"},
    {Message::LogAndQueueName, "LogAndQueueName", "Log and transfer queue"},
    {Message::QueueListName, "QueueListName", "Transfer queue"},
    {Message::QueueColumnDirection, "QueueColumnDirection", "Direction"},
    {Message::QueueColumnLocal, "QueueColumnLocal", "Local"},
    {Message::QueueColumnRemote, "QueueColumnRemote", "Remote"},
    {Message::QueueColumnSize, "QueueColumnSize", "Size"},
    {Message::QueueColumnState, "QueueColumnState", "State"},
    {Message::QueueUpload, "QueueUpload", "Upload"},
    {Message::QueueDownload, "QueueDownload", "Download"},
    {Message::QueueStopFile, "QueueStopFile", "Stop file"},
    {Message::QueueStopBatch, "QueueStopBatch", "Stop batch"},
    {Message::QueueStopAll, "QueueStopAll", "Stop all"},
    {Message::QueueRetry, "QueueRetry", "Retry failed"},
    {Message::ScrollLeftName, "ScrollLeftName", "Scroll left"},
    {Message::ScrollRightName, "ScrollRightName", "Scroll right"},
    {Message::QueueWaiting, "QueueWaiting", "waiting"},
    {Message::QueueRunning, "QueueRunning", "running %1"},
    {Message::QueueDone, "QueueDone", "done"},
    {Message::QueueFailed, "QueueFailed", "failed: %1"},
    {Message::QueueTotals, "QueueTotals", "%1 of %2 files done, %3 failed; %4 of %5 bytes"},
    {Message::ProgressQueueFiles, "ProgressQueueFiles", "%1 files"},
    {Message::ProgressRunningFile, "ProgressRunningFile", "%1 (%2%)"},
    {Message::ProgressRunningBytes, "ProgressRunningBytes", "%1 (%2 bytes)"},
};

constexpr const char* kTextProperty = "Text";

std::string substitute(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool placeholder =
            text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
        const std::size_t index = placeholder ? static_cast<std::size_t>(text[i + 1] - '1') : 0;
        if (placeholder && index < args.size()) {
            out += *(args.begin() + index);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

class MessageTexts::Entry : public NamedObject {
public:
    explicit Entry(const MessageDef& def) : m_def(def), m_text(def.builtIn) {}

    std::string objectName() const override { return m_def.key; }
    std::vector<std::string> stringPropertyNames() const override { return {kTextProperty}; }
    std::string stringProperty(const std::string&) const override { return m_text; }
    void setStringProperty(const std::string&, const std::string& value) override {
        m_text = value;
    }

    const std::string& text() const { return m_text; }
    void reset() { m_text = m_def.builtIn; }

private:
    const MessageDef& m_def;
    std::string m_text;
};

MessageTexts::MessageTexts() {
    for (const MessageDef& def : kMessages) {
        m_entries.push_back(std::make_unique<Entry>(def));
    }
}

MessageTexts::~MessageTexts() = default;

std::vector<NamedObject*> MessageTexts::ownedObjects() {
    std::vector<NamedObject*> objects;
    for (const auto& entry : m_entries) {
        objects.push_back(entry.get());
    }
    return objects;
}

std::string MessageTexts::text(Message message,
                               std::initializer_list<std::string_view> args) const {
    return substitute(m_entries.at(static_cast<std::size_t>(message))->text(), args);
}

std::string messageText(const MessageTexts* texts, Message message,
                        std::initializer_list<std::string_view> args) {
    static const MessageTexts builtIn;
    return (texts != nullptr ? *texts : builtIn).text(message, args);
}

void MessageTexts::reset() {
    for (const auto& entry : m_entries) {
        entry->reset();
    }
}

}  // namespace quay
