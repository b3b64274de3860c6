#include "config/message_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/language_menu.h"
#include "config/shipped_languages.h"
#include "fake_form.h"
#include "test_support.h"

namespace quay {
namespace {

// Arguments go in once, where their number stands: an argument's own "%2" stays, and so do
// "%" signs that name no argument.
TEST(MessageTexts, PutsArgumentsInTheirPlacesOnce) {
    MessageTexts texts;
    EXPECT_EQ(texts.text(Message::RenameTargetExists, {"%1 a%2"}),
              "\"%1 a%2\" exists already: not renamed.");
    NamedObject& files = *texts.ownedObjects()[static_cast<std::size_t>(Message::DeleteFiles)];
    files.setStringProperty("Text", "%2 of %1, 100% %0 %x %");
    EXPECT_EQ(texts.text(Message::DeleteFiles, {"3", "7"}), "7 of 3, 100% %0 %x %");
    EXPECT_EQ(texts.text(Message::DeleteFiles, {"3"}), "%2 of 3, 100% %0 %x %");
    texts.reset();
    EXPECT_EQ(texts.text(Message::DeleteFiles, {"3"}),
              "M\xc3\xb6"
              "chten Sie 3 Dateien l\xc3\xb6schen?");
}

// The menu keeps the messages in the chosen language; the built-in entry, translation off
// and a text the file lacks give the built-in texts.
TEST(MessageTexts, FollowTheLanguageMenu) {
    test::TempDir dir;
    test::writeFile(dir.path() / "english.lng",
                    "[Translations]\r\nMessages.Attention.Text=Attention~~now\r\n");
    LanguageSettings settings{true, false, "english"};
    LanguageMenu menu(dir.path(), settings);
    test::FakeForm mainWindow("_Main");
    menu.buildLanguageMenu(mainWindow);
    EXPECT_EQ(menu.messages().text(Message::Attention), "Attention\r\nnow");
    EXPECT_EQ(menu.messages().text(Message::ExitQuestion),
              "Wollen Sie das Programm wirklich beenden?");

    menu.miEnglishClick(LanguageMenu::kEnglishTag, mainWindow);
    EXPECT_EQ(menu.messages().text(Message::Attention), "Achtung");

    menu.miEnglishClick(0, mainWindow);
    EXPECT_EQ(menu.messages().text(Message::Attention), "Attention\r\nnow");
    settings.langOn = false;
    menu.translateMessages();
    EXPECT_EQ(menu.messages().text(Message::Attention), "Achtung");
}

TEST(ShippedLanguages, TheDesktopLanguageChoosesGermanOrEnglish) {
    struct Case {
        std::string language, lcAll, lcMessages, lang, chosen;
    };
    const Case cases[] = {
        {"", "", "", "de_DE.UTF-8", "deutsch"},
        {"", "", "", "fr_FR.UTF-8", "english"},
        {"", "", "", "", "english"},
        {"de:en", "", "", "en_US.UTF-8", "deutsch"},
        {"", "C", "de_DE", "de_DE", "english"},
        {"", "", "DE_ch", "en_US", "deutsch"},
    };
    for (const Case& c : cases) {
        const std::string chosen = desktopLanguageFile([&c](const char* name) {
            const std::string variable = name;
            return variable == "LANGUAGE"      ? c.language
                   : variable == "LC_ALL"      ? c.lcAll
                   : variable == "LC_MESSAGES" ? c.lcMessages
                                               : c.lang;
        });
        EXPECT_EQ(chosen, c.chosen)
            << c.language << "|" << c.lcAll << "|" << c.lcMessages << "|" << c.lang;
    }
}

}  // namespace
}  // namespace quay
