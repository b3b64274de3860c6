#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panes/command_box.h"

namespace quay {
namespace {

using Texts = std::vector<std::string>;

TEST(CommandBox, DoItAddsANewTextOnceAndSendsTheSelectedItem) {
    ComboModel box;
    EXPECT_EQ(commandToSend(box), std::nullopt);  // empty text: nothing

    box.setText("NOOP");
    EXPECT_EQ(commandToSend(box), "NOOP");
    EXPECT_EQ(box.items(), (Texts{"NOOP"}));
    EXPECT_EQ(commandToSend(box), "NOOP");  // same as the selected item: no duplicate
    EXPECT_EQ(box.items(), (Texts{"NOOP"}));

    box.setText("SITE CHMOD 644 index.html");
    EXPECT_EQ(commandToSend(box), "SITE CHMOD 644 index.html");
    EXPECT_EQ(box.items(), (Texts{"NOOP", "SITE CHMOD 644 index.html"}));
    EXPECT_EQ(box.itemIndex(), 1);

    box.setItemIndex(-1);
    box.setText("NOOP");  // no selection counts as differing
    EXPECT_EQ(commandToSend(box), "NOOP");
    EXPECT_EQ(box.count(), 3u);
}

TEST(CommandBox, ChosenCommandIsAddedUntrimmedUnlessBlank) {
    ComboModel box;
    addChosenCommand(box, " \t\r\n");
    EXPECT_EQ(box.count(), 0u);
    addChosenCommand(box, " STAT ");
    EXPECT_EQ(box.items(), (Texts{" STAT "}));
    EXPECT_EQ(box.text(), " STAT ");
}

}  // namespace
}  // namespace quay
