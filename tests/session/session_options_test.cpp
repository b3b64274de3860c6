#include <gtest/gtest.h>

#include "base/poll_loop.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

// One run of the program's window life: created, used by the test, closed.
struct ProgramRun {
    explicit ProgramRun(const fs::path& dir) : controller(loop, dialogs, dir) {
        controller.FormCreate();
    }
    std::string checkedMode() {
        std::string result;
        for (const char* name : {"miAuto", "miAscii", "miBinary"})
            if (controller.model().control(name).checked)
                result += name;
        return result;
    }

    PollLoop loop;
    test::ScriptedDialogs dialogs;
    SessionController controller;
};

class SessionOptions : public ::testing::Test {
protected:
    fs::path file(const char* name) { return dir.path() / name; }
    test::TempDir dir;
};

TEST_F(SessionOptions, TransferModeAndListFontsSurviveARestart) {
    {
        ProgramRun run(dir.path());
        run.controller.execute(Command::TransferAscii);
        EXPECT_EQ(run.checkedMode(), "miAscii") << "one entry is checked at a time";
        run.controller.execute(Command::TransferBinary);
        PaneFont font = run.controller.model().paneFont("FTPView");
        font.name = "Courier";
        font.italic = true;
        run.controller.model().setPaneFont("FTPView", font);
        run.controller.FormClose();
    }
    ProgramRun again(dir.path());
    EXPECT_EQ(again.checkedMode(), "miBinary");
    EXPECT_EQ(again.controller.model().paneFont("FTPView").name, "Courier");
    EXPECT_EQ(again.controller.model().paneFont("FTPView").italic, true);
    EXPECT_FALSE(again.controller.model().paneFont("lvLoc").name.has_value())
        << "a list without a font section keeps the font the window gave it";
}

TEST_F(SessionOptions, ListFontsFromTheFileOverlayTheWindowsFonts) {
    test::writeFile(file("options.ftp"), "[Font Left]\nStyle_Bold=1\n");
    PollLoop loop;
    test::ScriptedDialogs dialogs;
    SessionController controller(loop, dialogs, dir.path());
    PaneFont defined;
    defined.name = "Sans";
    defined.bold = false;
    controller.model().setPaneFont("lvLoc", defined);
    controller.FormCreate();
    const PaneFont& font = controller.model().paneFont("lvLoc");
    EXPECT_EQ(font.name, "Sans");
    EXPECT_EQ(font.bold, true);
}

TEST_F(SessionOptions, ServerListIsShownAtStartAndItsCommandsActOnlyWithoutASession) {
    {
        ProgramRun run(dir.path());
        EXPECT_EQ(run.controller.model().ftpView().count(), 0u);
        run.dialogs.promptAnswers = {std::string("staging"), std::string("ignored")};
        run.controller.execute(Command::RemoteMakeDirectory);
        EXPECT_EQ(run.controller.model().ftpView().count(), 1u);

        run.controller.state().serverListMode = false;
        run.controller.execute(Command::RemoteMakeDirectory);
        // Connected, the same prompt makes a remote directory (none without a session), never
        // a folder of the server list.
        EXPECT_EQ(run.dialogs.prompts.size(), 2u);
        EXPECT_EQ(run.controller.model().ftpView().count(), 1u);
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "ignored"));
    }
    ProgramRun again(dir.path());
    ASSERT_EQ(again.controller.model().ftpView().count(), 1u);
    EXPECT_EQ(again.controller.model().ftpView().item(0).caption, "staging");
    EXPECT_EQ(again.controller.model().ftpView().viewStyle(), ViewStyle::vsList);
}

TEST_F(SessionOptions, ChosenLanguageTranslatesTheWindowAtStartAndOnChoice) {
    test::writeFile(file("options.ftp"), "[Language]\nLangOn=1\nLangFile=deutsch\n");
    test::writeFile(file("Deutsch.LNG"),
                    "[Translations]\n_Main.sbConnect.Caption=&Verbinden\n"
                    "_Main.miLang.caption=Language\n_Main.sbStop.Hint=Halt~~sofort\n"
                    "_MAIN.sbDisConnect.Caption=ignored\n");
    test::writeFile(file("language.lng"), "[Translations]\n_Main.sbConnect.Caption=&Connect\n");
    ProgramRun run(dir.path());
    PresentationModel& model = run.controller.model();
    EXPECT_EQ(model.control("sbConnect").text, "&Verbinden");
    EXPECT_EQ(model.control("miLang").text, "Language");
    EXPECT_EQ(model.control("sbStop").hint, "Halt\r\nsofort");
    EXPECT_EQ(model.control("sbDisConnect").text, "&Disconnect");
    ASSERT_EQ(run.controller.languageItems().size(), 2u);
    EXPECT_EQ(run.controller.languageItems()[1].caption, "deutsch");
    EXPECT_TRUE(run.controller.languageItems()[1].checked);
    EXPECT_FALSE(model.control("miEnglish").checked);

    run.controller.execute(Command::BuiltInLanguage);
    EXPECT_TRUE(model.control("miEnglish").checked);
    EXPECT_EQ(model.control("sbConnect").text, "&Connect") << "the template's texts return";
    run.controller.FormClose();
    EXPECT_EQ(run.controller.options().language.langFile, "language");
    EXPECT_FALSE(run.controller.options().language.langOn);
}

TEST_F(SessionOptions, CustomCommandsAreReadAtStartAndWrittenBackAtTheEnd) {
    test::writeFile(file("commands.txt"), "List,Who\r\n\"LIST -la\",\"SITE WHO\"\r\n");
    {
        ProgramRun run(dir.path());
        CustomCommands& commands = run.controller.customCommands();
        EXPECT_EQ(commands.labels, (std::vector<std::string>{"List", "Who"}));
        commands.labels.push_back("Idle");
        commands.commands.push_back("SITE IDLE 60");
        run.controller.FormDestroy();
    }
    ProgramRun again(dir.path());
    EXPECT_EQ(again.controller.customCommands().commands,
              (std::vector<std::string>{"LIST -la", "SITE WHO", "SITE IDLE 60"}));
}

TEST_F(SessionOptions, AnUnreadableCommandFileIsNotReplacedByNothing) {
    fs::create_directory(file("commands.txt"));  // cannot be read as a file, even by root
    ProgramRun run(dir.path());
    EXPECT_TRUE(run.controller.customCommands().labels.empty());
    run.controller.FormDestroy();
    EXPECT_TRUE(fs::is_directory(file("commands.txt")));
}

TEST_F(SessionOptions, AServerDraggedOntoAFolderMovesOnlyInServerListMode) {
    test::writeFile(file("ftplist.TXT"), "DIR=Box\r\nName=Srv;\r\nName=Other;\r\n");
    ProgramRun run(dir.path());
    PaneModel& view = run.controller.model().ftpView();
    ASSERT_EQ(view.count(), 3u);
    auto rowOf = [&](const std::string& caption) {
        for (std::size_t i = 0; i < view.count(); ++i)
            if (view.item(i).caption == caption)
                return i;
        return view.count();
    };
    view.setSelected(rowOf("Box"), true);
    EXPECT_FALSE(run.controller.serverDragAllowed()) << "a folder is not dragged";
    view.selectAll(false);
    view.setSelected(rowOf("Srv"), true);
    EXPECT_TRUE(run.controller.serverDragAllowed());

    run.controller.state().serverListMode = false;
    EXPECT_FALSE(run.controller.serverDragAllowed());
    run.controller.dropOnRemotePane("FTPView", static_cast<long>(rowOf("Box")));
    EXPECT_EQ(view.count(), 3u) << "connected, the server list is not touched";

    run.controller.state().serverListMode = true;
    run.controller.dropOnRemotePane("lvLoc", static_cast<long>(rowOf("Box")));
    EXPECT_EQ(view.count(), 3u) << "only rows of the server list move";
    run.controller.dropOnRemotePane("FTPView", static_cast<long>(rowOf("Box")));
    EXPECT_EQ(view.count(), 2u);
    EXPECT_EQ(rowOf("Srv"), view.count());
}

TEST_F(SessionOptions, NewServersTakeTheAnonymousAddressOnlyWhenTheOptionsSaySo) {
    test::writeFile(file("options.ftp"), "[Common]\nMailAno=1\nAnonymous=me@host\n");
    ProgramRun run(dir.path());
    EXPECT_EQ(run.controller.serverList().list().newServerInfo().EMail, "me@host");
    run.controller.options().mailAno = false;
    EXPECT_EQ(run.controller.serverList().list().newServerInfo().EMail, "");
}

TEST_F(SessionOptions, BadOptionsFilesStartWithTheDefaultsAndSayNothing) {
    const std::string files[] = {
        "",
        "[Common]\nTransferMode=banana\nTimeOut=\nConnectionType=-7x\n",
        "TransferMode=2\nno section at all\n[[[\n",
        std::string("\x00\xff\xfe[Common\x00]\nTransferMode=\x01\x02", 25),
        std::string(200000, '\xff'),
    };
    for (const std::string& content : files) {
        test::TempDir fresh;
        test::writeFile(fresh.path() / "options.ftp", content);
        ProgramRun run(fresh.path());
        EXPECT_EQ(run.checkedMode(), "miAuto");
        EXPECT_EQ(run.controller.options().timeOut, 15);
        EXPECT_TRUE(run.dialogs.messages.empty());
    }
    ProgramRun none(file("missing"));
    EXPECT_EQ(none.checkedMode(), "miAuto");
    EXPECT_TRUE(none.dialogs.messages.empty());
}

TEST_F(SessionOptions, AnUnwritableDataDirectoryOnlyLosesTheSave) {
    // A regular file where the directory should be: no write succeeds, even for root.
    const fs::path notADirectory = file("quayside");
    test::writeFile(notADirectory, "not a directory");
    {
        ProgramRun run(notADirectory);
        run.controller.execute(Command::TransferAscii);
        EXPECT_NO_THROW(run.controller.FormClose());
        EXPECT_TRUE(run.dialogs.messages.empty());
    }
    EXPECT_EQ(test::readFile(notADirectory), "not a directory");
    ProgramRun again(notADirectory);
    EXPECT_EQ(again.checkedMode(), "miAuto");
}

}  // namespace
}  // namespace quay
