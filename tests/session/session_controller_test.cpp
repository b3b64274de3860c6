#include "session/session_controller.h"

#include <gtest/gtest.h>

#include <optional>

#include "base/poll_loop.h"
#include "scripted_dialogs.h"
#include "sites/server_list.h"
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
        FtpServerInfo info;
        info.Name = name;
        return serverItem(info);
    }
    bool enabled(const char* name) { return controller.model().control(name).enabled; }

    test::TempDir dir;
    PollLoop loop;
    FontDialogs dialogs;
    SessionController controller;
};

// Commands the user may use on saved servers only, and on a live session only.
const Command kServerCommands[] = {Command::Connect, Command::NewServer, Command::Preferences};
const Command kSessionCommands[] = {Command::Disconnect,
                                    Command::Stop,
                                    Command::Upload,
                                    Command::Download,
                                    Command::RemoteSortByName,
                                    Command::RemoteFilter,
                                    Command::RemoteChangeDirectory,
                                    Command::RemoteAttributes,
                                    Command::RemoteSelectAll};
// Always usable: they serve the server list as well as the session.
const Command kNeutralCommands[] = {Command::RemoteMakeDirectory,
                                    Command::RemoteRename,
                                    Command::RemoteDelete,
                                    Command::ToggleCommandBar,
                                    Command::RemoteRefresh,
                                    Command::RemoteFont,
                                    Command::Exit};

// A command's button, menu entry and popup entry are enabled alike, by the command's rule;
// a submenu is enabled while one of its entries is.
TEST_F(SessionControllerTest, EnablingFollowsTheConnectionState) {
    for (bool connected : {true, false}) {
        controller.updateConnectionUI(connected);
        const auto expect = [&](Command command, bool on) {
            EXPECT_EQ(controller.model().commandEnabled(command), on);
            ASSERT_FALSE(controlsOf(command).empty());
            for (const std::string& name : controlsOf(command))
                EXPECT_EQ(enabled(name.c_str()), on) << name << " connected=" << connected;
        };
        for (Command command : kServerCommands)
            expect(command, !connected);
        for (Command command : kSessionCommands)
            expect(command, connected);
        for (Command command : kNeutralCommands)
            expect(command, true);
        for (const char* submenu : {"Sorting6", "Select7", "ChangeCase6"})
            EXPECT_EQ(enabled(submenu), connected) << submenu;
        EXPECT_TRUE(enabled("View6"));
    }
}

TEST_F(SessionControllerTest, ServerPropertiesNeedsASelectedServerAndNoSession) {
    const char* const entries[] = {"sbProperties", "ServerProperties1", "ServerProperties2"};
    controller.model().ftpView().add(server("alpha"));
    controller.remotePaneChanged();
    for (const char* name : entries)
        EXPECT_FALSE(enabled(name)) << name;

    controller.model().ftpView().setSelected(0, true);
    for (const char* name : entries)
        EXPECT_TRUE(enabled(name)) << name << ": a change of the pane reruns the rule";

    controller.state().serverListMode = false;
    controller.remotePaneChanged();
    EXPECT_FALSE(enabled("ServerProperties1"));
}

// Stop belongs to the running operation: with nothing running it changes nothing, and no
// control's tag carries it.
TEST_F(SessionControllerTest, StopWithNothingRunningDoesNothing) {
    controller.state().serverListMode = false;
    controller.remotePaneChanged();
    controller.execute(Command::Stop);
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
    controller.execute(Command::LocalViewSmallIcons);
    EXPECT_EQ(controller.model().lvLoc().viewStyle(), ViewStyle::vsSmallIcon);
    EXPECT_EQ(controller.model().ftpView().viewStyle(), ViewStyle::vsList);
    controller.execute(Command::RemoteViewDetails);
    EXPECT_EQ(controller.model().ftpView().viewStyle(), ViewStyle::vsReport);
    controller.execute(Command::RemoteViewLargeIcons);
    EXPECT_EQ(controller.model().ftpView().viewStyle(), ViewStyle::vsIcon);
    EXPECT_EQ(controller.model().lvLoc().viewStyle(), ViewStyle::vsSmallIcon);
}

TEST_F(SessionControllerTest, FontEntriesChooseTheListByTagAndCancelKeepsItsFont) {
    PaneFont remote;
    remote.name = "Remote";
    controller.model().setPaneFont("FTPView", remote);

    controller.execute(Command::RemoteFont);  // popup of FTPView, tag 1: cancelled
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].name, "Remote") << "the dialog starts from the list's font";
    EXPECT_EQ(controller.model().paneFont("FTPView"), remote);

    dialogs.answer = "Mono";
    controller.execute(Command::LocalFont);  // popup of lvLoc, tag 0
    EXPECT_EQ(controller.model().paneFont("lvLoc").name, "Mono");
    EXPECT_EQ(controller.model().paneFont("FTPView"), remote);
    controller.execute(Command::RemoteFont);  // "FTP - Server" menu, tag 1
    EXPECT_EQ(controller.model().paneFont("FTPView").name, "Mono");
}

TEST_F(SessionControllerTest, ExitAndNewSessionGoThroughTheWindowHooks) {
    int closes = 0, starts = 0;
    controller.execute(Command::Exit);
    controller.execute(Command::NewSession);  // no hooks: nothing
    controller.onCloseWindow = [&] { ++closes; };
    controller.onStartInstance = [&] { ++starts; };
    controller.execute(Command::Exit);
    controller.execute(Command::ExitAbortingRequest);
    controller.execute(Command::NewSession);
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(starts, 1);
}

TEST_F(SessionControllerTest, TheHelpFileSitsInTheDataDirectory) {
    EXPECT_EQ(controller.helpFile(), dir.path() / "quayhelp.hlp");
}

}  // namespace
}  // namespace quay
