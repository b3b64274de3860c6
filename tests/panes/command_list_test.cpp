#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panes/command_list_model.h"

namespace quay {
namespace {

using Close = CommandListModel::Close;
using Key = CommandListModel::Key;
using Texts = std::vector<std::string>;

CustomCommands saved() {
    return {{"No-op", "Help"}, {"NOOP", "HELP SITE"}};
}

TEST(CommandListModel, SelectingShowsAndEditingWritesTheRow) {
    CommandListModel m(saved());
    EXPECT_EQ(m.labels(), (Texts{"No-op", "Help"}));
    EXPECT_TRUE(m.editsReadOnly());
    m.setLabelEdit("ignored while read-only");
    EXPECT_EQ(m.labelEdit(), "");

    m.select(1);
    EXPECT_FALSE(m.editsReadOnly());
    EXPECT_EQ(m.commandEdit(), "HELP SITE");
    m.setLabelEdit("Site help");
    m.setCommandEdit("SITE HELP");
    EXPECT_EQ(m.labels()[1], "Site help");

    m.select(-1);
    EXPECT_EQ(m.commandEdit(), "");
    m.select(7);  // out of range counts as no selection
    EXPECT_EQ(m.selected(), -1);

    auto outcome = m.close(Close::Close);
    EXPECT_EQ(outcome.commands.commands, (Texts{"NOOP", "SITE HELP"}));
    EXPECT_EQ(outcome.chosen, "");
}

TEST(CommandListModel, AddAndRemoveStayInForceWhicheverWayItCloses) {
    CommandListModel m(saved());
    m.add();
    m.setLabelEdit("Status");
    m.setCommandEdit("STAT");
    m.select(0);
    m.remove();
    EXPECT_TRUE(m.editsReadOnly());
    m.remove();  // nothing without a selection
    auto closed = m.close(Close::Close);
    EXPECT_EQ(closed.commands, (CustomCommands{{"Help", "Status"}, {"HELP SITE", "STAT"}}));
    EXPECT_EQ(closed.chosen, "");

    m.select(1);
    auto chosen = m.close(Close::Select);
    EXPECT_EQ(chosen.chosen, "STAT");
    EXPECT_EQ(chosen.commands, closed.commands);
}

TEST(CommandListModel, KeysActOnlyWhereTheyAreMeant) {
    CommandListModel m(saved());
    std::optional<Close> closeWith;
    EXPECT_FALSE(m.key(Key::Escape, false, &closeWith));
    EXPECT_FALSE(m.key(Key::Delete, false, &closeWith));  // edits the text in an edit
    EXPECT_FALSE(m.key(Key::Insert, false, &closeWith));
    EXPECT_EQ(m.labels().size(), 2u);

    EXPECT_TRUE(m.key(Key::Insert, true, &closeWith));
    EXPECT_EQ(m.labels().size(), 3u);
    EXPECT_TRUE(m.key(Key::Delete, true, &closeWith));
    EXPECT_EQ(m.labels().size(), 2u);
    EXPECT_EQ(closeWith, std::nullopt);

    EXPECT_TRUE(m.key(Key::Enter, false, &closeWith));
    EXPECT_EQ(closeWith, Close::Close);
    m.select(0);
    EXPECT_TRUE(m.key(Key::Enter, false, &closeWith));
    EXPECT_EQ(closeWith, Close::Select);
    closeWith.reset();
    EXPECT_TRUE(m.key(Key::Escape, true, &closeWith));
    EXPECT_EQ(closeWith, Close::Close);
}

}  // namespace
}  // namespace quay
