#include <gtest/gtest.h>

#include <string>

#include "sites/server_info.h"
#include "sites/server_line.h"

namespace quay {
namespace {

constexpr const char* HomeLine =
    "Name=Home;Server=host1;Port=21;User=anonymous;Anonymous=0;SavePassword=1;Pasv=0;"
    "Answer=0957681;AnswerName=Default;CheckPSW=1;CheckVHost=0;";

FtpServerInfo fullRecord() {
    FtpServerInfo info;
    info.Name = "Work";
    info.Server = "ftp.example.org";
    info.Password = "s3cret";
    info.User = "joe";
    info.Account = "acct";
    info.Description = "old";
    info.LocalDir = "/home/joe/dl";
    info.InitialDir = "/pub";
    info.ModifiedDate = "2001-02-03";
    info.EMail = "joe@example.org";
    info.Anonymous = true;
    info.SavePassword = true;
    info.Port = "2121";
    info.Pasv = true;
    info.Desc = "one`two`three";
    info.Answer = "4123456";
    info.AnswerName = "Mine";
    info.CheckPSW = false;
    info.CheckVHost = true;
    return info;
}

TEST(ServerRecord, CryptPasswordIsItsOwnInverseOnEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    std::string scrambled = cryptPassword(all);
    EXPECT_EQ(static_cast<unsigned char>(scrambled[0]), 0xA7);
    EXPECT_EQ(cryptPassword(scrambled), all);
}

TEST(ServerRecord, PasswordsThatScrambleToSeparatorsAreNotStorable) {
    EXPECT_TRUE(passwordStorable("plain;text\r\n"));  // these bytes scramble to high bytes
    for (unsigned char bad : {0x9C, 0xAA, 0xAD})      // scramble to ';', CR, LF
        EXPECT_FALSE(passwordStorable(std::string("ab") + static_cast<char>(bad)));
}

TEST(ServerLine, DefaultRecordGivesTheDocumentedLine) {
    FtpServerInfo info = defaultServerInfo("");
    info.Name = "Home";
    info.Server = "host1";
    EXPECT_EQ(serverInfoToLine(info), HomeLine);
    EXPECT_EQ(lineToServerInfo(HomeLine, ""), info);
}

TEST(ServerLine, FullRecordRoundTripsWithScrambledPassword) {
    FtpServerInfo info = fullRecord();
    std::string line = serverInfoToLine(info);
    EXPECT_EQ(line,
              "Name=Work;Server=ftp.example.org;Port=2121;Password=" + cryptPassword("s3cret") +
                  ";User=joe;Account=acct;Description=old;InitialDir=/pub;Anonymous=1;"
                  "SavePassword=1;ModifiedDate=2001-02-03;EMail=joe@example.org;"
                  "LocalDir=/home/joe/dl;Pasv=1;Desc=one`two`three;Answer=4123456;"
                  "AnswerName=Mine;CheckPSW=0;CheckVHost=1;");
    FtpServerInfo back = lineToServerInfo(line, "");
    back.Password = cryptPassword(back.Password);
    EXPECT_EQ(back, info);
}

TEST(ServerLine, EmptyFieldsAreLeftOutAndReadBackEmpty) {
    FtpServerInfo info = defaultServerInfo("anon@example.org");
    info.User.clear();
    std::string line = serverInfoToLine(info);
    EXPECT_EQ(line.rfind("Port=21;Anonymous=0;SavePassword=1;EMail=anon@example.org;", 0), 0u);
    // "SavePassword=" and "AnswerName=" must not be taken for "Password=" and "Name=".
    FtpServerInfo back = lineToServerInfo(line, "");
    EXPECT_TRUE(back.Password.empty() && back.Name.empty());
    EXPECT_EQ(back.EMail, "anon@example.org");
    EXPECT_EQ(back.User, "anonymous");  // absent key: the default again
}

TEST(ServerLine, HandEditedLines) {
    EXPECT_EQ(lineToServerInfo("", "x@y"), defaultServerInfo("x@y"));

    // A value holding ';' is cut there; what follows counts only as a pair of its own.
    FtpServerInfo cut = lineToServerInfo("Name=a;b;Server=s;Desc=x;Port=99", "");
    EXPECT_EQ(cut.Name, "a");
    EXPECT_EQ(cut.Server, "s");
    EXPECT_EQ(cut.Port, "99");  // last pair without ';'
    EXPECT_EQ(lineToServerInfo("Desc=Port=1;Name=n", "").Port, "21");

    // Duplicate keys: the first wins. Unknown keys are ignored. Keys are case-sensitive.
    FtpServerInfo dup = lineToServerInfo("Name=first;Bogus=1;Name=second;server=low;", "");
    EXPECT_EQ(dup.Name, "first");
    EXPECT_TRUE(dup.Server.empty());

    // Flags: decimal numbers, non-zero true, anything else false.
    FtpServerInfo flags = lineToServerInfo("Pasv=7;Anonymous=-1;SavePassword=yes;CheckPSW=;", "");
    EXPECT_TRUE(flags.Pasv && flags.Anonymous);
    EXPECT_FALSE(flags.SavePassword || flags.CheckPSW);
    EXPECT_FALSE(lineToServerInfo("Pasv=99999999999;", "").Pasv);
    EXPECT_FALSE(lineToServerInfo("Pasv=1x;", "").Pasv);
}

TEST(ServerLine, SecurityIsWrittenLastAndOnlyWhenNotPlain) {
    // Plain FTP: the line is the one of before, byte for byte (HomeLine above).
    FtpServerInfo info = fullRecord();
    const std::string plain = serverInfoToLine(info);
    EXPECT_EQ(plain.find("Security="), std::string::npos);
    for (const int security : {1, 2, 3}) {
        info.Security = security;
        const std::string line = serverInfoToLine(info);
        EXPECT_EQ(line, plain + "Security=" + std::to_string(security) + ";");
        EXPECT_EQ(lineToServerInfo(line, "").Security, security);
    }
    // Missing, out of range or not a number: plain FTP, as a record without the key.
    for (const char* line : {"Name=n;", "Security=0;", "Security=4;", "Security=-1;",
                             "Security=2x;", "Security=;", "Security=99999999999;"})
        EXPECT_EQ(lineToServerInfo(line, "").Security, 0) << line;
}

TEST(ServerLine, LongValuesAreCutToTheirLimits) {
    std::string big(1 << 20, 'n');
    FtpServerInfo info = lineToServerInfo("Name=" + big + ";Server=" + big + ";Answer=" + big +
                                              ";EMail=" + big + ";InitialDir=" + big,
                                          "");
    EXPECT_EQ(info.Name.size(), 50u);
    EXPECT_EQ(info.Server.size(), big.size());  // no limit
    EXPECT_EQ(info.Answer.size(), 7u);
    EXPECT_EQ(info.EMail.size(), 60u);
    EXPECT_EQ(info.InitialDir.size(), 255u);
    EXPECT_EQ(defaultServerInfo(big).EMail.size(), 60u);
}

TEST(ServerLine, FolderLines) {
    EXPECT_EQ(folderLineName("DIR=Work"), "Work");
    EXPECT_EQ(folderLineName("Dir= spaced "), " spaced ");
    EXPECT_EQ(folderLineName("DIR="), "");
    EXPECT_FALSE(folderLineName("DIR"));
    EXPECT_FALSE(folderLineName("Name=DIR=x"));
    EXPECT_EQ(folderLine("Work"), "DIR=Work");
}

}  // namespace
}  // namespace quay
