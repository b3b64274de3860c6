#include "config/language_menu.h"

#include <algorithm>

#include "config/language_files.h"

namespace quay {

LanguageMenu::LanguageMenu(std::filesystem::path dataDir, LanguageSettings& settings)
    : m_dataDir(std::move(dataDir)), m_settings(settings) {
    m_items.push_back({"Englisch", kEnglishTag, true});
}

void LanguageMenu::buildLanguageMenu(NamedForm& mainWindow) {
    m_items.resize(1);
    m_items[0].checked = false;
    const std::vector<std::string> languages = listLanguageFiles(m_dataDir);
    bool chosenListed = false;
    for (std::size_t i = 0; i < languages.size(); ++i) {
        const bool chosen = languages[i] == m_settings.langFile;
        chosenListed = chosenListed || chosen;
        m_items.push_back({languages[i], static_cast<int>(i), chosen});
    }
    const bool chosenUsable = chosenListed && m_settings.langFile != kTemplateLanguage &&
                              languageFilePath(m_dataDir, m_settings.langFile).has_value();
    if (!chosenUsable) {
        m_settings.langFile = kTemplateLanguage;
        m_settings.langOn = false;
        checkOnly(0);
    }
    translateMessages();
    announce();
    if (m_settings.langOn) {
        translateWindow(mainWindow);
    }
}

void LanguageMenu::miEnglishClick(int tag, NamedForm& mainWindow) {
    const auto clicked =
        std::find_if(m_items.begin(), m_items.end(),
                     [tag](const LanguageMenuItem& item) { return item.tag == tag; });
    if (clicked == m_items.end()) {
        return;
    }
    checkOnly(static_cast<std::size_t>(clicked - m_items.begin()));
    if (tag == kEnglishTag) {
        m_settings.langFile = kTemplateLanguage;
    } else {
        // The caption is the bare base name: this model never adds accelerator marks to it.
        m_settings.langFile = clicked->caption;
        m_settings.langOn = true;
    }
    translateMessages();
    announce();
    translateWindow(mainWindow);
}

void LanguageMenu::translateWindow(NamedForm& form) {
    if (!m_settings.langOn) {
        return;
    }
    if (m_settings.langInit) {
        exportTemplate(form);
    }
    if (const auto file = languageFilePath(m_dataDir, m_settings.langFile)) {
        translateForm(form, *file);
    }
    m_settings.langOn = m_settings.langFile != kTemplateLanguage;
}

void LanguageMenu::translateMessages() {
    m_messages.reset();
    if (!m_settings.langOn) {
        return;
    }
    if (m_settings.langInit) {
        exportTemplate(m_messages);
    }
    if (m_settings.langFile == kTemplateLanguage) {
        return;
    }
    if (const auto file = languageFilePath(m_dataDir, m_settings.langFile)) {
        translateForm(m_messages, *file);
    }
}

void LanguageMenu::exportTemplate(NamedForm& form) {
    exportForm(form, languageFilePath(m_dataDir, kTemplateLanguage)
                         .value_or(m_dataDir / (std::string(kTemplateLanguage) + ".lng")));
}

void LanguageMenu::checkOnly(std::size_t index) {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_items[i].checked = i == index;
    }
}

void LanguageMenu::announce() {
    if (onItemsChanged) {
        onItemsChanged();
    }
}

}  // namespace quay
