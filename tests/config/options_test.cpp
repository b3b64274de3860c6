#include "config/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "config/profile_file.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

std::string dirText(const test::TempDir& dir) {
    return dir.path().string() + "/";
}

// What reading gives without a usable file: the defaults with the short keep-alive duration.
void expectStartValues(const Options& loaded, const fs::path& dir) {
    Options start = defaultOptions(dir);
    start.durationKeep = 10;
    EXPECT_EQ(loaded, start);
}

TEST(Options, DefaultsAndStartValues) {
    test::TempDir dir;
    const Options defaults = defaultOptions(dir.path());
    EXPECT_EQ(defaults.durationKeep, 20);
    EXPECT_EQ(defaults.dirListFile, dirText(dir) + "FTPDIR" + std::to_string(::getpid()) + ".TXT");
    EXPECT_EQ(defaults.logFile, dirText(dir) + "quayside.log");
    EXPECT_EQ(defaults.fontName, "MS Sans Serif");
    expectStartValues(loadOptions(dir.path()), dir.path());
}

TEST(Options, BadFilesGiveTheStartValues) {
    test::TempDir dir;
    const fs::path file = dir.path() / kOptionsFileName;
    std::string junk;
    for (int i = 0; i < 10000; ++i) {
        junk += static_cast<char>((i * 131) % 256);
    }
    const std::string garbled =
        "[Common]\nConnectionType=260\nTransferMode=zwei\nTimeOut=\nStartKeep=1e3\n"
        "DurationKeep=99999999999\nPromptDownLoad=yes\nFontSize=8pt\n"
        "[Font Left]\nCharSet=x\nStyle_Bold=\n";
    for (const std::string& content : {junk, garbled, std::string("[Common]")}) {
        test::writeFile(file, content);
        expectStartValues(loadOptions(dir.path()), dir.path());
    }
    fs::remove(file);
    fs::create_directory(file);
    expectStartValues(loadOptions(dir.path()), dir.path());
}

TEST(Options, ReadsHandWrittenValues) {
    test::TempDir dir;
    test::writeFile(dir.path() / kOptionsFileName,
                    "[COMMON]\r\nconnectiontype=4\r\nLogFile=\r\nLog=7\r\nfwPort=2121\r\n"
                    "CmdKeep=NOOP,\"SITE IDLE\"\r\n[proxy]\r\nServer=gate\r\n"
                    "[Language]\r\nLangOn=1\r\nLangFile=deutsch\r\n"
                    "[Font Right]\r\nName=Courier\r\nStyle_Italic=1\r\n");
    const Options o = loadOptions(dir.path());
    EXPECT_EQ(o.connectionType, 4);
    EXPECT_EQ(o.logFile, dirText(dir) + "quayside.log");
    EXPECT_TRUE(o.log);
    EXPECT_EQ(o.fwPort, "2121");
    EXPECT_EQ(o.cmdKeep, "NOOP,\"SITE IDLE\"");
    EXPECT_EQ(o.pxHost, "gate");
    EXPECT_EQ(o.language.langFile, "deutsch");
    EXPECT_EQ(o.fontRight.name, "Courier");
    EXPECT_EQ(o.fontRight.italic, true);
    EXPECT_EQ(o.fontRight.bold, std::nullopt);
    EXPECT_EQ(o.fontLeft, PaneFont());
}

Options everyFieldChanged(const fs::path& dir) {
    Options o = defaultOptions(dir);
    o.connectionType = 3;
    o.transferMode = 2;
    o.pxHost = "proxy";
    o.pxPort = "3128";
    o.pxPsw = " secret with blanks ";
    o.pxPswMask = true;
    o.skHost = "socks";
    o.skPort = "1080";
    o.skPsw = "p=w;\"x\"";
    o.skUC = "user";
    o.skPswMask = true;
    o.passiveTransfer = true;
    o.sync = true;
    o.log = true;
    o.logFile = "/var/tmp/q.log";
    o.timeOut = 60;
    o.retry = 3;
    o.ext = "txt,htm,\"my ext\"";
    o.keep = true;
    o.startKeep = 7;
    o.durationKeep = 55;
    o.cmdKeep = "NOOP";
    o.mailAno = true;
    o.anonymous = "me@example.org";
    o.fwHost = "fw";
    o.fwPort = "2121";
    o.fwID = "id";
    o.fwPsw = "fwp";
    o.fwSimbol = "#";
    o.fwType = 6;
    o.fwEnable = true;
    o.iniPath = "/home/x/";
    o.fontName = "DejaVu Sans";
    o.fontSize = 11;
    o.fontColor = -16777208;
    o.promptDownLoad = false;
    o.promptUpLoad = false;
    o.defPrompt = 2;
    o.dateType = 1;
    o.askRemoteDelete = false;
    o.language = {true, true, "deutsch"};
    o.fontLeft = {"Mono", 1, 255, true, false, true, false, std::nullopt};
    o.fontRight = {"Sans", 0, 0, false, true, false, true, std::nullopt};
    o.window = {-40, 20, 1200, 800, true, 180, 150, "100,75,90,60", "140,65,55,40,180"};
    return o;
}

TEST(Options, SavingAndLoadingReproducesEveryValueButTheListingFile) {
    test::TempDir dir;
    Options saved = everyFieldChanged(dir.path());
    saved.dirListFile = "/elsewhere/FTPDIR1.TXT";
    ASSERT_TRUE(saveOptions(saved, dir.path()));
    const Options loaded = loadOptions(dir.path());
    EXPECT_EQ(loaded.dirListFile, defaultOptions(dir.path()).dirListFile);
    saved.dirListFile = loaded.dirListFile;
    EXPECT_EQ(loaded, saved);

    struct stat info {};
    ASSERT_EQ(::stat((dir.path() / kOptionsFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Options, SavingKeepsForeignKeysAndUnknownFonts) {
    test::TempDir dir;
    const fs::path file = dir.path() / kOptionsFileName;
    test::writeFile(file,
                    "[Common]\nPlugin=keep\n[Font Left]\nName=Mono\nCharSet=2\n[Mine]\na=b\n");
    Options o = loadOptions(dir.path());
    o.fontLeft.name = "Other";
    ASSERT_TRUE(saveOptions(o, dir.path()));
    const ProfileFile written = ProfileFile::load(file);
    EXPECT_EQ(written.readString("Common", "Plugin", ""), "keep");
    EXPECT_EQ(written.readString("Mine", "a", ""), "b");
    EXPECT_EQ(written.readInteger("Font Left", "CharSet", 0), 2);
    EXPECT_FALSE(written.value("Font Left", "Style_Bold"));
    EXPECT_FALSE(written.value("Common", "DirListFile"));
    EXPECT_EQ(written.readInteger("Common", "DurationKeep", 0), 10);
}

// The window's state is a section of its own in plain keys; a file without it gets none
// written, so every value stays "the window's own" until the window says otherwise.
TEST(Options, WindowStateHasASectionOfItsOwn) {
    test::TempDir dir;
    const fs::path file = dir.path() / kOptionsFileName;
    ASSERT_TRUE(saveOptions(loadOptions(dir.path()), dir.path()));
    EXPECT_TRUE(ProfileFile::load(file).sectionValues("Window").empty());

    Options o = loadOptions(dir.path());
    o.window.width = 900;
    o.window.remoteColumns = "140,65";
    ASSERT_TRUE(saveOptions(o, dir.path()));
    const ProfileFile written = ProfileFile::load(file);
    const std::vector<std::pair<std::string, std::string>> expected = {{"Width", "900"},
                                                                       {"RemoteColumns", "140,65"}};
    EXPECT_EQ(written.sectionValues("Window"), expected);
    EXPECT_FALSE(loadOptions(dir.path()).window.left.has_value());
}

TEST(Options, AnUnwritableDataDirectoryIsNoCrash) {
    test::TempDir dir;
    const fs::path missing = dir.path() / "gone";
    EXPECT_FALSE(saveOptions(defaultOptions(missing), missing));
    expectStartValues(loadOptions(dir.path()), dir.path());
}

}  // namespace
}  // namespace quay
