#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/message_texts.h"
#include "config/named_objects.h"
#include "config/options.h"

namespace quay {

// One entry of the main window's language menu miLang.
struct LanguageMenuItem {
    std::string caption;
    int tag = 0;  // -1 for miEnglish, else the index in the language list
    bool checked = false;
};

// The main window's language menu and the translation of every window at its creation.
// It works on the process's language settings (part of the options record), which it
// changes as the user picks a language; the caller saves them with the other options. The
// settings must outlive the menu.
class LanguageMenu {
public:
    static constexpr int kEnglishTag = -1;

    // Called after the menu's items were rebuilt or re-checked, with messages() up to date.
    std::function<void()> onItemsChanged;

    LanguageMenu(std::filesystem::path dataDir, LanguageSettings& settings);

    // items()[0] is miEnglish ("Englisch"), the built-in texts; one item per language file
    // follows after buildLanguageMenu().
    const std::vector<LanguageMenuItem>& items() const { return m_items; }

    // Run once while the main window is created, after the options have been read: lists
    // the language files, checks the chosen one, and falls back to the built-in texts (and
    // translation off) when the chosen file is gone. Translates the main window when on.
    void buildLanguageMenu(NamedForm& mainWindow);

    // A click on the item with this tag: checks it alone, chooses its language (translation
    // on) or the built-in texts (translation left as it is), and translates the main window.
    // Windows already open are not translated again. An unknown tag changes nothing.
    void miEnglishClick(int tag, NamedForm& mainWindow);

    // What every window calls when it is created: nothing while translation is off;
    // otherwise the template is written first when asked for (langInit), then the chosen
    // language file is applied, and translation stays on only for a language other than the
    // built-in texts.
    void translateWindow(NamedForm& form);

    // The texts built in code, in the chosen language while translation is on, otherwise
    // the built-in ones; brought up to date by buildLanguageMenu(), miEnglishClick() and
    // translateMessages().
    const MessageTexts& messages() const { return m_messages; }

    // Takes the texts built in code from the chosen language file (the built-in texts first,
    // so a text the file lacks keeps its built-in value); with translation off or the
    // built-in language chosen, the built-in texts. With langInit set, their template
    // entries are written as well.
    void translateMessages();

private:
    void checkOnly(std::size_t index);
    void exportTemplate(NamedForm& form);
    void announce();

    std::filesystem::path m_dataDir;
    LanguageSettings& m_settings;
    std::vector<LanguageMenuItem> m_items;
    MessageTexts m_messages;
};

}  // namespace quay
