#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/layouts_file.h"
#include "sites/server_properties.h"
#include "sites/text_lines.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class ServerPropertiesTest : public ::testing::Test {
protected:
    FtpServerInfo custom(const std::string& answer, const std::string& answerName) {
        FtpServerInfo info = defaultServerInfo("");
        info.Name = "n";
        info.Server = "s";
        info.Answer = answer;
        info.AnswerName = answerName;
        return info;
    }
    fs::path answerFile() const { return dir.path() / "Answer.txt"; }
    // Collects the errors the model shows as "caption|text".
    void collectErrors(ServerPropertiesModel& model) {
        model.showError = [this](const std::string& caption, const std::string& text) {
            errors.push_back(caption + "|" + text);
        };
    }

    test::TempDir dir;
    std::vector<std::string> errors;
};

TEST_F(ServerPropertiesTest, LayoutsFileReadingRules) {
    EXPECT_EQ(readLayouts(dir.path()).codes, std::vector<std::string>{"0957681"});

    writeFile(answerFile(),
              "\"Standard\",4111111\r\n\r\n\"My Unix\",4123456\r\nbare\n"
              "\"Say \"\"hi\"\"\",4999999,extra");
    Layouts layouts = readLayouts(dir.path());
    EXPECT_EQ(layouts.names,
              (std::vector<std::string>{"Standard", "My Unix", "bare", "Say \"hi\""}));
    // The first code is always the default; a layout without a code gets it too.
    EXPECT_EQ(layouts.codes,
              (std::vector<std::string>{"0957681", "4123456", "0957681", "4999999"}));

    ASSERT_TRUE(writeLayouts(dir.path(), layouts));
    EXPECT_EQ(readFile(answerFile()),
              "\"Standard\",0957681\r\n\"My Unix\",4123456\r\n\"bare\",0957681\r\n"
              "\"Say \"\"hi\"\"\",4999999\r\n");

    writeFile(answerFile(), std::string("\x00\xff,\x01\x02", 5) + std::string(1 << 20, 'z'));
    EXPECT_EQ(readLayouts(dir.path()).codes.front(), "0957681");
}

TEST_F(ServerPropertiesTest, AnUnreadableLayoutsFileIsNeverWrittenOver) {
    // Many layouts, but more lines than a list file of ours may have.
    std::string junk =
        "\"Default\",0957681\r\n\"Mine\",4123456\r\n" + std::string(MaxFileLines, '\n');
    writeFile(answerFile(), junk);
    ServerPropertiesModel model(custom("4123456", "Mine"), dir.path());
    EXPECT_EQ(model.layoutNames(), std::vector<std::string>{"Default"});
    model.NameEdt = "edited";
    // The record is still edited; only the file is left alone, and that is reported.
    EXPECT_FALSE(model.finish(true));
    EXPECT_EQ(model.record().Name, "edited");
    EXPECT_EQ(readFile(answerFile()), junk);

    // Once it reads again, it is written again.
    writeFile(answerFile(), "\"Default\",0957681\r\n\"Mine\",4123456\r\n");
    ServerPropertiesModel again(custom("4123456", "Mine"), dir.path());
    EXPECT_TRUE(again.finish(false));
}

TEST_F(ServerPropertiesTest, LayoutCodes) {
    EXPECT_EQ(layoutColumns("0957681"), (std::array<int, 6>{9, 5, 7, 6, 8, 1}));
    EXPECT_EQ(layoutColumns("4af0Z"), (std::array<int, 6>{10, 15, 0, 0, 0, 0}));
    EXPECT_EQ(buildLayoutCode(4, {"10", "15", "16", "", "x", "-1"}), "4af0000");
}

TEST_F(ServerPropertiesTest, DefaultTypeAlwaysOpensAndSavesWithTheDefaultLayout) {
    for (const char* stored : {"0123456", "0", "", "x123456"}) {
        ServerPropertiesModel model(custom(stored, "Mine"), dir.path());
        EXPECT_EQ(model.typeIndex(), 0) << stored;
        EXPECT_EQ(model.columns, (std::array<std::string, 6>{"9", "5", "7", "6", "8", "1"}));
        ASSERT_TRUE(model.finish(true));
        EXPECT_EQ(model.record().Answer, "0957681");
        EXPECT_EQ(model.record().AnswerName, "Default");
    }
    // A code of the wrong length keeps its type but loses its layout.
    ServerPropertiesModel shortCode(custom("4123", "Mine"), dir.path());
    EXPECT_EQ(shortCode.typeIndex(), 4);
    EXPECT_EQ(shortCode.columns[0], "9");
    // An out-of-range type digit selects the first type.
    ServerPropertiesModel nine(custom("9123456", "x"), dir.path());
    EXPECT_EQ(nine.typeIndex(), 0);
    EXPECT_EQ(nine.columns[0], "1");
}

TEST_F(ServerPropertiesTest, CustomTypeFindsItsLayoutOrFallsBackToTheFirst) {
    writeFile(answerFile(), "\"Default\",0957681\r\n\"Mine\",4123456\r\n");
    ServerPropertiesModel found(custom("4999999", "MINE"), dir.path());
    EXPECT_EQ(found.layoutIndex(), 1);
    EXPECT_EQ(found.columns, (std::array<std::string, 6>{"1", "2", "3", "4", "5", "6"}));

    ServerPropertiesModel missing(custom("4999999", "Gone"), dir.path());
    EXPECT_EQ(missing.layoutIndex(), 0);
    EXPECT_EQ(missing.columns, (std::array<std::string, 6>{"9", "5", "7", "6", "8", "1"}));
    ASSERT_TRUE(missing.finish(true));
    EXPECT_EQ(missing.record().Answer, "4957681");
    EXPECT_EQ(missing.record().AnswerName, "Default");
}

TEST_F(ServerPropertiesTest, LayoutListCommands) {
    writeFile(answerFile(), "\"Default\",0957681\r\n\"Mine\",4123456\r\n");
    ServerPropertiesModel model(custom("4123456", "Mine"), dir.path());
    std::vector<std::string> asked;
    std::vector<std::string> answers{"Edited", "Added"};
    model.askLayoutName = [&](const std::string& caption, std::string& name) {
        asked.push_back(caption + ":" + name);
        name = answers.front();
        answers.erase(answers.begin());
        return true;
    };
    // Switching layouts stores the edits into the one left.
    model.columns[0] = "11";
    model.cbNameChange(0);
    EXPECT_EQ(model.layoutCodes()[1], "4b23456");
    model.cbNameChange(1);
    EXPECT_EQ(model.columns[0], "11");

    model.SpeedButton5Click();
    EXPECT_EQ(model.layoutNames()[1], "Edited");
    model.cbNameChange(0);
    model.SpeedButton5Click();  // on the first layout "edit" adds
    EXPECT_EQ(asked, (std::vector<std::string>{"Edit Host Type:Mine", "New Host Type:"}));
    EXPECT_EQ(model.layoutNames(), (std::vector<std::string>{"Default", "Edited", "Added"}));
    EXPECT_EQ(model.layoutIndex(), 2);

    model.cbNameChange(0);
    model.SpeedButton4Click();  // the first layout cannot be deleted
    EXPECT_EQ(model.layoutNames().size(), 3u);
    model.cbNameChange(1);
    model.SpeedButton4Click();
    EXPECT_EQ(model.layoutNames(), (std::vector<std::string>{"Default", "Added"}));

    // Cancel still writes the layouts.
    ASSERT_TRUE(model.finish(false));
    EXPECT_EQ(readFile(answerFile()), "\"Default\",0957681\r\n\"Added\",4957681\r\n");
}

TEST_F(ServerPropertiesTest, LayoutNamesTheServerListCannotStoreAreRefused) {
    writeFile(answerFile(), "\"Default\",0957681\r\n\"Mine\",4123456\r\n");
    ServerPropertiesModel model(custom("4123456", "Mine"), dir.path());
    collectErrors(model);
    std::string typed = "x;InitialDir=/etc";
    model.askLayoutName = [&](const std::string&, std::string& name) {
        name = typed;
        return true;
    };
    model.SpeedButton5Click();  // rename "Mine"
    typed = "two\r\nlines";
    model.SpeedButton3Click();  // add
    EXPECT_EQ(model.layoutNames(), (std::vector<std::string>{"Default", "Mine"}));
    EXPECT_EQ(errors,
              (std::vector<std::string>{
                  "Attention|Edit Host Type: the name cannot contain \";\" or a line break",
                  "Attention|New Host Type: the name cannot contain \";\" or a line break"}));
    typed = "a, \"b\"";
    model.SpeedButton3Click();
    ASSERT_TRUE(model.finish(true));
    EXPECT_EQ(model.record().AnswerName, "a, \"b\"");
}

TEST_F(ServerPropertiesTest, ClickRules) {
    FtpServerInfo info = custom("0957681", "Default");
    info.InitialDir = "/pub";
    ServerPropertiesModel model(info, dir.path());
    model.RemoteDirEdt = "  pub/x ";
    model.setCbPD(true);
    EXPECT_EQ(model.RemoteDirEdt, "/pub/x");
    model.setCbPD(false);
    EXPECT_EQ(model.RemoteDirEdt, "pub/x");

    model.cbTypeChange(4);
    model.cbTypeChange(12);
    EXPECT_EQ(model.typeIndex(), 4);

    std::string text = "12";
    std::size_t cursor = 1;
    ServerPropertiesModel::typeColumnKey(text, cursor, '7');
    EXPECT_EQ(text, "172");
    ServerPropertiesModel::typeColumnKey(text, cursor, 'a');  // acts as a backspace
    EXPECT_EQ(cursor, 1u);
    cursor = 0;
    ServerPropertiesModel::typeColumnKey(text, cursor, 'a');
    EXPECT_EQ(text, "12");
}

// The refusals speak the language shown, the field named by its label in that language.
TEST_F(ServerPropertiesTest, RefusalsSpeakTheLanguageShown) {
    MessageTexts texts;
    for (NamedObject* entry : texts.ownedObjects()) {
        if (entry->objectName() == "PropertiesErrorTitle")
            entry->setStringProperty("Text", "Achtung");
        if (entry->objectName() == "FieldUnstorable")
            entry->setStringProperty("Text", "\"%1\" darf kein \";\" enthalten.");
        if (entry->objectName() == "FieldUser")
            entry->setStringProperty("Text", "Benutzername");
    }
    ServerPropertiesModel model(custom("0957681", "Default"), dir.path());
    model.messages = &texts;
    collectErrors(model);
    model.NameEdt = "n";
    model.ServerEdt = "h";
    model.UserEdt = "a;b";
    EXPECT_FALSE(model.SpeedButton2Click());
    EXPECT_EQ(errors,
              (std::vector<std::string>{"Achtung|\"Benutzername\" darf kein \";\" enthalten."}));
}

TEST_F(ServerPropertiesTest, OkValidatesAndStoresTheEdits) {
    FtpServerInfo info = custom("0957681", "Default");
    info.ModifiedDate = "kept too";
    ServerPropertiesModel model(info, dir.path());
    collectErrors(model);
    model.NameEdt = "   ";
    EXPECT_FALSE(model.SpeedButton2Click());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Attention|FTP Server Name must be defined");

    model.NameEdt = " " + std::string(60, 'N') + " ";
    model.PasswordEdt = std::string("x") + static_cast<char>(0xAA);  // scrambles to CR
    EXPECT_FALSE(model.SpeedButton2Click());
    EXPECT_EQ(errors.size(), 2u);
    model.PasswordEdt = " pw ";
    model.mDesc = {"a", "b;c"};
    EXPECT_FALSE(model.SpeedButton2Click());
    EXPECT_EQ(errors.back(), "Attention|\"Description\" cannot contain \";\" or a line break");
    model.mDesc.clear();
    model.RemoteDirEdt = "/pub\r\nName=x";
    EXPECT_FALSE(model.SpeedButton2Click());
    EXPECT_EQ(errors.back(),
              "Attention|\"Initial Directory on FTP Server\" cannot contain \";\" or a line break");
    model.RemoteDirEdt = "/pub\r\n";  // trimmed away
    EXPECT_TRUE(model.SpeedButton2Click());

    model.ServerEdt = " host ";
    model.EMailEdt = std::string(70, 'e');
    model.RemoteDirEdt = std::string(300, 'r');
    model.mDesc = {"one", "", "three"};
    model.setCbPv(true);
    model.setCbVH(true);
    EXPECT_EQ(model.securityIndex(), 0);
    model.setSecurityIndex(4);  // no such item: unchanged
    EXPECT_EQ(model.securityIndex(), 0);
    model.setSecurityIndex(3);
    model.cbTypeChange(4);
    model.columns = {"1", "2", "3", "4", "5", "20"};
    ASSERT_TRUE(model.finish(true));
    const FtpServerInfo& out = model.record();
    EXPECT_EQ(out.Name, std::string(50, 'N'));
    EXPECT_EQ(out.Server, "host");
    EXPECT_EQ(out.Password, "pw");
    EXPECT_EQ(out.EMail.size(), 60u);
    EXPECT_EQ(out.InitialDir.size(), 255u);
    EXPECT_EQ(out.Desc, "one``three");
    EXPECT_TRUE(out.Pasv && out.CheckVHost);
    EXPECT_EQ(out.Security, 3);
    EXPECT_EQ(out.Answer, "4123450");
    EXPECT_EQ(out.ModifiedDate, "kept too");

    FtpServerInfo reopened = out;
    ServerPropertiesModel again(reopened, dir.path());
    EXPECT_EQ(again.mDesc, (std::vector<std::string>{"one", "", "three"}));
    EXPECT_EQ(again.securityIndex(), 3);
}

TEST_F(ServerPropertiesTest, BrowseStartsAtAnExistingLocalDirectory) {
    FtpServerInfo info = custom("0957681", "Default");
    info.LocalDir = (dir.path() / "missing").string();
    ServerPropertiesModel model(info, dir.path());
    EXPECT_EQ(model.browseStart(), dir.path());
    model.folderChosen(dir.path().string());
    EXPECT_EQ(model.browseStart(), dir.path());
    model.folderChosen(std::string(300, 'd'));
    EXPECT_EQ(model.LocalDir.size(), 255u);
}

}  // namespace
}  // namespace quay
