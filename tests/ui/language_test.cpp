#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <map>

#include "config/language_files.h"
#include "config/options.h"
#include "config/shipped_languages.h"
#include "config/text_file.h"
#include "menu_click.h"
#include "program_run.h"
#include "session/main_window_controls.h"
#include "session/options_dialog.h"
#include "session/presentation_form.h"
#include "test_support.h"
#include "ui/certificate_dialog.h"
#include "ui/chmod_dialog.h"
#include "ui/command_list_dialog.h"
#include "ui/help_window.h"
#include "ui/input_form.h"
#include "ui/options_dialog_view.h"
#include "ui/pane_view.h"
#include "ui/progress_window.h"
#include "ui/qt_text.h"
#include "ui/rewrite_dialog.h"
#include "ui/server_properties_dialog.h"
#include "ui/widget_form.h"
#include "when_modal.h"

namespace quay {

namespace {

namespace fs = std::filesystem;

const fs::path kShippedDir = QUAY_SHIPPED_LANGUAGE_DIR;

// The entries of a language file, key to value, the header line skipped.
std::map<std::string, std::string> entriesOf(const fs::path& file) {
    std::map<std::string, std::string> entries;
    const std::optional<std::string> text = readTextFile(file);
    if (!text)
        return entries;
    const std::vector<std::string_view> lines = splitLines(*text);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t equals = lines[i].find('=');
        if (equals != std::string_view::npos)
            entries.emplace(lines[i].substr(0, equals), lines[i].substr(equals + 1));
    }
    return entries;
}

// The template of every window and of the texts built in code, as each window is when
// the translation meets it.
std::map<std::string, std::string> templateOfEveryWindow(const fs::path& dir) {
    const fs::path file = dir / "language.lng";
    PresentationModel mainModel;
    defineMainWindowControls(mainModel);
    PresentationForm mainWindow(mainModel, mainWindowControls());
    exportForm(mainWindow, file);
    MessageTexts messages;
    exportForm(messages, file);

    test::ScriptedDialogs dialogs;
    Options options;
    OptionsDialogModel optionsModel(options, dir, dialogs);
    const FtpServerInfo info = defaultServerInfo("");
    ServerPropertiesModel propertiesModel(info, dir);
    ChmodModel chmodModel("-rw-r--r--");
    CommandListModel commandsModel(CustomCommands{});
    OptionsDialog optionsDialog(optionsModel);
    ServerPropertiesDialog propertiesDialog(propertiesModel);
    InputForm inputForm;
    ChmodDialog chmodDialog(chmodModel);
    RewriteDialog rewriteDialog("", "x");
    ProgressWindow progressWindow(std::make_shared<ProgressModel>());
    CommandListDialog commandListDialog(commandsModel);
    HelpWindow helpWindow;
    CertificateDialog certificateDialog(dialogs, {}, nullptr);
    for (QWidget* window : std::initializer_list<QWidget*>{
             &optionsDialog, &propertiesDialog, &inputForm, &chmodDialog, &rewriteDialog,
             &progressWindow, &commandListDialog, &helpWindow, &certificateDialog}) {
        WidgetForm form(*window);
        exportForm(form, file);
    }
    return entriesOf(file);
}

void setDesktopLanguage(const char* lang) {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        qunsetenv(variable);
    qputenv("LANG", lang);
}

QString buttonText(QWidget& window, const char* name) {
    auto* button = window.findChild<QToolButton*>(name);
    return button != nullptr ? button->text() : QString();
}

QStringList headings(QWidget& window, const char* list) {
    auto& model = window.findChild<PaneView*>(list)->itemModel();
    QStringList captions;
    for (int i = 0; i < model.columnCount(); ++i)
        captions << model.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    return captions;
}

// Puts the title and message text of the next modal window into texts, then closes the
// window without an answer.
void readNextModal(QStringList& texts) {
    test::whenModal([&texts](QWidget* modal) {
        texts << modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            texts << box->text();
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
}

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    // The shipped files translate every text of every window and name nothing no window has,
    // and no translation is left empty.
    void shippedFilesMatchTheWindowsKeyForKey() {
        test::TempDir dir;
        const std::map<std::string, std::string> keys = templateOfEveryWindow(dir.path());
        QVERIFY(keys.size() > 100);
        for (const char* language : {"english.lng", "deutsch.lng"}) {
            const std::map<std::string, std::string> shipped = entriesOf(kShippedDir / language);
            QString faults;
            for (const auto& [key, builtIn] : keys)
                if (!shipped.count(key))
                    faults += QStringLiteral("\nmissing: %1=%2").arg(qtext(key), qtext(builtIn));
            for (const auto& [key, value] : shipped) {
                if (!keys.count(key))
                    faults += QStringLiteral("\nno window has: %1").arg(qtext(key));
                else if (value.empty())
                    faults += QStringLiteral("\nempty: %1").arg(qtext(key));
            }
            QVERIFY2(faults.isEmpty(), qPrintable(QString::fromLatin1(language) + faults));
        }
    }

    // Without an options file the program speaks the desktop's language; an options file
    // keeps its choice, and is not rewritten by the start.
    void firstStartChoosesTheDesktopLanguage() {
        struct Case {
            const char* lang;
            bool withOptions;
            std::string langFile;
            bool langOn;
            QString connectCaption;
            QString nameHeading;
        };
        const Case cases[] = {
            {"de_DE.UTF-8", false, "deutsch", true, QStringLiteral("&Verbinden"),
             QStringLiteral("Dateiname")},
            {"fr_FR.UTF-8", false, "english", true, QStringLiteral("&Connect"),
             QStringLiteral("Name")},
            {"de_AT", true, "language", false, QStringLiteral("&Connect"),
             QStringLiteral("Dateiname")},
        };
        for (const Case& c : cases) {
            test::TempDir dir;
            addShippedLanguageFiles(kShippedDir, dir.path());
            const std::string options = "[Language]\r\nLangOn=0\r\nLangFile=language\r\n";
            if (c.withOptions)
                test::writeFile(dir.path() / kOptionsFileName, options);
            setDesktopLanguage(c.lang);
            test::ProgramRun run(dir.path());
            const LanguageSettings& chosen = run.controller.options().language;
            QCOMPARE(chosen.langFile, c.langFile);
            QCOMPARE(chosen.langOn, c.langOn);
            QCOMPARE(buttonText(run.window, "sbConnect"), c.connectCaption);
            QCOMPARE(headings(run.window, "FTPView").front(), c.nameHeading);
            if (c.withOptions)
                QCOMPARE(readTextFile(dir.path() / kOptionsFileName).value_or(""), options);
        }
    }

    // With the English file, the texts that used to mix languages read in English: the
    // column headings, the titles of the options and server properties dialogs, the selection
    // summary and the local delete question.
    void theEnglishFileSpeaksEnglishWhereTheWindowMixedLanguages() {
        test::TempDir dir;
        const fs::path home = dir.path() / "home";
        fs::create_directories(home);
        fs::create_directories(dir.path() / "data");
        test::writeFile(home / "a.txt", "a");
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        addShippedLanguageFiles(kShippedDir, dir.path() / "data");
        setDesktopLanguage("en_GB.UTF-8");
        {
            test::WidgetProgramRun run(dir.path() / "data");
            QVERIFY(QTest::qWaitForWindowExposed(&run.window));
            QCOMPARE(headings(run.window, "lvLoc"), (QStringList{"Name", "Size", "Date", "Time"}));
            QCOMPARE(headings(run.window, "FTPView"),
                     (QStringList{"Name", "Size", "Date", "Time", "Attributes"}));

            QStringList properties;
            readNextModal(properties);
            QTest::mouseClick(run.window.findChild<QToolButton*>("sbNewServer"), Qt::LeftButton);
            QCOMPARE(properties, QStringList{"Server Properties"});

            QStringList options;
            readNextModal(options);
            QVERIFY(test::clickMenuEntry(run.window, "Connection1", "FtpOptions1"));
            QCOMPARE(options, QStringList{"Program Options"});

            auto& local = *run.window.findChild<PaneView*>("lvLoc");
            QTreeView& view = local.reportView();
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                              view.visualRect(local.itemModel().index(0, 0)).center());
            QCOMPARE(run.window.findChild<QLabel*>("pnlLocInfo")->text(),
                     QStringLiteral("1 bytes (0.00 KB) in 1 file(s)"));
            QStringList question;
            readNextModal(question);
            QTest::mouseClick(run.window.findChild<QToolButton*>("sbDel1"), Qt::LeftButton);
            QCOMPARE(question, (QStringList{"Attention", "Delete 1 file(s)?"}));
            QVERIFY(fs::exists(home / "a.txt"));
        }
        qputenv("HOME", oldHome);
    }

    // A shipped file never replaces the user's own file of that language, in any spelling.
    void shippedFilesNeverReplaceTheUsersOwn() {
        test::TempDir dir;
        test::writeFile(dir.path() / "English.LNG", "[Translations]\r\nmine\r\n");
        addShippedLanguageFiles(kShippedDir, dir.path());
        QCOMPARE(readTextFile(dir.path() / "English.LNG").value_or(""),
                 std::string("[Translations]\r\nmine\r\n"));
        QVERIFY(!fs::exists(dir.path() / "english.lng"));
        QVERIFY(fs::exists(dir.path() / "deutsch.lng"));
        QCOMPARE(listLanguageFiles(dir.path()), (std::vector<std::string>{"deutsch", "english"}));
    }
};

}  // namespace quay

QTEST_MAIN(quay::LanguageTest)
#include "language_test.moc"
