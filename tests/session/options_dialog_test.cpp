#include "session/options_dialog.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "../config/fake_form.h"
#include "base/poll_loop.h"
#include "config/comma_text.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

std::set<std::string> linesOf(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

// The lines of a that b lacks.
std::set<std::string> without(const std::set<std::string>& a, const std::set<std::string>& b) {
    std::set<std::string> result;
    for (const std::string& line : a)
        if (b.count(line) == 0)
            result.insert(line);
    return result;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialogTest() : controller(loop, dialogs, dir.path()) {}

    fs::path optionsFile() const { return dir.path() / kOptionsFileName; }
    // "Preferences" with script acting on the dialog; true from the script presses OK.
    void preferences(std::function<bool(OptionsDialogModel&)> script) {
        dialogs.optionsScripts = {std::move(script)};
        controller.execute(Command::Preferences);
    }

    test::TempDir dir;
    PollLoop loop;
    test::ScriptedDialogs dialogs;
    SessionController controller;
};

TEST_F(OptionsDialogTest, OkWritesExactlyWhatWasChangedAndAppliesIt) {
    controller.FormCreate();
    controller.FormClose();  // the file as the program writes it
    const std::string before = test::readFile(optionsFile());
    controller.FormCreate();
    dialogs.promptAnswers = {std::string("NOOP")};
    preferences([](OptionsDialogModel& model) {
        model.udTimeOut = 30;
        model.SpeedButton4Click();
        return true;
    });
    const auto old = linesOf(before), now = linesOf(test::readFile(optionsFile()));
    EXPECT_EQ(without(now, old), (std::set<std::string>{"TimeOut=30", "CmdKeep=NOOP"}));
    EXPECT_EQ(without(old, now), (std::set<std::string>{"TimeOut=15", "CmdKeep="}));
    EXPECT_EQ(controller.ftp().timeout(), 30) << "the options are applied after the dialog";
}

TEST_F(OptionsDialogTest, CancelWritesNothingButKeepsTheOpeningCorrections) {
    const std::string file = "[Common]\nTransferMode=5\nTimeOut=20\n[Language]\nLangOn=1\n";
    test::writeFile(optionsFile(), file);
    controller.FormCreate();
    controller.options().language.langOn = true;  // as if a language file had gone since
    preferences([](OptionsDialogModel& model) {
        EXPECT_EQ(model.rgMode, 0) << "an unknown mode shows the first choice";
        EXPECT_FALSE(model.cbLng) << "no language file: localization is shown off";
        model.udTimeOut = 99;
        model.cbLog = true;
        return false;
    });
    EXPECT_EQ(dialogs.optionsShown, 1);
    EXPECT_EQ(test::readFile(optionsFile()), file);
    EXPECT_EQ(controller.options().transferMode, 0);
    EXPECT_FALSE(controller.options().language.langOn);
    EXPECT_EQ(controller.options().timeOut, 20);
    EXPECT_FALSE(controller.options().log);
}

TEST_F(OptionsDialogTest, OkStoresKeepOnlyWithCommandsFirewallOffAndOutOfRangeValuesAsRead) {
    test::writeFile(optionsFile(),
                    "[Common]\nKeep=1\nCmdKeep=\nfwEnable=1\nfwType=9\n"
                    "DurationKeep=500\nDefPrompt=-1\n");
    controller.FormCreate();
    preferences([](OptionsDialogModel& model) {
        EXPECT_TRUE(model.cbKeep);
        EXPECT_FALSE(model.cbFW) << "the stored firewall switch is never shown";
        EXPECT_EQ(model.gbFWTag, 0);
        EXPECT_EQ(model.gbPromptTag, 0);
        return true;
    });
    const Options stored = loadOptions(dir.path());
    EXPECT_FALSE(stored.keep);
    EXPECT_FALSE(stored.fwEnable);
    EXPECT_EQ(stored.fwType, 0);
    EXPECT_EQ(stored.durationKeep, 500);
    EXPECT_EQ(stored.language.langFile, "language") << "no language chosen: the choice stays";
}

TEST_F(OptionsDialogTest, ListsAskThroughThePromptAndChoosersFillTheirFields) {
    test::writeFile(optionsFile(), "[Common]\nExt=txt,htm\nFontName=Sans\nFontSize=9\n");
    controller.FormCreate();
    PaneFont chosen;
    chosen.name = "Serif";
    chosen.size = 12;
    dialogs.fontAnswers = {chosen};
    dialogs.promptAnswers = {std::string("log"), std::string("html"), std::string("STAT"),
                             std::string("NOOP")};
    dialogs.choiceAnswers = {std::string("/var/log/q.log"), std::nullopt};
    preferences([](OptionsDialogModel& model) {
        model.SpeedButton6Click(1);  // Modify without a selection adds
        model.lbExtIndex = 1;
        model.SpeedButton6Click(1);
        model.lbExtIndex = 0;
        model.SpeedButton7Click();
        model.SpeedButton4Click();
        model.SpeedButton4Click();
        model.lbKeepIndex = 0;
        model.SpeedButton5Click();
        model.SpeedButton1Click();
        model.SpeedButton10Click();
        model.sbFontClick();
        return true;
    });
    ASSERT_EQ(dialogs.prompts.size(), 4u);
    EXPECT_EQ(dialogs.prompts[0].caption, "Add extention");
    EXPECT_EQ(dialogs.prompts[1].caption, "Edit extention");
    EXPECT_EQ(dialogs.prompts[1].value, "htm");
    EXPECT_EQ(dialogs.prompts[2].caption, "Kommando hinzuf\xC3\xBCgen");
    EXPECT_EQ(dialogs.prompts[2].prompt, "Kommando eingeben");
    ASSERT_EQ(dialogs.choices.size(), 2u);
    EXPECT_EQ(dialogs.choices[0].caption,
              "Choose Log file|Log Files (*.log)|*.log|Text Files "
              "(*.Txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(dialogs.choices[0].value, (dir.path() / "quayside.log").string());
    EXPECT_EQ(dialogs.choices[1].caption, "Choice Directory");

    const Options& o = controller.options();
    EXPECT_EQ(splitCommaText(o.ext), (std::vector<std::string>{"html", "log"}));
    EXPECT_EQ(o.cmdKeep, "NOOP");
    EXPECT_EQ(o.logFile, "/var/log/q.log");
    EXPECT_EQ(o.iniPath, dialogs.choices[1].value) << "a cancelled chooser changes nothing";
    EXPECT_EQ(o.fontName, "Serif");
    EXPECT_EQ(o.fontSize, 12);
}

TEST_F(OptionsDialogTest, ChoosingALanguagePreviewsItOnTheDialogOnly) {
    test::writeFile(dir.path() / "Deutsch.LNG",
                    "[Translations]\n_Options.cbLng.Caption=Lokalisierung\n");
    test::writeFile(dir.path() / "francais.lng", "[Translations]\n");
    test::writeFile(optionsFile(), "[Language]\nLangOn=1\nLangInit=1\nLangFile=francais\n");
    controller.FormCreate();
    test::FakeForm dialog("_Options");
    test::FakeObject& box = dialog.add("cbLng", {{"Caption", "Use localization"}});
    preferences([&](OptionsDialogModel& model) {
        model.form = &dialog;
        EXPECT_EQ(model.cbFLngItems(), (std::vector<std::string>{"deutsch", "francais"}));
        EXPECT_EQ(model.cbFLngIndex, 1);
        EXPECT_TRUE(model.cbLng);
        model.cbLng = false;
        model.cbFLngChange(0);
        EXPECT_EQ(box.stringProperty("Caption"), "Use localization");
        model.cbLng = true;
        model.cbFLngChange(0);
        EXPECT_EQ(box.stringProperty("Caption"), "Lokalisierung");
        EXPECT_EQ(controller.options().language.langFile, "francais");
        EXPECT_TRUE(controller.options().language.langInit);
        return false;
    });
    EXPECT_EQ(test::readFile(dir.path() / "language.lng").find("_Options"), std::string::npos)
        << "a preview writes no template";
    EXPECT_EQ(controller.options().language.langFile, "francais");
}

}  // namespace
}  // namespace quay
