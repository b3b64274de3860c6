#include "session/session_controller.h"

#include <gtest/gtest.h>

#include <optional>

#include "base/poll_loop.h"
#include "scripted_dialogs.h"
#include "test_support.h"

namespace quay {
namespace {

// Dialogs whose font dialog answers with a fixed family, or cancels; the rest is scripted.
struct FontDialogs : test::ScriptedDialogs {
    bool chooseFont(PaneFont& font) override {
        shown.push_back(font);
        if (!answer)
            return false;
        font.name = answer;
        return true;
    }
    std::optional<std::string> answer;
    std::vector<PaneFont> shown;
};

class SessionControllerTest : public ::testing::Test {
protected:
    SessionControllerTest() : controller(loop, dialogs, dir.path()) { controller.FormCreate(); }

    PaneItem server(const char* name) {
        PaneItem item;
        item.caption = name;
        item.imageIndex = 3;
        return item;
    }
    bool enabled(const char* name) { return controller.model().control(name).enabled; }

    test::TempDir dir;
    PollLoop loop;
    FontDialogs dialogs;
    SessionController controller;
};

// Commands the user may use on saved servers only, and on a live session only.
const char* const kServerCommands[] = {"sbConnect",           "sbNewServer", "sbProperties",
                                       "ConnecttoFTPServer1", "NewServer1",  "NewServer2",
                                       "FtpOptions1"};
// Of every group (buttons, main menu, list popup) some that need a live session.
const char* const kSessionCommands[] = {"sbDisConnect",
                                        "sbStop",
                                        "SpeedButton1",
                                        "SpeedButton2",
                                        "Disconnect1",
                                        "StopTransfer1",
                                        "UploadSelectedFiles1",
                                        "UploadSelectedFiles2",
                                        "MakeDirectory2",
                                        "DownloadSelectedFiles1",
                                        "Sorting6",
                                        "Filter4",
                                        "ChangeDirectory2",
                                        "FileAttributes1",
                                        "Select7",
                                        "Filter2"};
// Always usable: they serve the server list as well as the session.
const char* const kNeutralCommands[] = {
    "sbMkd2",         "sbRen2",   "sbDel2", "DeleteServerDirFile1",
    "CustomCommand1", "Refresh3", "Font1",  "Exit1"};

TEST_F(SessionControllerTest, EnablingFollowsTheConnectionState) {
    for (bool connected : {true, false}) {
        controller.updateConnectionUI(connected);
        for (const char* name : kServerCommands)
            EXPECT_EQ(enabled(name), !connected) << name << " connected=" << connected;
        for (const char* name : kSessionCommands)
            EXPECT_EQ(enabled(name), connected) << name << " connected=" << connected;
        for (const char* name : kNeutralCommands)
            EXPECT_TRUE(enabled(name)) << name << " connected=" << connected;
    }
}

TEST_F(SessionControllerTest, ServerPropertiesNeedsASelectedServerAndNoSession) {
    controller.model().ftpView().add(server("alpha"));
    controller.FTPViewChange();
    EXPECT_TRUE(enabled("sbProperties"));
    EXPECT_FALSE(enabled("ServerProperties1"));
    EXPECT_FALSE(enabled("ServerProperties2"));

    controller.model().ftpView().setSelected(0, true);
    EXPECT_TRUE(enabled("ServerProperties1")) << "a change of the pane reruns the rule";
    EXPECT_TRUE(enabled("ServerProperties2"));

    controller.state().serverListMode = false;
    controller.FTPViewChange();
    EXPECT_FALSE(enabled("ServerProperties1"));
}

// Stop belongs to the running operation: with nothing running it changes nothing, and no
// control's tag carries it.
TEST_F(SessionControllerTest, StopWithNothingRunningDoesNothing) {
    controller.state().serverListMode = false;
    controller.FTPViewChange();
    controller.invoke("sbStopClick", "sbStop");
    EXPECT_FALSE(controller.runner().busy());
    EXPECT_FALSE(controller.runner().stopRequested());
    EXPECT_EQ(controller.model().control("sbStop").tag, 0);
    EXPECT_TRUE(controller.model().logLines().empty());
    controller.model().ftpView().add(server("a"));
    EXPECT_TRUE(enabled("sbStop")) << "the pane change kept the connected state";
}

TEST_F(SessionControllerTest, BusyBracketMarksTheTaggedControlsAndLocksThePath) {
    for (bool busy : {true, false}) {
        controller.showBusy(busy);
        const Cursor cursor = busy ? Cursor::crHourGlass : Cursor::crDefault;
        for (const char* name : {"SpeedButton4", "FTPView", "FTPOneLevelUp", "FTPPath"})
            EXPECT_EQ(controller.model().control(name).cursor, cursor) << name << busy;
        EXPECT_EQ(controller.model().control("lvLoc").cursor, Cursor::crDefault);
        EXPECT_EQ(enabled("FTPPath"), !busy);
    }
}

TEST_F(SessionControllerTest, ClosingAsksAndOnlyYesCloses) {
    dialogs.messageAnswers = {Dialogs::Answer::No, Dialogs::Answer::Yes, Dialogs::Answer::Cancel};
    EXPECT_FALSE(controller.FormCloseQuery());
    EXPECT_TRUE(controller.FormCloseQuery());
    EXPECT_FALSE(controller.FormCloseQuery());
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].caption, "Achtung");
    EXPECT_EQ(dialogs.messages[0].text, "Wollen Sie das Programm wirklich beenden?");
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Question);
    EXPECT_EQ(dialogs.messages[0].buttons, unsigned{Dialogs::Yes | Dialogs::No});
}

TEST_F(SessionControllerTest, ViewStyleEntriesActOnTheListTheirHandlerNames) {
    controller.invoke("MenuItem11Click", "SmallIcons8");
    EXPECT_EQ(controller.model().lvLoc().viewStyle(), ViewStyle::vsSmallIcon);
    EXPECT_EQ(controller.model().ftpView().viewStyle(), ViewStyle::vsList);
    controller.invoke("LargeIcons3Click", "Details6");
    EXPECT_EQ(controller.model().ftpView().viewStyle(), ViewStyle::vsReport);
    controller.invoke("LargeIcons1Click", "LargeIcons1");
    EXPECT_EQ(controller.model().ftpView().viewStyle(), ViewStyle::vsIcon);
    EXPECT_EQ(controller.model().lvLoc().viewStyle(), ViewStyle::vsSmallIcon);
}

TEST_F(SessionControllerTest, FontEntriesChooseTheListByTagAndCancelKeepsItsFont) {
    PaneFont remote;
    remote.name = "Remote";
    controller.model().setPaneFont("FTPView", remote);

    controller.invoke("Font2Click", "Font3");  // popup of FTPView, tag 1: cancelled
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].name, "Remote") << "the dialog starts from the list's font";
    EXPECT_EQ(controller.model().paneFont("FTPView"), remote);

    dialogs.answer = "Mono";
    controller.invoke("Font2Click", "Font4");  // popup of lvLoc, tag 0
    EXPECT_EQ(controller.model().paneFont("lvLoc").name, "Mono");
    EXPECT_EQ(controller.model().paneFont("FTPView"), remote);
    controller.invoke("Font2Click", "Font1");  // "FTP - Server" menu, tag 1
    EXPECT_EQ(controller.model().paneFont("FTPView").name, "Mono");
}

TEST_F(SessionControllerTest, ExitAndNewSessionGoThroughTheWindowHooks) {
    int closes = 0, starts = 0;
    controller.invoke("Exit1Click", "Exit1");
    controller.invoke("Spawnnewsession1Click", "Spawnnewsession1");  // no hooks: nothing
    controller.onCloseWindow = [&] { ++closes; };
    controller.onStartInstance = [&] { ++starts; };
    controller.invoke("Exit1Click", "Exit1");
    controller.invoke("ExplorerButton1Click", "ExplorerButton1");
    controller.invoke("Spawnnewsession1Click", "Spawnnewsession1");
    controller.invoke("NoSuchHandlerClick", "Exit1");
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(starts, 1);
}

TEST_F(SessionControllerTest, TheHelpFileSitsInTheDataDirectory) {
    EXPECT_EQ(controller.helpFile(), dir.path() / "quayhelp.hlp");
}

}  // namespace
}  // namespace quay
