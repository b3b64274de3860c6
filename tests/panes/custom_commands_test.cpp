#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "panes/custom_commands.h"
#include "test_support.h"

namespace quay {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using Texts = std::vector<std::string>;

class CommandsFile : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir.path() / kCustomCommandsFile;
    CustomCommandsFile commandsFile{file};

    CustomCommands load() { return commandsFile.load(); }
    bool save(const CustomCommands& commands) { return commandsFile.save(commands); }
};

TEST_F(CommandsFile, RoundTripQuotesTextsWithBlanksCommasAndQuotes) {
    CustomCommands saved{{"No-op", "Set mode", "a,b", "say \"hi\"", ""},
                         {"NOOP", "SITE CHMOD 644 index.html", "x", "", "STAT"}};
    ASSERT_TRUE(save(saved));
    EXPECT_EQ(readFile(file),
              "No-op,\"Set mode\",\"a,b\",\"say \"\"hi\"\"\",\"\"\r\n"
              "NOOP,\"SITE CHMOD 644 index.html\",x,,STAT\r\n");
    EXPECT_EQ(load(), saved);

    CustomCommands none;
    ASSERT_TRUE(save(none));
    EXPECT_EQ(readFile(file), "\r\n\r\n");
    EXPECT_EQ(load(), none);
}

TEST_F(CommandsFile, LineBreaksInsideTextsCannotShiftTheLines) {
    ASSERT_TRUE(save({{"two\nlines", "b"}, {"NOOP\r\nQUIT", "STAT"}}));
    EXPECT_EQ(load(), (CustomCommands{{"two lines", "b"}, {"NOOP  QUIT", "STAT"}}));
}

TEST_F(CommandsFile, IsWrittenPrivateAndReplacedWhole) {
    writeFile(file, "old,labels,that,were,longer\nOLD,CMDS,THAT,WERE,LONGER\n");
    ::chmod(file.c_str(), 0644);
    ASSERT_TRUE(save({{"new"}, {"NEW"}}));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(load(), (CustomCommands{{"new"}, {"NEW"}}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A failed save is reported.
    std::error_code error;
    EXPECT_FALSE(CustomCommandsFile(file / "x").save({{"a"}, {"A"}}, &error));
    EXPECT_TRUE(error);
}

TEST_F(CommandsFile, AFileThatCouldNotBeReadIsNeverSavedOver) {
    // A line of commas would give as many entries as it has bytes.
    const std::string huge = "\r\n" + std::string(kMaxCustomCommandsBytes - 1, ',');
    writeFile(file, huge);
    EXPECT_EQ(load(), CustomCommands{});
    std::error_code error;
    EXPECT_FALSE(commandsFile.save({{"a"}, {"A"}}, &error));
    EXPECT_TRUE(error);
    EXPECT_EQ(std::filesystem::file_size(file), huge.size());
    writeFile(file, huge.substr(1));
    EXPECT_EQ(load().commands.size(), kMaxCustomCommandsBytes - 1);

    // Once the file reads again, saving works again.
    writeFile(file, "a\r\nA\r\n");
    EXPECT_EQ(load(), (CustomCommands{{"a"}, {"A"}}));
    EXPECT_TRUE(save({{"b"}, {"B"}}));
}

TEST_F(CommandsFile, MissingShortOrForeignFilesGiveEmptyLists) {
    EXPECT_EQ(load(), CustomCommands{});
    writeFile(file, "only,one,line\r\n");
    EXPECT_EQ(load(), CustomCommands{});
    std::filesystem::create_directory(dir.path() / "adir");
    EXPECT_EQ(CustomCommandsFile(dir.path() / "adir").load(), CustomCommands{});
}

TEST_F(CommandsFile, HandEditedFilesAreReadLeniently) {
    // Unix line ends, no final line end, blanks around items, a third line.
    writeFile(file, "  Noop , \"Site help\"\nNOOP,\"HELP SITE\"\nextra line");
    EXPECT_EQ(load(), (CustomCommands{{"Noop", "Site help"}, {"NOOP", "HELP SITE"}}));
    // More labels than commands: every label is kept, with an empty command.
    writeFile(file, "a,b,c\r\nA\r\n");
    EXPECT_EQ(load(), (CustomCommands{{"a", "b", "c"}, {"A", "", ""}}));
}

TEST_F(CommandsFile, DamagedFilesNeverBreakTheLists) {
    std::string junk;
    for (int n = 0; n < 4096; ++n)
        junk += static_cast<char>((n * 7919) % 256);
    writeFile(file, junk);
    CustomCommands fromJunk = load();
    EXPECT_EQ(fromJunk.labels.size(), fromJunk.commands.size());

    std::string longLine(256 * 1024, 'x');
    writeFile(file, "\"" + longLine + "\r\nSTAT");  // unclosed quote, no line end
    CustomCommands fromLong = load();
    ASSERT_EQ(fromLong.labels, (Texts{longLine}));
    EXPECT_EQ(fromLong.commands, (Texts{"STAT"}));
    ASSERT_TRUE(save(fromLong));
    EXPECT_EQ(load(), fromLong);
}

}  // namespace
}  // namespace quay
