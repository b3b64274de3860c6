#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "config/language_menu.h"
#include "test_support.h"
#include "ui/widget_dialogs.h"
#include "when_modal.h"

namespace quay {

namespace {

using test::whenModal;

template <typename W = QPushButton>
W* child(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(name);
    if (w == nullptr)
        qFatal("no control %s", name);
    return w;
}

// The boxes cb1 to cb9 as a string of 0 and 1.
QString ticks(QWidget* dialog) {
    QString result;
    for (int i = 1; i <= 9; ++i)
        result +=
            child<QCheckBox>(dialog, ("cb" + std::to_string(i)).c_str())->isChecked() ? '1' : '0';
    return result;
}

}  // namespace

class CommandDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void permissionsDialogOpensOnTheAttributesAndSendsWhatTheEditHolds() {
        WidgetDialogs dialogs;
        ChmodModel model("drwxr-xr-x");
        whenModal("_ChMod", [](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Change File Attributes"));
            auto* edit = child<QLineEdit>(dialog, "Edit1");
            QCOMPARE(edit->text(), QStringLiteral("755"));
            QCOMPARE(ticks(dialog), QStringLiteral("111101101"));
            child<QCheckBox>(dialog, "cb1")->click();
            QCOMPARE(edit->text(), QStringLiteral("355"));
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(ticks(dialog), QStringLiteral("000000000"));
            // A character other than an octal digit erases the one before it.
            QTest::keyClicks(edit, "069");
            QCOMPARE(edit->text(), QStringLiteral("0"));
            QTest::keyClicks(edit, "44");
            QCOMPARE(edit->text(), QStringLiteral("044"));
            QCOMPARE(ticks(dialog), QStringLiteral("000100100"));
            child(dialog, "SpeedButton1")->click();
        });
        QVERIFY(dialogs.changeAttributes(model));
        QCOMPARE(model.result(ChmodModel::Close::Ok), std::optional<int>(44));
    }

    void rowAndColumnButtonsTickThenUntickAndCancelReportsNothing() {
        WidgetDialogs dialogs;
        ChmodModel model("----------");
        whenModal("_ChMod", [](QWidget* dialog) {
            QCOMPARE(child<QLineEdit>(dialog, "Edit1")->text(), QString());
            auto* read = child(dialog, "SpeedButton3");
            QCOMPARE(read->text(), QStringLiteral("Read"));
            read->click();
            QCOMPARE(ticks(dialog), QStringLiteral("100100100"));
            QCOMPARE(child<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("444"));
            child(dialog, "SpeedButton7")->click();  // group
            QCOMPARE(ticks(dialog), QStringLiteral("100111100"));
            read->click();
            QCOMPARE(ticks(dialog), QStringLiteral("000011000"));
            QCOMPARE(child<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("030"));
            child(dialog, "SpeedButton2")->click();
        });
        QVERIFY(!dialogs.changeAttributes(model));
    }

    void commandListEditsTheCopyAndSelectsByEnter() {
        WidgetDialogs dialogs;
        CommandListModel model(CustomCommands{{"List", "Noop"}, {"LIST -la", "NOOP"}});
        whenModal("_FCmd", [](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Commands"));
            auto* list = child<QListWidget>(dialog, "lbCmd");
            auto* label = child<QLineEdit>(dialog, "eAl");
            auto* command = child<QLineEdit>(dialog, "eCmd");
            QCOMPARE(list->count(), 2);
            QVERIFY(label->isReadOnly() && command->isReadOnly());
            list->setCurrentRow(1);
            QCOMPARE(command->text(), QStringLiteral("NOOP"));
            QVERIFY(!command->isReadOnly());

            // Delete in an edit edits the text; in the list it removes the row.
            command->setFocus();
            command->setCursorPosition(0);
            QTest::keyClick(command, Qt::Key_Delete);
            QCOMPARE(command->text(), QStringLiteral("OOP"));
            QCOMPARE(list->count(), 2);
            list->setFocus();
            list->setCurrentRow(0);
            QTest::keyClick(list, Qt::Key_Delete);
            QCOMPARE(list->count(), 1);
            QVERIFY(label->isReadOnly());

            // Insert in the list adds an empty entry that the edits fill.
            QTest::keyClick(list, Qt::Key_Insert);
            QCOMPARE(list->count(), 2);
            QTest::keyClicks(label, "Site");
            QTest::keyClicks(command, "SITE HELP, now");
            QCOMPARE(list->item(1)->text(), QStringLiteral("Site"));
            QTest::keyClick(command, Qt::Key_Return);
        });
        QCOMPARE(dialogs.commandList(model), CommandListModel::Close::Select);
        const CommandListModel::Outcome outcome = model.close(CommandListModel::Close::Select);
        QCOMPARE(outcome.chosen, std::string("SITE HELP, now"));
        QVERIFY((outcome.commands == CustomCommands{{"Noop", "Site"}, {"OOP", "SITE HELP, now"}}));
    }

    void everyDialogIsTranslatedWhenCreated() {
        test::TempDir dir;
        test::writeFile(dir.path() / "deutsch.lng",
                        "[Translations]\r\n_ChMod.SpeedButton3.Caption=Lesen\r\n"
                        "FReWrite.Label1.caption=Datei ersetzen ?\r\nOther.Label1.Caption=no\r\n"
                        "_FCmd.SpeedButton4.Caption=Nehmen\r\n_FCmd.eCmd.Hint=Befehl\r\n");
        LanguageSettings settings;
        settings.langOn = true;
        settings.langFile = "deutsch";
        LanguageMenu menu(dir.path(), settings);
        WidgetDialogs dialogs;
        dialogs.translateWindow = [&menu](NamedForm& form) { menu.translateWindow(form); };

        ChmodModel permissions("-rw-r--r--");
        whenModal("_ChMod", [](QWidget* dialog) {
            QCOMPARE(child(dialog, "SpeedButton3")->text(), QStringLiteral("Lesen"));
            QCOMPARE(child(dialog, "SpeedButton4")->text(), QStringLiteral("Write"));
            child(dialog, "SpeedButton2")->click();
        });
        QVERIFY(!dialogs.changeAttributes(permissions));

        whenModal("FReWrite", [](QWidget* dialog) {
            QCOMPARE(dialog->findChild<QLabel*>("Label1")->text(),
                     QStringLiteral("Datei ersetzen ?"));
            child(dialog, "SpeedButton4")->click();
        });
        std::string newPath;
        QCOMPARE(dialogs.askOverwrite("/d/a.txt", newPath), Dialogs::Overwrite::Skip);

        CommandListModel commands(CustomCommands{});
        whenModal("_FCmd", [](QWidget* dialog) {
            QCOMPARE(child(dialog, "SpeedButton4")->text(), QStringLiteral("Nehmen"));
            QCOMPARE(child<QLineEdit>(dialog, "eCmd")->toolTip(), QStringLiteral("Befehl"));
            child(dialog, "SpeedButton3")->click();
        });
        QCOMPARE(dialogs.commandList(commands), CommandListModel::Close::Close);
    }

    void escapeClosesTheCommandListOnlyFromTheList() {
        WidgetDialogs dialogs;
        CommandListModel model(CustomCommands{{"List"}, {"LIST"}});
        whenModal("_FCmd", [](QWidget* dialog) {
            auto* list = child<QListWidget>(dialog, "lbCmd");
            list->setCurrentRow(0);
            QTest::keyClick(child<QLineEdit>(dialog, "eAl"), Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Escape);
        });
        QCOMPARE(dialogs.commandList(model), CommandListModel::Close::Close);
        QCOMPARE(model.close(CommandListModel::Close::Close).chosen, std::string());
    }
};

}  // namespace quay

QTEST_MAIN(quay::CommandDialogsTest)
#include "command_dialogs_test.moc"
