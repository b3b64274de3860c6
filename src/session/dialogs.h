#pragma once

#include <string>

namespace quay {

// Every modal question the core asks goes through this interface. The Qt layer answers
// with real dialogs; tests answer with scripted values. A method returns only when the
// user has answered; implementations may run a nested event loop meanwhile.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum Buttons : unsigned { Ok = 1, Cancel = 2, Yes = 4, No = 8 };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    // A message box with the given caption, text, icon and buttons.
    virtual Answer messageBox(const std::string& caption, const std::string& text, Icon icon,
                              unsigned buttons) = 0;

    // The one-line input prompt: true and the edited value when confirmed; false when
    // cancelled (value unchanged). With masked set, the input is shown as stars.
    virtual bool inputPrompt(const std::string& caption, const std::string& prompt,
                             std::string& value, bool masked) = 0;
};

}  // namespace quay
