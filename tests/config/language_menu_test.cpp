#include "config/language_menu.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/language_files.h"
#include "config/profile_file.h"
#include "fake_form.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::FakeForm;
using test::FakeObject;

struct Fixture {
    test::TempDir dir;
    LanguageSettings settings;
    LanguageMenu menu{dir.path(), settings};
    FakeForm mainWindow{"_Main"};
    FakeObject& miLang = mainWindow.add("miLang", {{"Caption", "Sprache"}});
    int changes = 0;

    Fixture() {
        menu.onItemsChanged = [this] { ++changes; };
        test::writeFile(dir.path() / "language.lng",
                        "[Translations]\n_Main.miLang.Caption=Sprache\n");
        test::writeFile(dir.path() / "Deutsch.LNG",
                        "[Translations]\n_Main.miLang.Caption=Sprache!\n");
        test::writeFile(dir.path() / "english.lng",
                        "[Translations]\n_Main.miLang.Caption=Language\n");
    }
    std::string caption() const { return miLang.stringProperty("Caption"); }
    std::string checkedCaptions() const {
        std::string checked;
        for (const LanguageMenuItem& item : menu.items()) {
            checked += item.checked ? item.caption + ";" : "";
        }
        return checked;
    }
};

TEST(LanguageMenu, ListsTheLanguagesAfterTheBuiltInEntry) {
    Fixture f;
    f.settings = {true, false, "english"};
    f.menu.buildLanguageMenu(f.mainWindow);
    ASSERT_EQ(f.menu.items().size(), 3u);
    EXPECT_EQ(f.menu.items()[0].caption, "Englisch");
    EXPECT_EQ(f.menu.items()[1].caption, "deutsch");
    EXPECT_EQ(f.checkedCaptions(), "english;");
    EXPECT_EQ(f.caption(), "Language");
}

TEST(LanguageMenu, AChosenLanguageWithoutItsFileFallsBackToTheBuiltInTexts) {
    for (const char* chosen : {"french", "Deutsch", "language"}) {
        Fixture f;
        f.settings = {true, false, chosen};
        f.menu.buildLanguageMenu(f.mainWindow);
        EXPECT_EQ(f.checkedCaptions(), "Englisch;") << chosen;
        EXPECT_EQ(f.settings.langFile, "language") << chosen;
        EXPECT_EQ(f.caption(), "Sprache") << chosen;
    }
}

TEST(LanguageMenu, AChosenLanguageStaysOffUntilSwitchedOn) {
    Fixture f;
    f.settings = {false, false, "deutsch"};
    f.menu.buildLanguageMenu(f.mainWindow);
    EXPECT_EQ(f.checkedCaptions(), "deutsch;");
    EXPECT_EQ(f.caption(), "Sprache");
    f.menu.translateWindow(f.mainWindow);
    EXPECT_EQ(f.caption(), "Sprache");
}

TEST(LanguageMenu, ClickingALanguageTranslatesAndTheBuiltInEntryReloadsAndSwitchesOff) {
    Fixture f;
    f.menu.buildLanguageMenu(f.mainWindow);
    f.menu.miEnglishClick(0, f.mainWindow);
    EXPECT_EQ(f.checkedCaptions(), "deutsch;");
    EXPECT_TRUE(f.settings.langOn);
    EXPECT_EQ(f.caption(), "Sprache!");

    FakeForm later("T_Options");
    FakeObject& label = later.add("Label1", {{"Caption", "Zeit"}});
    test::writeFile(f.dir.path() / "Deutsch.LNG",
                    "[Translations]\nT_Options.Label1.Caption=Zeit!\n");
    f.menu.translateWindow(later);
    EXPECT_EQ(label.stringProperty("Caption"), "Zeit!");

    f.menu.miEnglishClick(LanguageMenu::kEnglishTag, f.mainWindow);
    EXPECT_FALSE(f.settings.langOn);
    EXPECT_EQ(f.caption(), "Sprache");

    f.menu.miEnglishClick(99, f.mainWindow);
    EXPECT_EQ(f.checkedCaptions(), "Englisch;");
    EXPECT_EQ(f.changes, 3);
}

TEST(LanguageMenu, WritesTheTemplateBeforeTranslatingWhenAsked) {
    Fixture f;
    fs::remove(f.dir.path() / "language.lng");
    f.settings = {true, true, "deutsch"};
    FakeForm dialog("TFReWrite");
    dialog.add("Button1", {{"Caption", "&Overwrite"}, {"Hint", "Replace the file"}});
    dialog.add("N1", {{"Caption", "-"}});
    f.menu.translateWindow(dialog);
    const ProfileFile written = ProfileFile::load(f.dir.path() / "language.lng");
    EXPECT_EQ(written.readString("Translations", "TFReWrite.Button1.Caption", ""), "&Overwrite");
    EXPECT_FALSE(written.value("Translations", "TFReWrite.N1.Caption"));
    EXPECT_EQ(listLanguageFiles(f.dir.path()), (std::vector<std::string>{"deutsch", "english"}));
}

}  // namespace
}  // namespace quay
