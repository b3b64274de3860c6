#include "config/language_files.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/profile_file.h"
#include "fake_form.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::FakeForm;
using test::FakeObject;

struct MainWindow {
    FakeForm form{"_Main"};
    FakeObject& miLang = form.add("miLang", {{"Caption", "Sprache"}, {"Hint", ""}});
    FakeObject& sbConnect = form.add("sbConnect", {{"Caption", "Connect"}, {"Hint", "Verbinden"}});
    FakeObject& cbCmd = form.add("cbCmd", {{"Text", "LIST"}});
    FakeObject& N1 = form.add("N1", {{"Caption", "-"}});
};

TEST(TranslateForm, AppliesEntriesAsNamesMatch) {
    test::TempDir dir;
    const fs::path file = dir.path() / "deutsch.lng";
    test::writeFile(file,
                    "_Main.sbConnect.Caption=lost with the header line\r\n"
                    "_Main.miLang.caption=Lang~~uage\r\n"
                    "_MAIN.sbConnect.Hint=wrong form case\r\n"
                    "_Main.SBCONNECT.Hint=a=b =c \r\n"
                    "_Main.cbCmd.Text=first\r\n"
                    "_Main.cbCmd.Text=second\r\n"
                    "_Main.cbCmd.Text.More=dotted property\r\n"
                    "_Main.cbCmd.Tag=not a string property\r\n"
                    "_Main.nobody.Caption=unknown component\r\n"
                    "_Main.Caption=the window itself\r\n"
                    "no equals sign\r\n"
                    "\r\n"
                    "[Another Section]\r\n");
    MainWindow w;
    translateForm(w.form, file);
    EXPECT_EQ(w.miLang.stringProperty("Caption"), "Lang\r\nuage");
    EXPECT_EQ(w.sbConnect.stringProperty("Caption"), "Connect");
    EXPECT_EQ(w.sbConnect.stringProperty("Hint"), "a=b =c ");
    EXPECT_EQ(w.cbCmd.stringProperty("Text"), "second");
    EXPECT_EQ(w.cbCmd.stringPropertyNames().size(), 1u);
    EXPECT_EQ(w.N1.stringProperty("Caption"), "-");

    // A missing or unreadable file changes nothing.
    MainWindow untouched;
    translateForm(untouched.form, dir.path() / "none.lng");
    translateForm(untouched.form, dir.path());
    EXPECT_EQ(untouched.miLang.stringProperty("Caption"), "Sprache");
}

TEST(TranslateForm, MessageWindowsShareOneFormName) {
    test::TempDir dir;
    const fs::path file = dir.path() / "x.lng";
    test::writeFile(file, "[Translations]\nReadMessageForm.Label1.Caption=shared\n");
    FakeForm numbered("ReadMessageForm12");
    FakeObject& label = numbered.add("Label1", {{"Caption", "old"}});
    translateForm(numbered, file);
    EXPECT_EQ(label.stringProperty("Caption"), "shared");
}

TEST(ExportForm, WritesTheTemplateThatTranslatesBack) {
    test::TempDir dir;
    const fs::path file = dir.path() / "language.lng";
    test::writeFile(file, "[Translations]\n_Main.sbConnect.Caption=old\nOther.x.Caption=kept\n");
    MainWindow w;
    w.miLang.setStringProperty("Caption", "Two\r\nlines\nand\rmore");
    exportForm(w.form, file);
    const ProfileFile written = ProfileFile::load(file);
    EXPECT_EQ(written.readString("Translations", "_Main.sbConnect.Caption", ""), "Connect");
    EXPECT_EQ(written.readString("Translations", "_Main.sbConnect.Hint", ""), "Verbinden");
    EXPECT_EQ(written.readString("Translations", "_Main.miLang.Caption", ""),
              "Two~~lines~~and~~more");
    EXPECT_EQ(written.readString("Translations", "Other.x.Caption", ""), "kept");
    EXPECT_FALSE(written.value("Translations", "_Main.miLang.Hint"));
    EXPECT_FALSE(written.value("Translations", "_Main.N1.Caption"));

    MainWindow fresh;
    fresh.sbConnect.setStringProperty("Hint", "changed");
    translateForm(fresh.form, file);
    EXPECT_EQ(fresh.sbConnect.stringProperty("Hint"), "Verbinden");
    EXPECT_EQ(fresh.miLang.stringProperty("Caption"), "Two\r\nlines\r\nand\r\nmore");
}

TEST(ExportForm, CreatesTheFileWithAHeaderAndNeverWipesAnUnreadableOne) {
    test::TempDir dir;
    MainWindow w;
    const fs::path file = dir.path() / "language.lng";
    exportForm(w.form, file);
    EXPECT_EQ(test::readFile(file).rfind("[Translations]\n", 0), 0u);

    const fs::path fifo = dir.path() / "fifo.lng";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    exportForm(w.form, fifo);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(LanguageFiles, ListsBaseNamesButNotTheTemplate) {
    test::TempDir dir;
    for (const char* name : {"Deutsch.LNG", "deutsch.lng", "LANGUAGE.lng", "zulu.lng", "a.lng",
                             "notes.txt", ".lng", "x.lngx"}) {
        test::writeFile(dir.path() / name, "[Translations]\n");
    }
    fs::create_directory(dir.path() / "folder.lng");
    EXPECT_EQ(listLanguageFiles(dir.path()), (std::vector<std::string>{"a", "deutsch", "zulu"}));
    EXPECT_EQ(listLanguageFiles(dir.path() / "missing"), std::vector<std::string>{});
}

TEST(LanguageFiles, FindsAFileWhateverTheCaseOfItsName) {
    test::TempDir dir;
    test::writeFile(dir.path() / "Deutsch.LNG", "");
    test::writeFile(dir.path() / "zulu.lng", "");  // reached only by a path that escapes
    EXPECT_EQ(languageFilePath(dir.path(), "deutsch"), dir.path() / "Deutsch.LNG");
    EXPECT_EQ(languageFilePath(dir.path(), "french"), std::nullopt);
    EXPECT_EQ(languageFilePath(dir.path() / "sub", "../zulu"), std::nullopt);
    EXPECT_EQ(languageFilePath(dir.path(), ""), std::nullopt);
}

}  // namespace
}  // namespace quay
