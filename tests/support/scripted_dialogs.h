#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/dialogs.h"
#include "session/options_dialog.h"

namespace quay::test {

// Dialogs answered from scripts, recording every question asked. A question without a
// scripted answer left is cancelled (a message box answers Ok).
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        std::string caption;
        std::string text;
        Icon icon;
        unsigned buttons;
    };
    struct Prompt {
        std::string caption;
        std::string prompt;
        std::string value;  // the value shown
        bool masked;
    };
    // Acts on the open server properties dialog; returns true to press OK, false to cancel.
    // When OK is refused, the next script runs on the still open dialog.
    using PropertiesScript = std::function<bool(ServerPropertiesModel&)>;

    std::vector<Message> messages;
    std::deque<Answer> messageAnswers;
    std::vector<Prompt> prompts;
    std::deque<std::optional<std::string>> promptAnswers;  // nullopt cancels
    std::deque<PropertiesScript> propertiesScripts;
    int propertiesShown = 0;
    // Acts on the open options dialog; returns true to press OK, false to cancel.
    std::deque<std::function<bool(OptionsDialogModel&)>> optionsScripts;
    int optionsShown = 0;
    // The choosers: each request is recorded as caption and start value; nullopt cancels.
    std::vector<Prompt> choices;
    std::deque<std::optional<std::string>> choiceAnswers;
    std::deque<std::optional<PaneFont>> fontAnswers;
    // The overwrite prompt: the file names asked about, and the answers (with the new path
    // of SaveAs). Without an answer left the prompt is cancelled.
    struct OverwriteAnswer {
        Overwrite answer;
        std::string newPath;
    };
    std::vector<std::string> overwriteAsked;
    std::deque<OverwriteAnswer> overwriteAnswers;
    // When set, the overwrite prompt is asked through these dialogs (the real window) instead.
    Dialogs* overwritePrompt = nullptr;
    // The permissions and command list dialogs: each script acts on the open dialog's model
    // and says how it is closed (true: "Ok"; a CommandListModel::Close). Without a script
    // left the dialog is cancelled or closed.
    std::deque<std::function<bool(ChmodModel&)>> attributeScripts;
    std::deque<std::function<CommandListModel::Close(CommandListModel&)>> commandListScripts;

    // The certificate questions asked, and the answers given in order (then Refuse).
    std::vector<CertificateQuestion> certificateQuestions;
    std::deque<CertificateAnswer> certificateAnswers;

    CertificateAnswer askCertificate(const CertificateQuestion& question) override {
        certificateQuestions.push_back(question);
        return next(certificateAnswers).value_or(CertificateAnswer::Refuse);
    }

    Answer messageBox(const std::string& caption, const std::string& text, Icon icon,
                      unsigned buttons) override {
        messages.push_back({caption, text, icon, buttons});
        return next(messageAnswers).value_or(Answer::Ok);
    }

    bool inputPrompt(const std::string& caption, const std::string& prompt, std::string& value,
                     bool masked) override {
        prompts.push_back({caption, prompt, value, masked});
        std::optional<std::string> answer = next(promptAnswers).value_or(std::nullopt);
        if (answer)
            value = *answer;
        return answer.has_value();
    }

    bool serverProperties(ServerPropertiesModel& model) override {
        ++propertiesShown;
        while (std::optional<PropertiesScript> script = next(propertiesScripts)) {
            if (!(*script)(model))
                return false;
            if (model.SpeedButton2Click())
                return true;
        }
        return false;
    }

    bool options(OptionsDialogModel& model) override {
        ++optionsShown;
        std::optional<std::function<bool(OptionsDialogModel&)>> script = next(optionsScripts);
        return script && (*script)(model);
    }

    bool chooseFile(const std::string& title, const std::string& filter,
                    std::string& fileName) override {
        return choose(title + "|" + filter, fileName);
    }

    bool chooseDirectory(const std::string& caption, std::string& directory) override {
        return choose(caption, directory);
    }

    bool chooseFont(PaneFont& font) override {
        std::optional<PaneFont> answer = next(fontAnswers).value_or(std::nullopt);
        if (answer)
            font = *answer;
        return answer.has_value();
    }

    Overwrite askOverwrite(const std::string& fileName, std::string& newPath) override {
        overwriteAsked.push_back(fileName);
        if (overwritePrompt != nullptr)
            return overwritePrompt->askOverwrite(fileName, newPath);
        const OverwriteAnswer answer =
            next(overwriteAnswers).value_or(OverwriteAnswer{Overwrite::Cancel, {}});
        if (answer.answer == Overwrite::SaveAs)
            newPath = answer.newPath;
        return answer.answer;
    }

    bool changeAttributes(ChmodModel& model) override {
        auto script = next(attributeScripts);
        return script && (*script)(model);
    }

    CommandListModel::Close commandList(CommandListModel& model) override {
        auto script = next(commandListScripts);
        return script ? (*script)(model) : CommandListModel::Close::Close;
    }

private:
    bool choose(const std::string& caption, std::string& value) {
        choices.push_back({caption, "", value, false});
        std::optional<std::string> answer = next(choiceAnswers).value_or(std::nullopt);
        if (answer)
            value = *answer;
        return answer.has_value();
    }

    template <typename T>
    static std::optional<T> next(std::deque<T>& queue) {
        if (queue.empty())
            return std::nullopt;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

}  // namespace quay::test
