#include "config/profile_file.h"

#include <gtest/gtest.h>

#include <string>

#include "config/options.h"
#include "test_support.h"

namespace quay {
namespace {

TEST(ProfileFile, MatchesSectionsAndKeysWithoutRegardToCaseOrBlanks) {
    const ProfileFile file("[common]\r\n  TIMEOUT = 30 \r\n[ Proxy ]\r\nServer=gate\r\n");
    EXPECT_EQ(file.readInteger("Common", "TimeOut", 15), 30);
    EXPECT_EQ(file.readString("PROXY", "server", ""), "gate");
    EXPECT_EQ(file.readString("Socks", "Server", "none"), "none");

    // The first of two sections or keys counts.
    const ProfileFile twice("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(twice.readInteger("A", "k", 0), 1);
    EXPECT_EQ(twice.readInteger("A", "j", 0), 0);
}

TEST(ProfileFile, ReadsValuesExactlyAsWritten) {
    const ProfileFile file("[S]\nPsw= a=b \nEmpty=\nNoValue\n=orphan\n;Key=comment\n");
    EXPECT_EQ(file.readString("S", "Psw", ""), " a=b ");
    EXPECT_EQ(file.readString("S", "Empty", "x"), "");
    EXPECT_EQ(file.readString("S", "NoValue", "x"), "x");
    EXPECT_EQ(file.readString("S", ";Key", "x"), "x");
    const auto values = file.sectionValues("s");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>("Psw", " a=b ")));
}

TEST(ProfileFile, NumbersAndFlagsFallBackToTheAbsentValue) {
    const ProfileFile file(
        "[N]\nplain=42\nneg=-7\nplus=+3\nword=abc\nmixed=12x\nsigns=+-3\nhuge=99999999999\nblank=\n"
        "two=2\nzero=0\n");
    EXPECT_EQ(file.readInteger("N", "plain", 0), 42);
    EXPECT_EQ(file.readInteger("N", "neg", 0), -7);
    for (const char* key : {"word", "mixed", "signs", "huge", "blank", "missing"}) {
        EXPECT_EQ(file.readInteger("N", key, 15), 15) << key;
        EXPECT_TRUE(file.readBool("N", key, true)) << key;
        EXPECT_FALSE(file.readBool("N", key, false)) << key;
    }
    EXPECT_TRUE(file.readBool("N", "two", false));
    EXPECT_TRUE(file.readBool("N", "neg", false));
    EXPECT_FALSE(file.readBool("N", "zero", true));
}

TEST(ProfileFile, WritesInPlaceAndKeepsEverythingElse) {
    ProfileFile file(
        "; made by hand\n[Common]\nUnknown=keep me\nlog = 0\n\n[Other]\nx=1\n[Common]\nLog=9\n");
    file.writeBool("COMMON", "Log", true);
    file.writeInteger("Common", "TimeOut", 20);
    file.writeString("Proxy", "Server", "gate");
    EXPECT_EQ(file.text(),
              "; made by hand\n[Common]\nUnknown=keep me\nlog =1\nTimeOut=20\n\n"
              "[Other]\nx=1\n[Common]\nLog=9\n\n[Proxy]\nServer=gate\n");
}

TEST(ProfileFile, KeepsCrLfLineEndsAndKeepsLineBreaksOutOfValues) {
    ProfileFile file("[Common]\r\nLog=0\r\n");
    file.writeString("Common", "Anonymous", "me@x\r\n[Common]\nLog=1");
    EXPECT_EQ(file.text(), "[Common]\r\nLog=0\r\nAnonymous=me@x  [Common] Log=1\r\n");
    EXPECT_FALSE(ProfileFile(file.text()).readBool("Common", "Log", true));
}

TEST(ProfileFile, EveryWrittenStringReadsBack) {
    ProfileFile file;
    const std::string values[] = {"",        " lead", "trail ", "\"quoted\"",
                                  "a=b",     "[x]",   ";c",     std::string("nul\0byte", 8),
                                  "\xff\xfe"};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        file.writeString("S", std::to_string(i), values[i]);
    }
    const ProfileFile again(file.text());
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(again.readString("S", std::to_string(i), "absent"), values[i]) << i;
    }
}

TEST(ProfileFile, SurvivesJunkAndMissingFiles) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk += static_cast<char>((i * 7919) % 256);
    }
    ProfileFile file(junk);
    file.writeString("Common", "Log", "1");
    EXPECT_EQ(ProfileFile(file.text()).readString("Common", "Log", ""), "1");

    test::TempDir dir;
    EXPECT_EQ(ProfileFile::load(dir.path() / "none").text(), "");
    ASSERT_TRUE(file.save(dir.path() / "p.ini", 0600));
    EXPECT_EQ(ProfileFile::load(dir.path() / "p.ini").text(), file.text());
}

TEST(ProfileFile, AFileOfTooManyLinesIsUnreadableAndKept) {
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "options.ftp";
    const std::string head = "[Common]\r\nTimeOut=30\r\n";
    test::writeFile(path, head + std::string(99998, '\n'));
    EXPECT_EQ(ProfileFile::load(path).readInteger("Common", "TimeOut", 15), 30);
    ASSERT_TRUE(ProfileFile::loadForUpdate(path).has_value());

    // Each line would become a parsed line of its own.
    const std::string junk = head + std::string(99999, '\n');
    test::writeFile(path, junk);
    EXPECT_EQ(ProfileFile::load(path).readInteger("Common", "TimeOut", 15), 15);
    EXPECT_FALSE(ProfileFile::loadForUpdate(path).has_value());
    EXPECT_FALSE(saveOptions(defaultOptions(dir.path()), dir.path()));
    EXPECT_EQ(test::readFile(path), junk);
}

}  // namespace
}  // namespace quay
