#include "session/presentation_model.h"

#include <gtest/gtest.h>

namespace quay {
namespace {

TEST(PresentationModel, SettersAnnounceOnlyRealChanges) {
    PresentationModel model;
    std::vector<std::string> changed;
    model.onControlChanged = [&](const std::string& name) { changed.push_back(name); };

    EXPECT_FALSE(model.hasControl("sbStop"));
    EXPECT_TRUE(model.control("sbStop").enabled) << "unknown names read as a default control";
    model.setTag("sbStop", 1);
    model.setTag("sbStop", 1);
    model.setEnabled("sbStop", true);  // already the default
    model.setEnabled("sbStop", false);
    model.setText("Panel9", "FTP-Server");
    model.setText("Panel9", "FTP-Server");
    model.setCursor("FTPView", Cursor::crHourGlass);
    EXPECT_EQ(changed, (std::vector<std::string>{"sbStop", "sbStop", "Panel9", "FTPView"}));
}

TEST(PresentationModel, LogAndScreenCursorNotify) {
    PresentationModel model;
    std::vector<std::string> appended;
    int cleared = 0, cursorChanges = 0;
    model.onLogAppended = [&](const std::string& line) { appended.push_back(line); };
    model.onLogCleared = [&] { ++cleared; };
    model.onScreenCursorChanged = [&] { ++cursorChanges; };

    model.appendLog("> USER anonymous");
    model.appendLog(std::string("< 230 \xff\x00 ok", 10));
    ASSERT_EQ(model.logLines().size(), 2u);
    EXPECT_EQ(appended.back().size(), 10u) << "lines are bytes, kept whole";
    model.clearLog();
    EXPECT_TRUE(model.logLines().empty() && cleared == 1);

    model.setScreenCursor(Cursor::crHourGlass);
    model.setScreenCursor(Cursor::crHourGlass);
    model.setScreenCursor(Cursor::crDefault);
    EXPECT_EQ(cursorChanges, 2);
}

}  // namespace
}  // namespace quay
