#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTextBlock>
#include <atomic>
#include <limits>
#include <thread>

#include "net/socket.h"
#include "test_support.h"
#include "ui/input_form.h"
#include "ui/log_pane.h"
#include "ui/name_text.h"
#include "ui/progress_window.h"
#include "ui/qt_event_loop.h"
#include "ui/server_properties_dialog.h"
#include "ui/widget_dialogs.h"
#include "when_modal.h"

namespace quay {

namespace {

// A pipe closed with the object.
struct Pipe {
    Pipe() { QVERIFY(::pipe(fds) == 0); }
    ~Pipe() {
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
    }
    void closeWriter() {
        ::close(fds[1]);
        fds[1] = -1;
    }
    int fds[2] = {-1, -1};
};

using test::whenModal;

}  // namespace

class UiPartsTest : public QObject {
    Q_OBJECT

private slots:
    // Every byte string comes back from the edit field unchanged: valid UTF-8 (up to four
    // bytes) as text, anything else (a lone byte, an overlong form, an encoded surrogate, a
    // cut sequence) byte for byte; typed text around it is UTF-8.
    void namesKeepTheirBytesThroughAnEditField() {
        const std::string names[] = {"plain.txt",    "caf\xC3\xA9 \xF0\x9F\x98\x80",
                                     "caf\xE9.txt",  "\xC0\xAF",
                                     "\xED\xA0\x80", "cut\xE2\x82",
                                     "\xFF\xFE"};
        for (const std::string& name : names)
            QCOMPARE(nameBytes(editableName(name)), name);
        QCOMPARE(editableName("caf\xC3\xA9"), QStringLiteral("caf\u00E9"));
        QString edited = editableName("a\xE9");
        edited.prepend(QStringLiteral("\u00FC-"));
        QCOMPARE(nameBytes(edited), std::string("\xC3\xBC-a\xE9"));
    }
    void postsRunInOrderNeverInsideTheCallerAndSynchronousWaitsPump() {
        QtEventLoop loop;
        std::vector<int> order;
        loop.post([&] { order.push_back(1); });
        loop.post([&] {
            order.push_back(2);
            loop.post([&] { order.push_back(4); });
        });
        loop.post([&] { order.push_back(3); });
        QVERIFY(order.empty());
        QTRY_COMPARE(order.size(), std::size_t{4});
        QCOMPARE(order, (std::vector<int>{1, 2, 3, 4}));

        std::atomic<int> fromThread{0};
        std::thread worker([&] { loop.postFromAnyThread([&] { fromThread = 7; }); });
        worker.join();
        QTRY_COMPARE(fromThread.load(), 7);

        // A synchronous wait runs what was posted and comes back in bounded time.
        bool ran = false;
        loop.post([&] { ran = true; });
        loop.processPending();
        QVERIFY(ran);
        QElapsedTimer clock;
        clock.start();
        loop.waitAndProcess(std::chrono::milliseconds(80));
        QVERIFY(clock.elapsed() < 2000);
    }

    void watchReportsReadabilityAndHangUpAndMayUnwatchItself() {
        QtEventLoop loop;
        Pipe pipe;
        std::vector<unsigned> seen;
        loop.watch(pipe.fds[0], EventLoop::IoReadable, [&](unsigned events) {
            seen.push_back(events);
            char buffer[16];
            if (::read(pipe.fds[0], buffer, sizeof buffer) == 0)
                loop.unwatch(pipe.fds[0]);
        });
        QVERIFY(::write(pipe.fds[1], "abc", 3) == 3);
        QTRY_COMPARE(seen.size(), std::size_t{1});
        QCOMPARE(seen[0], unsigned{EventLoop::IoReadable});
        pipe.closeWriter();
        // The hang-up comes as readability; the read finds the end.
        QTRY_COMPARE(seen.size(), std::size_t{2});
        QVERIFY(seen[1] & EventLoop::IoReadable);
        QTest::qWait(50);
        QCOMPARE(seen.size(), std::size_t{2});  // unwatched: no further calls
    }

    // The loop hands a socket its notifiers' readiness only; an error must still come out as
    // an error: a refused connection is never reported as made.
    void aSocketOnTheWindowsLoopSeesARefusedConnection() {
        QtEventLoop loop;
        Socket socket(loop);
        int connectError = -1, closes = 0;
        socket.onSessionConnected = [&](int error) { connectError = error; };
        socket.onSessionClosed = [&](int) { ++closes; };
        socket.setAddr("127.0.0.1");
        socket.setPort(std::to_string(test::freePort()));
        socket.connect();
        QTRY_COMPARE(closes, 1);
        QVERIFY(connectError > 0);
        QCOMPARE(socket.state(), SocketState::wsClosed);
    }

    void writabilityIsReportedOnlyWhileAsked() {
        QtEventLoop loop;
        Pipe pipe;
        int writable = 0;
        loop.watch(pipe.fds[1], EventLoop::IoWritable, [&](unsigned events) {
            QVERIFY(events & EventLoop::IoWritable);
            if (++writable == 3)
                loop.updateWatch(pipe.fds[1], 0);
        });
        QTRY_COMPARE(writable, 3);
        QTest::qWait(50);
        QCOMPARE(writable, 3);
        loop.updateWatch(pipe.fds[1], EventLoop::IoWritable);
        QTRY_VERIFY(writable > 3);
        loop.unwatch(pipe.fds[1]);
    }

    // A data connection closes inside its own notification and the next one, on another
    // descriptor, is watched there: the notifiers taken over must report the new descriptor
    // only.
    void aWatchMadeInsideAnotherWatchesCallbackSeesOnlyItsDescriptor() {
        QtEventLoop loop;
        Pipe first, second, third;
        std::vector<int> seen;
        loop.watch(first.fds[0], EventLoop::IoReadable, [&](unsigned) {
            seen.push_back(first.fds[0]);
            loop.unwatch(first.fds[0]);
            loop.watch(second.fds[0], EventLoop::IoReadable, [&](unsigned) {
                seen.push_back(second.fds[0]);
                char buffer[16];
                QVERIFY(::read(second.fds[0], buffer, sizeof buffer) > 0);
            });
        });
        loop.watch(third.fds[1], EventLoop::IoWritable, [&](unsigned) {});
        loop.unwatch(third.fds[1]);
        QVERIFY(::write(first.fds[1], "a", 1) == 1);
        QTRY_COMPARE(seen.size(), std::size_t{1});
        QTest::qWait(30);
        QCOMPARE(seen.size(), std::size_t{1});  // the first pipe stays readable, unwatched
        QVERIFY(::write(second.fds[1], "b", 1) == 1);
        QTRY_COMPARE(seen, (std::vector<int>{first.fds[0], second.fds[0]}));
        loop.unwatch(second.fds[0]);
        QVERIFY(::write(second.fds[1], "c", 1) == 1);
        QTest::qWait(30);
        QCOMPARE(seen.size(), std::size_t{2});
    }

    void theLogPaneShowsABurstTogetherInOrderAndFollowsTheEnd() {
        LogPane pane(50);
        pane.resize(300, 100);
        pane.show();
        pane.appendLine(QString());  // an empty first line is a line too
        QCOMPARE(pane.document()->blockCount(), 1);
        for (int i = 1; i < 60; ++i)
            pane.appendLine(QStringLiteral("line %1").arg(i));
        // The burst waits for the interval: the pane is not laid out line by line.
        QCOMPARE(pane.toPlainText(), QString());
        QTRY_COMPARE(pane.document()->blockCount(), 50);
        QCOMPARE(pane.document()->firstBlock().text(), QStringLiteral("line 10"));
        QCOMPARE(pane.document()->lastBlock().text(), QStringLiteral("line 59"));
        QScrollBar* bar = pane.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        // Scrolled up by the user, the view stays where it is.
        bar->setValue(0);
        QTest::qWait(static_cast<int>(LogPane::kFlushInterval) + 10);
        pane.appendLine(QStringLiteral("later"));
        QTRY_COMPARE(pane.document()->lastBlock().text(), QStringLiteral("later"));
        QCOMPARE(bar->value(), 0);

        pane.appendLine(QStringLiteral("dropped"));
        pane.clearLines();
        QTest::qWait(static_cast<int>(LogPane::kFlushInterval) + 10);
        QCOMPARE(pane.toPlainText(), QString());
        pane.appendLine(QStringLiteral("after"));
        QTRY_COMPARE(pane.toPlainText(), QStringLiteral("after"));
    }

    // A long line is cut with a mark, never inside a character of two UTF-16 units.
    void theLogPaneCutsLongLinesWhole() {
        LogPane pane(50);
        const qsizetype limit = LogPane::kMaxShownChars;
        const QString plain(limit + 1, QChar('a'));
        const QString pair = QString(limit - 1, QChar('b')) + QString::fromUtf8("\U0001F600tail");
        const QString fitting(limit, QChar('c'));
        for (const QString& line : {plain, pair, fitting})
            pane.appendLine(line);
        pane.flush();
        QCOMPARE(pane.toPlainText(), QString(limit, QChar('a')) + LogPane::kCutMark + "\n" +
                                         QString(limit - 1, QChar('b')) + LogPane::kCutMark + "\n" +
                                         fitting);
    }

    // The log pane's bar is drawn flat, its handle where the style puts it (where the mouse
    // takes it), at the end and at the top.
    void theLogPaneDrawsItsHandleWhereTheMouseFindsIt() {
        LogPane pane(200);
        pane.resize(300, 200);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        for (int i = 0; i < 200; ++i)
            pane.appendLine(QStringLiteral("line %1").arg(i));
        pane.flush();
        QScrollBar* bar = pane.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        const QColor handle = bar->palette().color(QPalette::Mid);
        const QColor groove = bar->palette().color(QPalette::Window);
        QVERIFY(handle != groove);
        for (const int value : {bar->maximum(), 0}) {
            bar->setValue(value);
            QStyleOptionSlider option;
            option.initFrom(bar);
            option.orientation = Qt::Vertical;
            option.minimum = bar->minimum();
            option.maximum = bar->maximum();
            option.sliderPosition = option.sliderValue = value;
            option.pageStep = bar->pageStep();
            option.singleStep = bar->singleStep();
            const QRect at = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                          QStyle::SC_ScrollBarSlider, bar);
            const QImage image = bar->grab().toImage();
            QCOMPARE(image.pixel(at.center()), handle.rgb());
            const QRect grooveRect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                                  QStyle::SC_ScrollBarGroove, bar);
            const int away = value == 0 ? grooveRect.bottom() - 2 : grooveRect.top() + 2;
            QCOMPARE(image.pixel(at.center().x(), away), groove.rgb());
        }
    }

    // The bar follows every repaint of the model, scaled past 2 GiB, and is painted with the
    // labels: its updates are never left held. It is filled in the highlight colour as far as
    // the file is done, left to right; a file of size 0 leaves it empty.
    void progressBarFollowsEachRepaintAndFillsThePartDone() {
        std::int64_t now = 0;
        auto model = std::make_shared<ProgressModel>([&now] { return now; });
        ProgressWindow window(model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* bar = window.findChild<QProgressBar*>("ProgressBar");
        auto* transferred = window.findChild<QLabel*>("TransferLbl");
        const QColor done = bar->palette().color(QPalette::Highlight);
        const auto colourAt = [bar](double part) {
            return bar->grab().toImage().pixelColor(static_cast<int>(bar->width() * part),
                                                    bar->height() / 2);
        };
        const std::int64_t size = std::int64_t{6} << 30;
        model->startFile("/d/big.bin", size, false);
        for (const std::int64_t bytes : {std::int64_t{1} << 30, size / 2, size - 1, size}) {
            now += ProgressModel::kRepaintInterval;
            model->updateProgress(bytes);
            QCOMPARE(bar->maximum(), static_cast<int>(size >> 2));
            QCOMPARE(bar->value(), static_cast<int>(bytes >> 2));
            QCOMPARE(transferred->text(), QString::number(bytes));
            QVERIFY(bar->updatesEnabled());
            if (bytes == size / 2) {
                QCOMPARE(colourAt(0.3), done);
                QVERIFY(colourAt(0.7) != done);
            }
        }
        now += ProgressModel::kRepaintInterval;
        model->fileDone();
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->updatesEnabled());
        now += ProgressModel::kRepaintInterval;
        model->startFile("empty", 0, false);
        QVERIFY(colourAt(0.3) != done);
    }

    void timersFireOnceOrRepeatUntilStopped() {
        QtEventLoop loop;
        int once = 0, repeated = 0, cancelled = 0;
        loop.startTimer(
            std::chrono::milliseconds(5), [&] { ++once; }, false);
        EventLoop::TimerId id = 0;
        id = loop.startTimer(
            std::chrono::milliseconds(5),
            [&] {
                if (++repeated == 3)
                    loop.stopTimer(id);
            },
            true);
        const auto dead = loop.startTimer(
            std::chrono::milliseconds(5), [&] { ++cancelled; }, true);
        loop.stopTimer(dead);
        QTRY_COMPARE(repeated, 3);
        QTest::qWait(60);
        QCOMPARE(once, 1);
        QCOMPARE(repeated, 3);
        QCOMPARE(cancelled, 0);
    }

    void inputFormMasksWithoutChangingTheText() {
        InputForm form("Enter password", "Password:", "secret", true);
        auto* input = form.findChild<QLineEdit*>("Input");
        auto* mask = form.findChild<QCheckBox*>("chbMask");
        QVERIFY(input && mask && !mask->isHidden());
        for (auto mode : {QLineEdit::Password, QLineEdit::Normal, QLineEdit::Password}) {
            QCOMPARE(input->echoMode(), mode);
            QCOMPARE(form.value(), QStringLiteral("secret"));
            mask->click();
        }
        QCOMPARE(form.findChild<QPushButton*>("Button2")->text(), QStringLiteral("&Cancel"));

        InputForm plain("Rename", "New name:", "a", false);
        QVERIFY(plain.findChild<QCheckBox*>("chbMask")->isHidden());
        QCOMPARE(plain.findChild<QLineEdit*>("Input")->echoMode(), QLineEdit::Normal);
    }

    void promptAnswersOnEnterAndKeepsTheValueOnEscape() {
        WidgetDialogs dialogs;
        std::string value = "old";
        whenModal([](QWidget* dialog) {
            auto* input = dialog->findChild<QLineEdit*>("Input");
            input->setText(QString::fromUtf8("n\xc3\xa9w"));
            QTest::keyClick(input, Qt::Key_Return);
        });
        QVERIFY(dialogs.inputPrompt("Rename", "New name:", value, false));
        QCOMPARE(value, std::string("n\xc3\xa9w"));

        whenModal([](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("Input")->setText("discarded");
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!dialogs.inputPrompt("Rename", "New name:", value, false));
        QCOMPARE(value, std::string("n\xc3\xa9w"));
    }

    void fontDialogKeepsWhatItCannotChoose() {
        WidgetDialogs dialogs;
        PaneFont font;
        font.name = "Sans";
        font.charSet = 0;
        font.color = 255;
        const PaneFont before = font;
        whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        QVERIFY(!dialogs.chooseFont(font));
        QVERIFY(font == before);

        QString family;
        whenModal([&family](QWidget* dialog) {
            auto* fonts = qobject_cast<QFontDialog*>(dialog);
            QVERIFY(fonts != nullptr);
            family = fonts->currentFont().family();
            fonts->accept();
        });
        QVERIFY(dialogs.chooseFont(font));
        QCOMPARE(QString::fromStdString(font.name.value_or("")), family);
        QCOMPARE(font.charSet, std::optional<int>(0));
        QCOMPARE(font.color, std::optional<int>(255));
        QVERIFY(font.bold.has_value());
        QVERIFY2(!font.size.has_value(), "a list's font gets no size");

        font.size = 31;
        int size = 0;
        whenModal([&size](QWidget* dialog) {
            auto* fonts = qobject_cast<QFontDialog*>(dialog);
            size = fonts->currentFont().pointSize();
            QFont bigger = fonts->currentFont();
            bigger.setPointSize(17);
            fonts->setCurrentFont(bigger);
            fonts->accept();
        });
        QVERIFY(dialogs.chooseFont(font));
        QCOMPARE(size, 31);
        QCOMPARE(font.size, std::optional<int>(17));
    }

    // The log-file chooser takes the filter pairs as Qt name filters and starts at the file.
    void fileChooserShowsTheFiltersAndReturnsTheChoice() {
        test::TempDir dir;
        WidgetDialogs dialogs;
        const std::string start = (dir.path() / "old.log").string();
        std::string file = start;
        QStringList filters;
        QString title;
        whenModal([&](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(chooser != nullptr);
            filters = chooser->nameFilters();
            title = chooser->windowTitle();
            chooser->selectFile(QStringLiteral("new.log"));
            static_cast<QDialog*>(chooser)->accept();
        });
        QVERIFY(dialogs.chooseFile("Choose Log file",
                                   "Log Files (*.log)|*.log|Text Files (*.Txt)|*.txt|All Files "
                                   "(*.*)|*.*",
                                   file));
        QCOMPARE(title, QStringLiteral("Choose Log file"));
        QCOMPARE(filters,
                 (QStringList{"Log Files (*.log)", "Text Files (*.Txt)", "All Files (*)"}));
        QCOMPARE(file, (dir.path() / "new.log").string());

        whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        QVERIFY(!dialogs.chooseFile("t", "All Files (*.*)|*.*", file));
        QCOMPARE(file, (dir.path() / "new.log").string());
    }

    void serverPropertiesDialogEditsTheModel() {
        test::TempDir dir;
        FtpServerInfo info = defaultServerInfo("");
        ServerPropertiesModel model(info, dir.path());
        std::vector<std::string> errors;
        model.showError = [&](const std::string&, const std::string& text) {
            errors.push_back(text);
        };
        ServerPropertiesDialog dialog(model);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Server-Eigenschaften"));
        auto* ok = dialog.findChild<QPushButton*>("SpeedButton2");
        QCOMPARE(dialog.findChild<QPushButton*>("SpeedButton1")->text(), QStringLiteral("Cancel"));

        ok->click();
        QCOMPARE(errors.size(), std::size_t{1});
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        QTest::keyClicks(dialog.findChild<QLineEdit*>("NameEdt"), "Home");
        QTest::keyClicks(dialog.findChild<QLineEdit*>("ServerEdt"), "127.0.0.1");
        auto* email = dialog.findChild<QLineEdit*>("EMailEdt");
        auto* user = dialog.findChild<QLineEdit*>("UserEdt");
        QVERIFY(!email->isEnabled() && user->isEnabled());
        dialog.findChild<QCheckBox*>("AnonymousCB")->click();
        QVERIFY(email->isEnabled() && !user->isEnabled());
        QVERIFY(!dialog.findChild<QCheckBox*>("cbMPsw")->isHidden());
        QCOMPARE(dialog.findChild<QLineEdit*>("PasswordEdt")->echoMode(), QLineEdit::Password);

        auto* custom = dialog.findChild<QWidget*>("pnlCustom");
        QVERIFY(custom->isHidden());
        auto* type = dialog.findChild<QComboBox*>("cbType");
        QCOMPARE(type->count(), 9);
        QCOMPARE(type->itemText(4), QStringLiteral("Custom"));

        auto* remote = dialog.findChild<QLineEdit*>("RemoteDirEdt");
        QTest::keyClicks(remote, "pub");
        dialog.findChild<QCheckBox*>("cbPD")->click();
        QCOMPARE(remote->text(), QStringLiteral("/pub"));

        ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(model.finish(true));
        QCOMPARE(model.record().Name, std::string("Home"));
        QCOMPARE(model.record().Server, std::string("127.0.0.1"));
        QCOMPARE(model.record().InitialDir, std::string("/pub"));
        QVERIFY(model.record().Anonymous);
    }

    void columnEditsTakeDigitsAndEraseOnAnythingElse() {
        test::TempDir dir;
        FtpServerInfo info = defaultServerInfo("");
        info.Answer = "4957681";
        ServerPropertiesModel model(info, dir.path());
        ServerPropertiesDialog dialog(model);
        QVERIFY(!dialog.findChild<QWidget*>("pnlCustom")->isHidden());
        auto* name = dialog.findChild<QLineEdit*>("eFName");
        QCOMPARE(name->text(), QStringLiteral("9"));
        // Only the built-in first layout exists: its columns cannot be edited.
        QVERIFY(!name->isEnabled());
        name->setEnabled(true);
        name->setFocus();
        name->setCursorPosition(1);
        QTest::keyClick(name, Qt::Key_1);
        QCOMPARE(name->text(), QStringLiteral("91"));
        QCOMPARE(model.columns[0], std::string("91"));
        QTest::keyClick(name, Qt::Key_X);
        QCOMPARE(name->text(), QStringLiteral("9"));
        QCOMPARE(model.columns[0], std::string("9"));

        // "add" asks for a name and selects the new layout, whose columns can be edited.
        model.askLayoutName = [](const std::string&, std::string& value) {
            value = "Mine";
            return true;
        };
        dialog.findChild<QPushButton*>("SpeedButton3")->click();
        auto* layouts = dialog.findChild<QComboBox*>("cbName");
        QCOMPARE(layouts->count(), 2);
        QCOMPARE(layouts->currentText(), QStringLiteral("Mine"));
        QVERIFY(name->isEnabled());
    }

    // The window lives as long as its batch: Escape does not hide it, and a change the model
    // held back within its repaint interval still reaches the labels. The value labels keep
    // their size while figures change, but a figure longer than they were made for widens its
    // label: it is never cut.
    void progressWindowIgnoresEscapeAndShowsTheLastFileUncut() {
        auto model = std::make_shared<ProgressModel>();
        ProgressWindow window(model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        model->startFile("one", 10, false);
        model->startFile("two", 20, false);
        auto* transferred = window.findChild<QLabel*>(QStringLiteral("TransferLbl"));
        QVERIFY(transferred != nullptr);
        model->updateProgress(7);
        QTRY_COMPARE(window.windowTitle(), QStringLiteral("Receiving two (20 bytes)"));
        QTRY_COMPARE(transferred->text(), QStringLiteral("7"));

        const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
        model->startFile("huge", huge, false);
        model->updateProgress(huge - 1);
        model->flush();
        const QString text = QString::number(huge - 1);
        QCOMPARE(transferred->text(), text);
        QTRY_VERIFY(transferred->width() >= transferred->fontMetrics().horizontalAdvance(text));
    }

    void messageBoxReportsTheButtonPressed() {
        WidgetDialogs dialogs;
        for (auto [button, answer] : {std::pair{QMessageBox::No, Dialogs::Answer::No},
                                      std::pair{QMessageBox::Yes, Dialogs::Answer::Yes}}) {
            whenModal([button = button](QWidget* box) {
                QCOMPARE(box->windowTitle(), QStringLiteral("Achtung"));
                static_cast<QMessageBox*>(box)->button(button)->click();
            });
            QCOMPARE(dialogs.messageBox("Achtung", "Wollen Sie das Programm wirklich beenden?",
                                        Dialogs::Icon::Question, Dialogs::Yes | Dialogs::No),
                     answer);
        }
    }
};

}  // namespace quay

QTEST_MAIN(quay::UiPartsTest)
#include "ui_parts_test.moc"
