// Uploads and downloads through the real main window against real servers, as a user does:
// connect to a saved server, select rows, press the arrow buttons (or drag the rows onto the
// other pane), answer the overwrite prompt, press Stop; then compare the bytes on disk and the
// FTP dialogue in the log.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>

#include "ftp_servers.h"
#include "menu_click.h"
#include "scripted_ftp_server.h"
#include "transfer_test_support.h"

namespace quay {

namespace fs = std::filesystem;
using test::kWaitMs;
using O = Dialogs::Overwrite;

// Options under which a transfer asks nothing before it starts.
constexpr const char* kNoQuestions = "PromptDownLoad=0\nPromptUpLoad=0\nDefPrompt=1\n";

class TransferTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TransferProgram> m_run;
    std::unique_ptr<test::FtpServer> m_server;

    test::TransferProgram& run() { return *m_run; }
    fs::path root() { return m_run->root(); }
    fs::path local() { return m_run->local(); }

    // Starts the program on a server of the given kind serving root(); true once connected
    // and idle.
    bool connectTo(test::FtpServerKind kind, const std::string& options = {}) {
        m_run = std::make_unique<test::TransferProgram>();
        prepare();
        m_server = test::makeFtpServer(kind);
        m_server->start(root());
        return run().start(m_server->port(), m_server->user(), m_server->password(), options);
    }
    // Hook for a test to fill root() and local() before the server starts.
    std::function<void()> prepare = [] {};

    // Selects the rows and presses the download (upload) arrow; the wait variants return once
    // the batch has ended.
    bool startDownload(std::initializer_list<const char*> rows) {
        return run().selectRemote(rows) && run().click("SpeedButton2");
    }
    bool startUpload(std::initializer_list<const char*> rows) {
        return run().selectLocal(rows) && run().click("SpeedButton1");
    }
    bool download(std::initializer_list<const char*> rows) {
        return startDownload(rows) && run().waitIdle();
    }
    bool upload(std::initializer_list<const char*> rows) {
        return startUpload(rows) && run().waitIdle();
    }

private slots:
    void cleanup() {
        m_run.reset();
        m_server.reset();
        prepare = [] {};
    }

    // A selection of files and a tree with empty directories, down and up, byte for byte.
    void selectionAndTreeBothWays_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("vsftpd") << static_cast<int>(test::FtpServerKind::Vsftpd);
        QTest::newRow("pure-ftpd") << static_cast<int>(test::FtpServerKind::PureFtpd);
    }
    void selectionAndTreeBothWays() {
        QFETCH(int, kind);
        prepare = [this] {
            test::putFile(root() / "a.bin", test::randomBytes(300'000, 1));
            test::putFile(root() / "b.txt", "line\r\nline\r\n");
            test::putFile(root() / "tree" / "sub" / "x.bin", test::randomBytes(70'000, 2));
            test::putFile(root() / "tree" / "top.txt", "top");
            fs::create_directories(root() / "tree" / "empty" / "deeper");
            test::putFile(root() / "skip.me", "not selected");
        };
        QVERIFY(connectTo(static_cast<test::FtpServerKind>(kind)));
        QVERIFY(download({"a.bin", "b.txt", "tree"}));
        for (const char* file : {"a.bin", "b.txt", "tree/sub/x.bin", "tree/top.txt"})
            QCOMPARE(test::readFile(local() / file), test::readFile(root() / file));
        QVERIFY(fs::is_directory(local() / "tree" / "empty" / "deeper"));
        QVERIFY(!fs::exists(local() / "skip.me"));
        // The local pane shows what arrived; the remote pane the start directory again.
        QVERIFY(run().localRow("tree") >= 0 && run().localRow("a.bin") >= 0);
        QVERIFY(run().remoteRow("skip.me") >= 0);
        QVERIFY(!run().progressShown());

        // Up again under other names: a fresh local tree into a fresh remote directory.
        fs::rename(local() / "tree", local() / "copy");
        fs::create_directories(local() / "copy" / "made-here");
        test::putFile(local() / "a.bin", test::randomBytes(200'000, 4));
        run().controller().changeLocalDir(local().string());
        run().dialogs().overwriteAnswers = {{O::Overwrite, {}}};
        QVERIFY(upload({"copy", "a.bin"}));
        QCOMPARE(test::readFile(root() / "a.bin"), test::readFile(local() / "a.bin"));
        for (const char* file : {"sub/x.bin", "top.txt"})
            QCOMPARE(test::readFile(root() / "copy" / file),
                     test::readFile(local() / "copy" / file));
        QVERIFY(fs::is_directory(root() / "copy" / "empty" / "deeper"));
        QVERIFY(fs::is_directory(root() / "copy" / "made-here"));
        QVERIFY(run().remoteRow("copy") >= 0);
    }

    // Skip, Save as onto a name that exists too (asked again), Overwrite; All for one batch.
    void everyOverwriteAnswer() {
        prepare = [this] {
            for (const char* name : {"f1", "f2", "f3", "f4"})
                test::putFile(root() / name, std::string("remote ") + name);
            for (const char* name : {"f1", "f2", "f3", "taken"})
                test::putFile(local() / name, std::string("local ") + name);
        };
        QVERIFY(connectTo(test::FtpServerKind::Vsftpd));
        test::ScriptedDialogs& dialogs = run().dialogs();
        dialogs.overwriteAnswers = {{O::Skip, {}},
                                    {O::SaveAs, (local() / "taken").string()},
                                    {O::SaveAs, "f2new"},  // below the local folder
                                    {O::Overwrite, {}}};
        QVERIFY(download({"f1", "f2", "f3", "f4"}));
        const std::vector<std::string> asked = {
            (local() / "f1").string(), (local() / "f2").string(), (local() / "taken").string(),
            (local() / "f3").string()};
        QCOMPARE(dialogs.overwriteAsked, asked);
        QCOMPARE(test::readFile(local() / "f1"), std::string("local f1"));
        QCOMPARE(test::readFile(local() / "f2"), std::string("local f2"));
        QCOMPARE(test::readFile(local() / "taken"), std::string("local taken"));
        QCOMPARE(test::readFile(local() / "f2new"), std::string("remote f2"));
        QCOMPARE(test::readFile(local() / "f3"), std::string("remote f3"));
        QCOMPARE(test::readFile(local() / "f4"), std::string("remote f4"));

        // All: asked once for the whole batch ...
        test::putFile(local() / "f1", "old");
        test::putFile(local() / "f3", "old");
        dialogs.overwriteAsked.clear();
        dialogs.overwriteAnswers = {{O::All, {}}};
        QVERIFY(download({"f1", "f3"}));
        QCOMPARE(dialogs.overwriteAsked.size(), std::size_t{1});
        QCOMPARE(test::readFile(local() / "f1"), std::string("remote f1"));
        QCOMPARE(test::readFile(local() / "f3"), std::string("remote f3"));
        // ... and asked again in the next one, where Cancel ends the batch untouched.
        test::putFile(local() / "f1", "old");
        dialogs.overwriteAnswers = {{O::Cancel, {}}};
        QVERIFY(download({"f1", "f4"}));
        QCOMPARE(dialogs.overwriteAsked.size(), std::size_t{2});
        QCOMPARE(test::readFile(local() / "f1"), std::string("old"));
        QCOMPARE(run().logCount("> RETR"), 5);
    }

    // Resume from a partial file both ways; inside a tree the offset is that of the very file
    // the upload goes to, not of a same-named file in the directory shown.
    void resumeBothWays_data() { selectionAndTreeBothWays_data(); }
    void resumeBothWays() {
        QFETCH(int, kind);
        const std::string whole = test::randomBytes(1'000'000, 3);
        prepare = [&, this] {
            test::putFile(root() / "big.bin", whole);
            test::putFile(local() / "big.bin", whole.substr(0, 409'600));
            test::putFile(local() / "up.bin", whole);
            test::putFile(root() / "up.bin", whole.substr(0, 307'200));
            test::putFile(local() / "t" / "up.bin", whole);
            test::putFile(root() / "t" / "up.bin", whole.substr(0, 100'000));
        };
        QVERIFY(connectTo(static_cast<test::FtpServerKind>(kind)));
        run().dialogs().overwriteAnswers = {{O::Resume, {}}};
        QVERIFY(download({"big.bin"}));
        QVERIFY(test::readFile(local() / "big.bin") == whole);
        QCOMPARE(run().logCount("> REST 409600"), 1);

        run().dialogs().overwriteAnswers = {{O::Resume, {}}, {O::Resume, {}}};
        QVERIFY(upload({"up.bin", "t"}));
        QVERIFY(test::readFile(root() / "up.bin") == whole);
        QVERIFY(test::readFile(root() / "t" / "up.bin") == whole);
        QCOMPARE(run().logCount("> REST 307200"), 1);
        QCOMPARE(run().logCount("> REST 100000"), 1);
    }

    // Stop while the first of several files runs: the batch ends, no later file is started,
    // and the later files stay as they were on both sides.
    void stopEndsTheBatch() {
        prepare = [this] {
            test::makeSparseFile(root() / "huge.bin", 2'000'000'000);
            for (const char* name : {"n1", "n2", "n3"}) {
                test::putFile(root() / name, "remote");
                test::putFile(local() / name, "local");
            }
        };
        QVERIFY(connectTo(test::FtpServerKind::Vsftpd, kNoQuestions));
        QVERIFY(startDownload({"huge.bin", "n1", "n2", "n3"}));
        QTRY_VERIFY_WITH_TIMEOUT(run().progressBytes() > 0, kWaitMs);
        QVERIFY(run().click("sbStop"));
        QVERIFY(run().waitIdle());
        QVERIFY(!run().progressShown());
        for (const char* name : {"n1", "n2", "n3"})
            QCOMPARE(test::readFile(local() / name), std::string("local"));
        QCOMPARE(run().logCount("> RETR"), 1);
        QVERIFY(fs::file_size(local() / "huge.bin") < 2'000'000'000);

        // The same for an upload: the later files never reach the server.
        fs::resize_file(local() / "huge.bin", 2'000'000'000);
        run().controller().changeLocalDir(local().string());
        for (const char* name : {"n1", "n2", "n3"})
            fs::remove(root() / name);
        QVERIFY(startUpload({"huge.bin", "n1", "n2", "n3"}));
        QTRY_VERIFY_WITH_TIMEOUT(run().progressBytes() > 0, kWaitMs);
        QTest::mouseClick(run().window().findChild<QToolButton*>("CancelBtn"), Qt::LeftButton);
        QVERIFY(run().waitIdle());
        for (const char* name : {"n1", "n2", "n3"})
            QVERIFY(!fs::exists(root() / name));
        QCOMPARE(run().logCount("> STOR"), 1);
    }

    // Stop the moment a download has begun (its RETR sent), then Refresh from the menu: the
    // listing comes at once instead of after the time-out, and the pane shows the directory as
    // it is now.
    void stopAtTheStartOfADownloadThenRefresh() {
        prepare = [this] { test::makeSparseFile(root() / "huge.bin", 2'000'000'000); };
        QVERIFY(connectTo(test::FtpServerKind::PureFtpd, kNoQuestions));
        QVERIFY(startDownload({"huge.bin"}));
        QVERIFY(run().runUntil([this] { return run().logCount("> RETR") == 1; }, kWaitMs));
        QVERIFY(run().click("sbStop"));
        QVERIFY(run().waitIdle());
        QCOMPARE(run().logCount("> ABOR"), 1);

        test::putFile(root() / "fresh.txt", "new");
        QElapsedTimer refresh;
        refresh.start();
        QVERIFY(test::clickMenuEntry(run().window(), "FTPServer1", "Refresh3"));
        QVERIFY(run().runUntil([this] { return run().remoteRow("fresh.txt") >= 0; }, kWaitMs));
        QVERIFY2(refresh.elapsed() < 8000, std::to_string(refresh.elapsed()).c_str());
        QCOMPARE(run().logCount("! Time-out"), 0);
        QVERIFY(run().remoteRow("huge.bin") >= 0);
        QVERIFY(run().controller().ftp().connected());
    }

    // A fast download is read in bounded bursts, the loop getting its turn between them: a
    // file of many bursts arrives byte for byte and is counted whole; a Stop that
    // comes as input from the loop while a long one runs ends it before its end, and the next
    // download works.
    void fastDownloadInBurstsAndStopFromTheLoop() {
        std::string pattern(48 << 20, '\0');
        for (std::size_t i = 0; i < pattern.size(); ++i)
            pattern[i] = static_cast<char>(i % 253);
        prepare = [this, &pattern] {
            test::putFile(root() / "pattern.bin", pattern);
            test::makeSparseFile(root() / "huge.bin", 2'000'000'000);
            test::putFile(root() / "after.txt", "next");
        };
        QVERIFY(connectTo(test::FtpServerKind::Vsftpd, kNoQuestions));
        QVERIFY(download({"pattern.bin"}));
        QVERIFY(test::readFile(local() / "pattern.bin") == pattern);
        QCOMPARE(run().logCount("! " + std::to_string(pattern.size()) + " bytes received in "), 1);

        QVERIFY(startDownload({"huge.bin"}));
        QTRY_VERIFY_WITH_TIMEOUT(run().progressBytes() > 0, kWaitMs);
        bool stopped = false;
        QTimer::singleShot(0, [this, &stopped] { stopped = run().click("sbStop"); });
        QVERIFY(run().waitIdle());
        QVERIFY(stopped);
        QCOMPARE(run().logCount("> ABOR"), 1);
        QVERIFY(fs::file_size(local() / "huge.bin") < 2'000'000'000);

        QVERIFY(download({"after.txt"}));
        QCOMPARE(test::readFile(local() / "after.txt"), std::string("next"));
    }

    // The exit button during a download: No leaves the transfer running; Yes ends the session
    // and the window closes from the loop afterwards (not from inside the click), without a
    // second question; no window is left (the program ends when its last window closes).
    void exitDuringADownloadEndsTheSessionAndTheProgram() {
        prepare = [this] { test::makeSparseFile(root() / "huge.bin", 2'000'000'000); };
        QVERIFY(connectTo(test::FtpServerKind::Vsftpd, kNoQuestions));
        MainWindow& window = run().window();
        QVERIFY(startDownload({"huge.bin"}));
        QTRY_VERIFY_WITH_TIMEOUT(run().progressBytes() > 0, kWaitMs);
        auto* exit = window.findChild<QToolButton*>("ExplorerButton1");

        run().dialogs().messageAnswers = {Dialogs::Answer::No};
        QTest::mouseClick(exit, Qt::LeftButton);
        const long long shown = run().progressBytes();
        QTRY_VERIFY_WITH_TIMEOUT(run().progressBytes() > shown, kWaitMs);
        QVERIFY(window.isVisible());

        run().dialogs().messageAnswers = {Dialogs::Answer::Yes};
        QTest::mouseClick(exit, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(!run().controller().ftp().connected());
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kWaitMs);
        QCOMPARE(run().dialogs().messages.size(), std::size_t{2});
        QVERIFY(!run().controller().runner().busy());
        const auto windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(),
                             [](QWidget* w) { return w->isVisible(); }));
        QVERIFY(fs::file_size(local() / "huge.bin") < 2'000'000'000);
    }

    // TransferMode 1 with "html" in Ext: a .htm file goes as ASCII, the rest binary.
    void asciiByExtension() {
        prepare = [this] {
            test::putFile(local() / "page.htm", "<p>\n</p>\n");
            test::putFile(local() / "data.bin", "\x01\x02\n");
        };
        QVERIFY(connectTo(test::FtpServerKind::Vsftpd, "TransferMode=1\nExt=txt,html\n"));
        QVERIFY(upload({"data.bin", "page.htm"}));
        // The type each file went with: the last TYPE before its STOR.
        std::vector<std::string> sent;
        std::string type;
        for (const std::string& line : run().logLines("> TYPE", "> STOR")) {
            if (line.starts_with("> TYPE"))
                type = line;
            else
                sent.push_back(type + " " + line);
        }
        const std::vector<std::string> expected = {"> TYPE I > STOR data.bin",
                                                   "> TYPE A > STOR page.htm"};
        QCOMPARE(sent, expected);
        QCOMPARE(test::readFile(root() / "data.bin"), std::string("\x01\x02\n"));
    }

    // A directory that cannot be made and files the server refuses are logged; the batch goes
    // on with what follows and ends as every batch does.
    void refusedUploadsGoOn() {
        prepare = [this] {
            test::putFile(local() / "a-blocked" / "inner.txt", "never");
            test::putFile(local() / "b-readonly" / "x.txt", "refused");
            test::putFile(local() / "c-fine" / "y.txt", "arrives");
            test::putFile(root() / "a-blocked", "a file where the directory would go");
        };
        QVERIFY(connectTo(test::FtpServerKind::Vsftpd));
        // Made after the server took the root over: the session's account cannot write here.
        fs::create_directory(root() / "b-readonly");
        fs::permissions(root() / "b-readonly", fs::perms(0755));
        QVERIFY(upload({"a-blocked", "b-readonly", "c-fine"}));
        QCOMPARE(test::readFile(root() / "c-fine" / "y.txt"), std::string("arrives"));
        QVERIFY(!fs::exists(root() / "b-readonly" / "x.txt"));
        QCOMPARE(run().logCount("! Skipped "), 1);
        QCOMPARE(run().logCount("> STOR"), 2);
        QVERIFY(!run().progressShown());
        QVERIFY(run().remoteRow("c-fine") >= 0);
    }

    // A hostile listing: names that would leave the target, a looping link, a tree without
    // end, and a file whose data connection closes early before a 226.
    void hostileTreeStaysInsideTheTarget() {
        auto line = [](char kind, const std::string& size, const std::string& name) {
            return std::string(1, kind) + "rwxr-xr-x 1 u g " + size + " Jan 01 2024 " + name +
                   "\r\n";
        };
        test::ScriptedTree tree;
        tree.listing = [&](const std::string& dir) -> std::optional<std::string> {
            if (dir == "/")
                return line('d', "4096", "t");
            if (dir == "/t")
                return line('d', "4096", "..") + line('-', "5", "../x") +
                       line('-', "5", "../../x") + line('-', "5", "/tmp/x") +
                       line('d', "4096", "a/b") + line('l', "1", "loop -> .") +
                       line('-', "10", "ok.txt") + line('-', "100", "short.bin") +
                       line('d', "4096", "deep");
            if (dir.starts_with("/t/deep"))
                return line('d', "4096", "d");
            return std::nullopt;
        };
        tree.file = [](const std::string& path) -> std::optional<std::string> {
            if (path == "/t/ok.txt")
                return std::string("0123456789");
            if (path == "/t/short.bin")
                return std::string(40, 's');
            return std::string("xxxxx");
        };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        m_run = std::make_unique<test::TransferProgram>();
        const bool tmpHadX = fs::exists("/tmp/x");
        QVERIFY(run().start(server.port(), "u", "p"));
        QVERIFY(download({"t"}));

        QCOMPARE(test::readFile(local() / "t" / "ok.txt"), std::string("0123456789"));
        QVERIFY(!fs::exists(local() / "x") && !fs::exists(local() / "t" / "x"));
        QVERIFY(!fs::exists(local() / "t" / "a"));
        QCOMPARE(fs::exists("/tmp/x"), tmpHadX);
        QCOMPARE(run().logCount("! Not transferred, unsafe name"), 4);
        QCOMPARE(run().logCount("! Not transferred"), 4);  // ".." is passed over silently
        QCOMPARE(run().logCount("! Not entered, more than"), 1);
        // Neither the looping link nor the listed ".." is entered.
        for (const std::string& command : server.commands()) {
            QVERIFY2(command.find("loop") == std::string::npos, command.c_str());
            QVERIFY2(command != "CWD .." && !command.ends_with("/.."), command.c_str());
        }
        // The short file counts as failed and stays for a later resume.
        QCOMPARE(run().logCount("! Transfer of short.bin failed: 40 of 100 bytes"), 1);
        QCOMPARE(fs::file_size(local() / "t" / "short.bin"), std::uintmax_t{40});
        QVERIFY(run().remoteRow("t") >= 0);
    }

    // The WU-FTP and VMS layouts enter a selected directory by its bare name. A server in
    // "/pub" lists "p.." and "public" (on VMS all in capitals): their trees land in chosen/p../
    // and chosen/public/,
    // nothing is written or asked about beside the chosen folder, and the session goes on.
    void firstLevelNamesStayInTheChosenFolder_data() {
        QTest::addColumn<bool>("vms");
        QTest::newRow("WU-FTP") << false;
        QTest::newRow("VMS") << true;
    }
    void firstLevelNamesStayInTheChosenFolder() {
        QFETCH(bool, vms);
        auto changeCase = [](std::string text, int (*to)(int)) {
            for (char& c : text)
                c = static_cast<char>(to(static_cast<unsigned char>(c)));
            return text;
        };
        // The spelling of a name on this server.
        auto named = [&](const std::string& name) {
            return vms ? changeCase(name, ::toupper) : name;
        };
        // A listing line of the layout; a directory's name ends in "/".
        auto entry = [&](std::string name) {
            const bool dir = name.ends_with('/');
            if (dir)
                name.pop_back();
            if (vms) {
                name = named(name) + (dir ? ".DIR;1" : ";1");
                name.resize(std::max<std::size_t>(name.size(), 20), ' ');
                return name + " 1/3  5-MAR-1993 18:09 [SYSTEM] (RWE,RWE,RE,RE)\r\n";
            }
            return std::string(dir ? "d" : "-") + "rwxr-xr-x 1 u g " +
                   (dir ? "4096" : std::to_string(name.size())) + " Jan 1 2024 " + name + "\r\n";
        };
        // Directories answer by their last part, whatever path the client builds; a file's
        // text is its own name, so its size matches the listing.
        const std::map<std::string, std::vector<std::string>> dirs = {
            {"pub", {"p../", "public/"}},
            {"p..", {"a.txt", "sub/"}},
            {"sub", {"deep.txt"}},
            {"public", {"lic.txt", "inner/"}},
            {"inner", {"in.txt"}}};
        test::ScriptedTree tree;
        tree.home = named("/pub");
        tree.listing = [&](const std::string& dir) -> std::optional<std::string> {
            const auto found = dirs.find(changeCase(fs::path(dir).filename().string(), ::tolower));
            if (found == dirs.end())
                return std::nullopt;
            std::string text;
            for (const std::string& name : found->second)
                text += entry(name);
            return text;
        };
        tree.file = [](const std::string& path) -> std::optional<std::string> {
            return fs::path(path).filename().string();
        };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        m_run = std::make_unique<test::TransferProgram>();
        run().setServerLayout(vms ? "5957681" : "7957681");
        const fs::path chosen = local() / "chosen";
        const fs::path dotted = chosen / named("p..");
        const fs::path pub = chosen / named("public");
        test::putFile(local() / named("a.txt"), "sentinel");
        test::putFile(dotted / named("a.txt"), "old");
        QVERIFY(run().start(server.port(), "u", "p"));
        QVERIFY(run().controller().changeLocalDir(chosen.string()));

        run().dialogs().overwriteAnswers = {{O::Overwrite, {}}};
        QVERIFY(download({named("p..").c_str()}));
        QCOMPARE(run().dialogs().overwriteAsked,
                 std::vector<std::string>{(dotted / named("a.txt")).string()});
        QCOMPARE(test::readFile(dotted / named("a.txt")), named("a.txt"));
        QCOMPARE(test::readFile(dotted / named("sub") / named("deep.txt")), named("deep.txt"));

        QVERIFY(download({named("public").c_str()}));
        QCOMPARE(test::readFile(pub / named("lic.txt")), named("lic.txt"));
        QCOMPARE(test::readFile(pub / named("inner") / named("in.txt")), named("in.txt"));

        // Beside the chosen folder only what was there before; in it only the two trees.
        auto namesIn = [](const fs::path& dir) {
            std::set<std::string> names;
            for (const fs::directory_entry& e : fs::directory_iterator(dir))
                names.insert(e.path().filename().string());
            return names;
        };
        QCOMPARE(namesIn(local()), (std::set<std::string>{named("a.txt"), "chosen"}));
        QCOMPARE(test::readFile(local() / named("a.txt")), std::string("sentinel"));
        QCOMPARE(namesIn(chosen), (std::set<std::string>{named("p.."), named("public")}));
        QCOMPARE(run().logCount("! Not"), 0);

        // The session goes on: a refresh lists the start directory again.
        const int lists = run().logCount("> LIST");
        QVERIFY(test::clickMenuEntry(run().window(), "FTPServer1", "Refresh3"));
        QVERIFY(run().waitIdle());
        QCOMPARE(run().logCount("> LIST"), lists + 1);
        QVERIFY(run().remoteRow(named("public")) >= 0);
    }

    // Rows dragged from one pane and dropped on the other start the transfer.
    void dropsBetweenThePanesTransfer() {
        prepare = [this] {
            test::putFile(root() / "down.txt", "from the server");
            test::putFile(local() / "up.txt", "from here");
        };
        QVERIFY(connectTo(test::FtpServerKind::PureFtpd));
        QVERIFY(run().selectLocal({"up.txt"}));
        QVERIFY(run().dropRows("lvLoc", "FTPView"));
        QVERIFY(run().waitIdle());
        QCOMPARE(test::readFile(root() / "up.txt"), std::string("from here"));

        QVERIFY(run().selectRemote({"down.txt"}));
        QVERIFY(run().dropRows("FTPView", "lvLoc"));
        QVERIFY(run().waitIdle());
        QCOMPARE(test::readFile(local() / "down.txt"), std::string("from the server"));
    }
};

}  // namespace quay

QTEST_MAIN(quay::TransferTest)
#include "transfer_test.moc"
