#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "ui/rewrite_dialog.h"
#include "ui/widget_dialogs.h"
#include "when_modal.h"

namespace quay {

namespace {

using test::whenModal;

using Overwrite = Dialogs::Overwrite;

void click(QWidget* dialog, const char* button) {
    auto* b = dialog->findChild<QPushButton*>(button);
    QVERIFY2(b != nullptr, button);
    b->click();
}

}  // namespace

class RewriteDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheFileAndAnswersByTheButtonPressed() {
        WidgetDialogs dialogs;
        const std::pair<const char*, Overwrite> buttons[] = {
            {"SpeedButton1", Overwrite::Resume}, {"SpeedButton2", Overwrite::Overwrite},
            {"SpeedButton3", Overwrite::All},    {"SpeedButton4", Overwrite::Skip},
            {"SpeedButton6", Overwrite::Cancel},
        };
        for (const auto& [name, answer] : buttons) {
            whenModal("FReWrite", [name = name](QWidget* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Rewrite Files Prompt"));
                QCOMPARE(dialog->findChild<QTextEdit*>("RichEdit1")->toPlainText(),
                         QString::fromUtf8("File is already exist !\n/tmp/d\xc3\xa9j\xc3\xa0.txt"));
                QCOMPARE(dialog->findChild<QLabel*>("Label1")->text(),
                         QStringLiteral("Overwrite the file ?"));
                click(dialog, name);
            });
            std::string newPath = "untouched";
            QCOMPARE(dialogs.askOverwrite("/tmp/d\xc3\xa9j\xc3\xa0.txt", newPath), answer);
            QCOMPARE(newPath, std::string("untouched"));
        }
        RewriteDialog probe("File is already exist !", "x");
        QStringList captions;
        for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4",
                                 "SpeedButton5", "SpeedButton6"})
            captions << probe.findChild<QPushButton*>(name)->text();
        QCOMPARE(captions,
                 (QStringList{"Resume", "Overwrite", "All", "Skip", "Save as", "Cancel"}));
    }

    // Only a button ends the prompt; a cancelled "Save as" query leaves it open.
    void escapeAndACancelledSaveAsKeepItOpen() {
        WidgetDialogs dialogs;
        whenModal("FReWrite", [](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(!dialog->close());
            QVERIFY(dialog->isVisible());
            whenModal("InputForm", [](QWidget* query) {
                QCOMPARE(query->windowTitle(), QStringLiteral("Save as ..."));
                QCOMPARE(query->findChild<QLabel*>("Prompt")->text(), QStringLiteral("New Path"));
                QCOMPARE(query->findChild<QLineEdit*>("Input")->text(), QStringLiteral("/d/a.txt"));
                query->findChild<QLineEdit*>("Input")->setText("/d/lost.txt");
                click(query, "Button2");
            });
            click(dialog, "SpeedButton5");
            QVERIFY(dialog->isVisible());
            click(dialog, "SpeedButton4");
        });
        std::string newPath;
        QCOMPARE(dialogs.askOverwrite("/d/a.txt", newPath), Overwrite::Skip);
        QCOMPARE(newPath, std::string());
    }

    void saveAsReturnsTheConfirmedPath() {
        WidgetDialogs dialogs;
        whenModal("FReWrite", [](QWidget* dialog) {
            whenModal("InputForm", [](QWidget* query) {
                query->findChild<QLineEdit*>("Input")->setText("/d/b.txt");
                click(query, "Button1");
            });
            click(dialog, "SpeedButton5");
        });
        std::string newPath;
        QCOMPARE(dialogs.askOverwrite("/d/a.txt", newPath), Overwrite::SaveAs);
        QCOMPARE(newPath, std::string("/d/b.txt"));
    }
};

}  // namespace quay

QTEST_MAIN(quay::RewriteDialogTest)
#include "rewrite_dialog_test.moc"
