#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/named_objects.h"

namespace quay {

// The texts the program builds in code (message boxes, prompts, window titles, column
// headings), each named by what it says. Language files reach them through the pseudo-form
// "Messages": the entry "Messages.<key>.Text" replaces the built-in text of <key>.
enum class Message {
    LocalColumnName,
    LocalColumnSize,
    LocalColumnDate,
    LocalColumnTime,
    RemoteColumnName,
    RemoteColumnSize,
    RemoteColumnDate,
    RemoteColumnTime,
    RemoteColumnAttributes,
    ServerPropertiesTitle,
    OptionsTitle,
    Attention,
    ExitQuestion,
    DeleteFiles,
    DeleteFilesAndFolders,
    LocalRenameTitle,
    LocalRenamePrompt,
    LocalMakeDirectoryTitle,
    LocalMakeDirectoryPrompt,
    RemoteRenameFileTitle,
    RemoteRenameFilePrompt,
    RemoteRenameDirectoryTitle,
    RemoteRenameDirectoryPrompt,
    RenameTargetExists,
    FileExists,
    ChangeDirectoryTitle,
    RemoteFilterTitle,
    LocalFilterTitle,
    LocalSelectTitle,
    RemoteSelectTitle,
    MaskPrompt,
    RemoteMakeDirectoryTitle,
    RemoteMakeDirectoryPrompt,
    NewFolderTitle,
    NewFolderPrompt,
    FolderNotCreated,
    RenameFolderTitle,
    RenameFolderPrompt,
    PasswordTitle,
    PasswordPrompt,
    RemoteDeleteFile,
    RemoteDeleteDirectory,
    RemoteDeleteEntries,
    RemoteDeleteEntriesOneDirectory,
    RemoteDeleteEntriesDirectories,
    ServerListRoot,
    ServerListCaption,
    Encrypted,
    LogName,
    ServerPathName,
    CommandLineName,
    AboutTitle,
    AboutText,
    CertificateTitle,
    CertificateNotVerified,
    CertificateChanged,
    CertificateSubject,
    CertificateIssuer,
    CertificateValidFrom,
    CertificateValidUntil,
    CertificateFingerprint,
    CertificateReason,
    AttributesTitle,
    RewriteTitle,
    CommandListTitle,
    HelpTitle,
    ProgressSending,
    ProgressReceiving,
    AddExtensionTitle,
    EditExtensionTitle,
    EnterPrompt,
    AddKeepCommandTitle,
    AddKeepCommandPrompt,
    LogFileTitle,
    LogFileFilter,
    ChooseDirectoryTitle,
    BrowseLocalDirectoryTitle,
    PropertiesErrorTitle,
    NewLayoutTitle,
    EditLayoutTitle,
    LayoutNameUnstorable,
    ServerNameRequired,
    PasswordUnstorable,
    FieldUnstorable,
    FieldName,
    FieldServer,
    FieldPort,
    FieldUser,
    FieldAccount,
    FieldEMail,
    FieldRemoteDirectory,
    FieldLocalDirectory,
    FieldDescription,
    CannotReadFile,
    CannotCreateDirectory,
    CannotWriteFile,
    LocalSummary,
    RemoteSummary,
    SizeInBytes,
    StatusConnecting,
    StatusListing,
    StatusDownloading,
    StatusUploading,
    StatusDeleting,
    QueueTab,
    LogAndQueueName,
    QueueListName,
    QueueColumnDirection,
    QueueColumnLocal,
    QueueColumnRemote,
    QueueColumnSize,
    QueueColumnState,
    QueueUpload,
    QueueDownload,
    QueueStopFile,
    QueueStopBatch,
    QueueStopAll,
    QueueRetry,
    ScrollLeftName,
    ScrollRightName,
    QueueWaiting,
    QueueRunning,
    QueueDone,
    QueueFailed,
    QueueTotals,
    ProgressQueueFiles,
    ProgressRunningFile,
    ProgressRunningBytes,
};

// One text per Message, "%1" to "%9" standing for the arguments of text().
class MessageTexts : public NamedForm {
public:
    MessageTexts();
    ~MessageTexts() override;

    std::string formName() const override { return "Messages"; }
    std::vector<NamedObject*> ownedObjects() override;

    // The text of message with "%1" ... "%9" replaced by the arguments in one pass (an
    // argument's own "%2" stays as it is); a "%" followed by anything else, or a number
    // without an argument, stays as written.
    std::string text(Message message, std::initializer_list<std::string_view> args = {}) const;

    // Every text back to its built-in value.
    void reset();

private:
    class Entry;
    std::vector<std::unique_ptr<Entry>> m_entries;
};

// The text of message in texts, or the built-in text when texts is null.
std::string messageText(const MessageTexts* texts, Message message,
                        std::initializer_list<std::string_view> args = {});

}  // namespace quay
