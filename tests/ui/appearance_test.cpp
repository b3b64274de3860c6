// What the window looks like: the icons of commands, file types, folders and servers, the
// sort arrow, and text that reads on its background under a dark palette. Through the real
// main window with real mouse input, against a real server for the remote listing.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "dark_palette.h"
#include "ftp_servers.h"
#include "pane_input.h"
#include "program_run.h"
#include "server_record.h"
#include "session/main_window_controls.h"
#include "sites/server_line.h"
#include "test_support.h"
#include "ui/options_dialog_view.h"
#include "ui/pane_view.h"
#include "ui/theme_icons.h"

namespace quay {

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 20000;

// Two icons look alike when their 16-pixel pictures are equal.
QImage pictureOf(const QIcon& icon) {
    return icon.pixmap(16).toImage();
}

QImage themePicture(const char* name) {
    return pictureOf(themeIcon(QString::fromLatin1(name)));
}

double luminance(const QColor& color) {
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

// The contrast ratio of text on a background as WCAG 2 defines it, 1 to 21.
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

class AppearanceTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_data, m_home, m_root;
    std::unique_ptr<test::ProgramRun> m_program;
    QByteArray m_oldHome;

    MainWindow& window() { return m_program->window; }
    PaneView& list(const char* name) { return *window().findChild<PaneView*>(name); }

    // The picture of the row with that caption in the named list; null when it is missing.
    QImage rowPicture(const char* listName, const std::string& caption) {
        PaneView& view = list(listName);
        const PaneModel& pane = view.itemModel().pane();
        for (std::size_t i = 0; i < pane.count(); ++i)
            if (pane.item(i).caption == caption)
                return pictureOf(
                    view.itemModel()
                        .data(view.itemModel().index(static_cast<int>(i), 0), Qt::DecorationRole)
                        .value<QIcon>());
        return {};
    }

    // The same names on both sides; "b.png" holds text, so only its name can make it a picture.
    static void writeSampleFiles(const fs::path& dir) {
        test::writeFile(dir / "a.txt", "some text");
        test::writeFile(dir / "b.png", "not a picture at all");
        test::writeFile(dir / "c.unknownkind", "");
        fs::create_directories(dir / "dir");
    }

    void startProgram() {
        m_program = std::make_unique<test::ProgramRun>(m_data->path());
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

    // Text in use must reach 4.5; text of a disabled control only has to be told from its field.
    void expectReadable(const QWidget& widget, QPalette::ColorRole text,
                        QPalette::ColorRole background, const char* what) {
        const auto group = widget.isEnabled() ? QPalette::Active : QPalette::Disabled;
        const QPalette& p = widget.palette();
        const double ratio = contrast(p.color(group, text), p.color(group, background));
        const QByteArray message = QByteArray(what) + " " + widget.objectName().toUtf8() +
                                   ": contrast " + QByteArray::number(ratio, 'f', 2);
        QVERIFY2(ratio >= (widget.isEnabled() ? 4.5 : 3.0), message.constData());
    }

    // Every field of the options dialog and the firewall group's caption, with the colouring
    // rules in the state model holds.
    void expectOptionsReadable(OptionsDialogModel& model) {
        OptionsDialog dialog(model);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        int fields = 0;
        for (QWidget* w : dialog.findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                qobject_cast<QAbstractSpinBox*>(w)) {
                expectReadable(*w, QPalette::Text, QPalette::Base, "field");
                ++fields;
            }
        }
        QVERIFY(fields > 10);
        expectReadable(*dialog.findChild<QGroupBox*>("gbFW"), QPalette::WindowText,
                       QPalette::Window, "group");
    }

private slots:
    void init() {
        m_data = std::make_unique<test::TempDir>();
        m_home = std::make_unique<test::TempDir>();
        m_root = std::make_unique<test::TempDir>();
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(m_home->path().string()));
        writeSampleFiles(m_home->path());
    }
    void cleanup() {
        m_program.reset();
        qputenv("HOME", m_oldHome);
        QApplication::setPalette(QPalette());
    }

    // Every button shows an icon; a menu entry shows the same one as the button of its
    // command, commands of different meaning show different ones, and a choice among options
    // (a transfer type, a view style) shows none.
    void buttonsAndMenuEntriesShowTheirCommandsIcons() {
        startProgram();
        for (const ControlDef& def : mainWindowControls())
            if (def.kind == ControlKind::Button) {
                auto* button = window().findChild<QToolButton*>(QString::fromStdString(def.name));
                QVERIFY2(button != nullptr && !button->icon().isNull(), def.name.c_str());
            }
        auto buttonPicture = [this](const char* name) {
            return pictureOf(window().findChild<QToolButton*>(name)->icon());
        };
        auto entryPicture = [this](const char* name) {
            return pictureOf(window().action(name)->icon());
        };
        const std::pair<const char*, const char*> sameCommand[] = {
            {"sbDel2", "DeleteServerDirFile1"},
            {"sbDel1", "Delete2"},
            {"SpeedButton1", "UploadSelectedFiles1"},
            {"SpeedButton2", "DownloadSelectedFiles2"},
            {"sbConnect", "ConnecttoFTPServer1"},
            {"ExplorerButton1", "Exit1"},
            {"sbNewServer", "NewServer2"},
            {"sbMkd2", "MakeDirectory3"}};
        for (const auto& [button, entry] : sameCommand) {
            QVERIFY2(!entryPicture(entry).isNull(), entry);
            QVERIFY2(buttonPicture(button) == entryPicture(entry), entry);
        }
        QVERIFY(buttonPicture("sbDel2") != buttonPicture("sbMkd2"));
        QVERIFY(buttonPicture("SpeedButton1") != buttonPicture("SpeedButton2"));
        for (const char* entry : {"Refresh3", "Refresh4", "About2", "Help1", "All8", "Font1"})
            QVERIFY2(!window().action(entry)->icon().isNull(), entry);
        for (const char* entry : {"miBinary", "LargeIcons3", "Byname4", "miEnglish"})
            QVERIFY2(window().action(entry)->icon().isNull(), entry);
    }

    // The server list tells folders from servers. File rows show the icon of their MIME type
    // by name, on both sides alike; directories the folder icon; a name of no known type the
    // plain file.
    void listsShowServerFolderAndFileTypeIcons() {
        auto server = test::makeFtpServer(test::FtpServerKind::Vsftpd);
        writeSampleFiles(m_root->path());
        server->start(m_root->path());
        FtpServerInfo info =
            test::localServerRecord(server->port(), server->user(), server->password());
        info.Pasv = true;
        test::writeFile(m_data->path() / "ftplist.TXT",
                        folderLine("Work") + "\r\n" + serverInfoToLine(info) + "\r\n");
        startProgram();
        QTRY_VERIFY_WITH_TIMEOUT(!rowPicture("FTPView", "Local").isNull(), kWaitMs);
        QVERIFY(rowPicture("FTPView", "Work") == themePicture("folder"));
        QVERIFY(rowPicture("FTPView", "Local") == themePicture("network-server"));
        QVERIFY(themePicture("folder") != themePicture("network-server"));
        const auto [viewport, at] = test::rowPlace(list("FTPView"), 1);  // below the folder
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTRY_VERIFY_WITH_TIMEOUT(!rowPicture("FTPView", "b.png").isNull(), kWaitMs);

        const std::pair<const char*, const char*> expected[] = {
            {"a.txt", "text-x-generic"},
            {"b.png", "image-x-generic"},
            {"dir", "folder"},
            {"c.unknownkind", "application-x-generic"}};
        for (const auto& [name, icon] : expected) {
            QVERIFY2(rowPicture("FTPView", name) == themePicture(icon), name);
            QVERIFY2(rowPicture("lvLoc", name) == themePicture(icon), name);
        }
        QVERIFY(rowPicture("FTPView", "a.txt") != rowPicture("FTPView", "b.png"));
        QVERIFY(rowPicture("FTPView", "b.png") != rowPicture("FTPView", "dir"));
    }

    // The arrow sits on the sorted column and points the way the rows read: on the name at
    // the start; on the size after a click on its heading (smallest first, as the list sorts
    // it), turned with the rows by a second click; on the name again, descending, after a
    // click there.
    void headerClickShowsAndTurnsTheSortArrow() {
        test::writeFile(m_home->path() / "big.bin", std::string(5000, 'x'));
        startProgram();
        PaneView& local = list("lvLoc");
        QHeaderView* header = local.reportView().header();
        const PaneModel& pane = local.itemModel().pane();
        auto files = [&pane] {
            std::vector<std::string> names;
            for (const PaneItem& item : pane.items())
                if (item.imageIndex == 2)
                    names.push_back(item.caption);
            return names;
        };
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        // The heading clicked, then the arrow and the files that come first and last.
        const struct {
            int column;
            Qt::SortOrder order;
            const char* first;
            const char* last;
        } clicks[] = {{1, Qt::AscendingOrder, "c.unknownkind", "big.bin"},
                      {1, Qt::DescendingOrder, "big.bin", "c.unknownkind"},
                      {0, Qt::DescendingOrder, "c.unknownkind", "a.txt"}};
        for (const auto& click : clicks) {
            test::clickHeading(local, click.column);
            QCOMPARE(header->sortIndicatorSection(), click.column);
            QCOMPARE(header->sortIndicatorOrder(), click.order);
            QCOMPARE(files().front(), std::string(click.first));
            QCOMPARE(files().back(), std::string(click.last));
        }
    }

    // Under a dark palette every text of the window and of the options dialog reads on its
    // own background: the lists (plain and selected rows), the log, the captions, and the
    // dialog's fields with their colouring rules on and off.
    void darkPaletteTextReadsOnItsBackground() {
        QApplication::setPalette(test::darkPalette());
        startProgram();
        for (const char* name : {"lvLoc", "FTPView"}) {
            QWidget& view = list(name).reportView();
            expectReadable(view, QPalette::Text, QPalette::Base, "list");
            expectReadable(view, QPalette::HighlightedText, QPalette::Highlight, "selected row");
        }
        expectReadable(*window().findChild<QPlainTextEdit*>("Log"), QPalette::Text, QPalette::Base,
                       "log");
        for (const char* name : {"Panel8", "Panel9", "pnlLocInfo", "Label1"})
            expectReadable(*window().findChild<QLabel*>(name), QPalette::WindowText,
                           QPalette::Window, "caption");

        test::ScriptedDialogs dialogs;
        Options record;
        OptionsDialogModel model(record, m_data->path(), dialogs);
        for (bool on : {true, false}) {
            model.rgType = on ? 1 : 2;
            model.rgMode = on ? 1 : 0;
            model.cbAno = model.cbFW = model.cbLog = model.cbKeep = on;
            expectOptionsReadable(model);
        }
    }
};

}  // namespace quay

QTEST_MAIN(quay::AppearanceTest)
#include "appearance_test.moc"
