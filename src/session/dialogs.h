#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "config/message_texts.h"
#include "config/named_objects.h"
#include "config/options.h"
#include "net/tls_context.h"
#include "panes/chmod_model.h"
#include "panes/command_list_model.h"
#include "sites/server_properties.h"

namespace quay {

class OptionsDialogModel;

// Every modal question the core asks goes through this interface. The Qt layer answers
// with real dialogs; tests answer with scripted values. A method returns only when the
// user has answered; implementations may run a nested event loop meanwhile.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum Buttons : unsigned { Ok = 1, Cancel = 2, Yes = 4, No = 8 };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    // What every window calls when it is created, before it shows anything of the caller's:
    // the translation (and template export) of its texts. Set by the session controller;
    // implementations that create windows call it when it is set.
    std::function<void(NamedForm& window)> translateWindow;

    // The texts built in code in the chosen language; set by the session controller. Unset,
    // the built-in texts.
    const MessageTexts* messageTexts = nullptr;

    std::string text(Message message, std::initializer_list<std::string_view> args = {}) const {
        return messageText(messageTexts, message, args);
    }

    // A message box with the given caption, text, icon and buttons.
    virtual Answer messageBox(const std::string& caption, const std::string& text, Icon icon,
                              unsigned buttons) = 0;

    // The one-line input prompt: true and the edited value when confirmed; false when
    // cancelled (value unchanged). With masked set, the input is shown as stars.
    virtual bool inputPrompt(const std::string& caption, const std::string& prompt,
                             std::string& value, bool masked) = 0;

    // The server properties dialog on model, until the user cancels or presses OK and
    // model.SpeedButton2Click() lets the dialog close; true on OK. The caller then ends the
    // dialog with model.finish(). Implementations without this dialog cancel it.
    virtual bool serverProperties(ServerPropertiesModel& model) {
        (void)model;
        return false;
    }

    // The font dialog preset with font; true and the chosen font when confirmed, false
    // (font unchanged) when cancelled. The size is chosen only when font has one.
    // Implementations without this dialog cancel it.
    virtual bool chooseFont(PaneFont& font) {
        (void)font;
        return false;
    }

    // The options dialog on model until the user presses OK (true) or cancels (false); the
    // caller stores the model on OK. Implementations without this dialog cancel it.
    virtual bool options(OptionsDialogModel& model) {
        (void)model;
        return false;
    }

    // A file chooser for an existing or new file: title, a filter as pairs of name and
    // pattern separated by "|" ("Log Files (*.log)|*.log|..."), fileName the start and, on
    // true, the choice. Implementations without this dialog cancel it.
    virtual bool chooseFile(const std::string& title, const std::string& filter,
                            std::string& fileName) {
        (void)title;
        (void)filter;
        (void)fileName;
        return false;
    }

    // A directory chooser starting at directory; true and the choice when confirmed.
    // Implementations without this dialog cancel it.
    virtual bool chooseDirectory(const std::string& caption, std::string& directory) {
        (void)caption;
        (void)directory;
        return false;
    }

    // The answers of the overwrite prompt, in the order of its buttons.
    enum class Overwrite { Resume, Overwrite, All, Skip, SaveAs, Cancel };

    // The overwrite prompt ("Rewrite Files Prompt") for an existing target fileName. For
    // SaveAs, newPath holds the new path the user confirmed in the dialog's own "Save as ..."
    // query (cancelling that query keeps the prompt open). Implementations without this
    // dialog answer Cancel.
    virtual Overwrite askOverwrite(const std::string& fileName, std::string& newPath) {
        (void)fileName;
        (void)newPath;
        return Overwrite::Cancel;
    }

    // The permissions dialog "Change File Attributes" on model until the user closes it; true
    // when closed with "Ok" (the caller reads model.result()). Implementations without this
    // dialog cancel it.
    virtual bool changeAttributes(ChmodModel& model) {
        (void)model;
        return false;
    }

    // The command list dialog "Commands" on model until the user closes it; returns how it
    // was closed (the caller takes model.close() of it). Implementations without this dialog
    // close it at once.
    virtual CommandListModel::Close commandList(CommandListModel& model) {
        (void)model;
        return CommandListModel::Close::Close;
    }

    // A server certificate that did not verify (or is not the one trusted before).
    struct CertificateQuestion {
        // "host:port" as the user knows the server.
        std::string server;
        TlsCertificate certificate;
        // The server had another certificate that the user chose to always trust.
        bool changed = false;
    };
    enum class CertificateAnswer { Refuse, AcceptOnce, AlwaysTrust };

    // The dialog "Unknown certificate": subject, issuer, validity, SHA-256 fingerprint and the
    // reason, saying so when the certificate changed, with the buttons "Refuse", "Accept once"
    // and "Always trust". Implementations without this dialog refuse.
    virtual CertificateAnswer askCertificate(const CertificateQuestion& question) {
        (void)question;
        return CertificateAnswer::Refuse;
    }

    // The input prompt as every caller uses it: caption, prompt and the value shown are cut
    // to 255 bytes; on OK value takes the answer cut to maxLength, on Cancel it stays as it
    // was.
    bool showInputForm(std::string_view caption, std::string_view prompt, std::string& value,
                       bool masked, std::size_t maxLength) {
        constexpr std::size_t TextLimit = 255;
        std::string answer(std::string_view(value).substr(0, TextLimit));
        if (!inputPrompt(std::string(caption.substr(0, TextLimit)),
                         std::string(prompt.substr(0, TextLimit)), answer, masked))
            return false;
        value = answer.substr(0, maxLength);
        return true;
    }
};

}  // namespace quay
