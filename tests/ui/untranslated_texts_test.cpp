#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <map>

#include "config/language_files.h"
#include "config/options.h"
#include "config/shipped_languages.h"
#include "menu_click.h"
#include "program_run.h"
#include "session/progress_model.h"
#include "test_support.h"
#include "ui/pane_view.h"
#include "ui/progress_window.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

namespace fs = std::filesystem;

// Where a text shows ("<window>/<object>#<what>") and the text, without mnemonic marks.
using ShownTexts = std::map<QString, QString>;

// Lists whose items are the user's data (paths, languages, layout names, server names), not
// texts of the program.
const QStringList kDataLists = {"DriveComboBox1", "cbFLng", "cbName", "cbCmd"};

// Texts that read the same in English and German.
const QStringList kSameInBothLanguages = {
    // names
    "Quayside Pro", "Name", "Filter", "Server", "Port", "Proxy", "Proxy / Firewall", "ASCII",
    "Auto", "SOCKS", "SOCKS 4", "SOCKS 4A", "SOCKS 5", "Text", "Mac", "VMS", "Microsoft FTP 4.0",
    "Microsoft FTP 5.0", "Windows 2000 Advanced Server", "E-Mail", "Account", "Details", "OK",
    "FTP-Server", "USA",
    // FTP commands and units
    "SITE site", "USER user", "USER/PASS/ACCT", "OPEN site", "0.000 K/sec"};

void addText(ShownTexts& texts, const QString& where, const QString& text) {
    QString shown = text;
    shown.remove(QLatin1Char('&'));
    if (shown.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
        texts[where] = shown;
}

void addItems(ShownTexts& texts, const QString& where, const QStringList& items) {
    for (qsizetype i = 0; i < items.size(); ++i)
        addText(texts, where + QStringLiteral("[%1]").arg(i), items[i]);
}

QStringList headingsOf(PaneView& list) {
    QStringList captions;
    for (int i = 0; i < list.itemModel().columnCount(); ++i)
        captions << list.itemModel().headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    return captions;
}

// Every text window shows or gives a screen reader: its title, and of each child and action
// its caption, items, column headings, tool tip and accessible name.
ShownTexts textsOf(QWidget& window) {
    ShownTexts texts;
    const QString form = window.objectName();
    addText(texts, form + QStringLiteral("#title"), window.windowTitle());
    if (auto* box = qobject_cast<QMessageBox*>(&window))
        addText(texts, form + QStringLiteral("#text"), box->text());
    for (QObject* object : window.findChildren<QObject*>()) {
        // Unnamed objects are Qt's parts and the language menu's entries (file names).
        if (object->objectName().isEmpty() || object->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString where = form + QLatin1Char('/') + object->objectName() + QLatin1Char('#');
        if (auto* action = qobject_cast<QAction*>(object)) {
            addText(texts, where + QStringLiteral("caption"), action->text());
            addText(texts, where + QStringLiteral("hint"), action->toolTip());
            continue;
        }
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget == nullptr)
            continue;
        addText(texts, where + QStringLiteral("name"), widget->accessibleName());
        addText(texts, where + QStringLiteral("hint"), widget->toolTip());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            addText(texts, where + QStringLiteral("caption"), button->text());
        if (auto* label = qobject_cast<QLabel*>(widget))
            addText(texts, where + QStringLiteral("caption"), label->text());
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            addText(texts, where + QStringLiteral("caption"), group->title());
        if (auto* list = qobject_cast<PaneView*>(widget))
            addItems(texts, where + QStringLiteral("heading"), headingsOf(*list));
        if (kDataLists.contains(widget->objectName()))
            continue;
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QStringList items;
            // The path box's first entry is the program's; the others name the server's places.
            for (int i = 0; i < combo->count() && (i == 0 || widget->objectName() != "FTPPath");
                 ++i)
                items << combo->itemText(i);
            addItems(texts, where + QStringLiteral("item"), items);
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            QStringList items;
            for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
                items << (*it)->text(0);
            addItems(texts, where + QStringLiteral("item"), items);
        }
    }
    return texts;
}

// The texts of the modal window that open() brings up, which is then closed unanswered (by
// its button cancelButton when it takes no Escape).
ShownTexts textsOfModal(const std::function<void()>& open, const char* cancelButton = nullptr) {
    ShownTexts texts;
    bool seen = false;
    QTimer::singleShot(0, [&texts, &seen, cancelButton] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        QWidget* modal = QApplication::activeModalWidget();
        texts = textsOf(*modal);
        seen = true;
        if (cancelButton != nullptr)
            QTest::mouseClick(modal->findChild<QAbstractButton*>(cancelButton), Qt::LeftButton);
        else
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
    open();
    [&seen] { QTRY_VERIFY(seen); }();
    return texts;
}

// The texts of the main window and of each of its dialogs, opened as the user opens them (or,
// for those that need a server, as the program's dialogs open them), in language.
ShownTexts textsOfTheProgram(const std::string& language) {
    test::TempDir dir;
    const fs::path home = dir.path() / "home";
    const fs::path data = dir.path() / "data";
    fs::create_directories(home);
    fs::create_directories(data);
    test::writeFile(home / "a.txt", "a");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    addShippedLanguageFiles(QUAY_SHIPPED_LANGUAGE_DIR, data);
    test::writeFile(data / kOptionsFileName,
                    "[Language]\r\nLangOn=1\r\nLangFile=" + language + "\r\n");
    ShownTexts texts;
    {
        test::WidgetProgramRun run(data);
        [&run] { QVERIFY(QTest::qWaitForWindowExposed(&run.window)); }();
        texts = textsOf(run.window);
        const auto click = [&run](const char* button) {
            return [&run, button] {
                QTest::mouseClick(run.window.findChild<QToolButton*>(button), Qt::LeftButton);
            };
        };
        const auto trigger = [&run](const char* action) {
            return [&run, action] {
                QVERIFY(test::clickMenuPath(run.window, run.window.findChild<QAction*>(action)));
            };
        };
        texts.merge(textsOfModal(trigger("FtpOptions1")));
        texts.merge(textsOfModal(click("sbNewServer")));
        texts.merge(textsOfModal(click("sbMkd1")));
        texts.merge(textsOfModal(trigger("About2")));

        auto& local = *run.window.findChild<PaneView*>("lvLoc");
        QTreeView& view = local.reportView();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          view.visualRect(local.itemModel().index(0, 0)).center());
        texts.merge(textsOf(run.window));
        texts.merge(textsOfModal(click("sbDel1")));

        WidgetDialogs& dialogs = run.dialogs;
        Dialogs::CertificateQuestion question;
        question.server = "ftp.example.org:990";
        texts.merge(textsOfModal([&dialogs, &question] { dialogs.askCertificate(question); }));
        question.changed = true;
        texts[QStringLiteral("CertificateDialog#changed")] =
            textsOfModal([&dialogs, &question] {
                dialogs.askCertificate(question);
            }).at(QStringLiteral("CertificateDialog#text"));
        ChmodModel attributes("-rw-r--r--");
        texts.merge(
            textsOfModal([&dialogs, &attributes] { dialogs.changeAttributes(attributes); }));
        std::string newPath;
        texts.merge(textsOfModal([&dialogs, &newPath] { dialogs.askOverwrite("a.txt", newPath); },
                                 "SpeedButton6"));
        CommandListModel commands(CustomCommands{});
        texts.merge(textsOfModal([&dialogs, &commands] { dialogs.commandList(commands); }));

        auto progress = std::make_shared<ProgressModel>();
        progress->messages = dialogs.messageTexts;
        progress->startFile("a.txt", 1, false);
        run.controller.onShowProgress(progress);
        texts.merge(textsOf(*run.window.findChild<ProgressWindow*>()));
        progress->startFile("a.txt", 1, true);
        texts.merge(textsOf(*run.window.findChild<ProgressWindow*>()));
        run.controller.onHideProgress();
    }
    qputenv("HOME", oldHome);
    return texts;
}

}  // namespace

class UntranslatedTextsTest : public QObject {
    Q_OBJECT

private slots:
    // With the German file, no text of the main window and its dialogs (captions, titles,
    // items, headings, hints, accessible names, messages) reads as it does with the English
    // file, but for names that are the same in both languages: a text built in code that
    // bypasses the language files shows in both alike.
    void everyTextOfTheWindowAndItsDialogsIsTranslated() {
        const ShownTexts english = textsOfTheProgram("english");
        const ShownTexts german = textsOfTheProgram("deutsch");
        QVERIFY(english.size() > 300);
        QCOMPARE(german.size(), english.size());
        QStringList untranslated;
        for (const auto& [where, text] : english) {
            const auto found = german.find(where);
            if (found == german.end())
                untranslated << where + QStringLiteral(" only in English: ") + text;
            else if (found->second == text && !kSameInBothLanguages.contains(text))
                untranslated << where + QStringLiteral(": ") + text;
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
        // Spot checks that the walk reaches what used to stay English.
        QCOMPARE(german.at(QStringLiteral("CertificateDialog#title")),
                 QStringLiteral("Unbekanntes Zertifikat"));
        QCOMPARE(english.at(QStringLiteral("CertificateDialog/btAlwaysTrust#caption")),
                 QStringLiteral("Always trust"));
        QCOMPARE(english.at(QStringLiteral("_Main/FTPPath#item[0]")),
                 QStringLiteral("Server List ..."));
        QCOMPARE(german.at(QStringLiteral("FFtpBase/cbSecurity#item[3]")),
                 QStringLiteral("Implizites FTPS"));
    }

    // The texts built in code: every one of the German file differs from the English one, but
    // for those that read the same in both languages.
    void everyMessageHasAGermanText() {
        MessageTexts english;
        MessageTexts german;
        test::TempDir dir;
        addShippedLanguageFiles(QUAY_SHIPPED_LANGUAGE_DIR, dir.path());
        translateForm(english, dir.path() / "english.lng");
        translateForm(german, dir.path() / "deutsch.lng");
        QStringList same;
        for (NamedObject* entry : german.ownedObjects()) {
            const std::string key = entry->objectName();
            const std::string text = entry->stringProperty("Text");
            for (NamedObject* other : english.ownedObjects())
                if (other->objectName() == key && other->stringProperty("Text") == text &&
                    !kSameInBothLanguages.contains(qtext(text)))
                    same << qtext(key + "=" + text);
        }
        QVERIFY2(same.isEmpty(), qPrintable(same.join(QLatin1Char('\n'))));
        QCOMPARE(german.text(Message::RemoteDeleteDirectory, {"photos"}),
                 std::string("\xE2\x80\x9Ephotos\xE2\x80\x9C mit allem, was darin ist, vom Server "
                             "l\xC3\xB6schen?"));
        QCOMPARE(english.text(Message::RemoteDeleteDirectory, {"photos"}),
                 std::string("Delete 'photos' and everything in it from the server?"));
    }
};

}  // namespace quay

QTEST_MAIN(quay::UntranslatedTextsTest)
#include "untranslated_texts_test.moc"
