// The main window's state as a user meets it: where a first start puts the window, the place,
// size, splitters and column widths kept from one run to the next through the options file,
// a window saved on a screen that is gone, and the size column's texts. Everything is done
// through the real window with mouse input where a user has one (splitter handles, column
// borders, column headings, tooltips); moving and resizing the window is the window manager's.
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <memory>

#include "config/profile_file.h"
#include "pane_input.h"
#include "program_run.h"
#include "test_support.h"
#include "ui/pane_view.h"
#include "ui/window_state.h"

namespace quay {

namespace fs = std::filesystem;

namespace {

QRect screenArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Drags with the left button from one point of a widget to another, as a hand does.
void drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

// Drags the right border of a column of the list's heading by dx pixels.
void dragColumnBorder(PaneView& list, int column, int dx) {
    QHeaderView* header = list.reportView().header();
    const int border = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
    const int y = header->height() / 2;
    drag(header->viewport(), QPoint(border, y), QPoint(border + dx, y));
}

// Drags a splitter's one handle by delta along its orientation.
void dragSplitter(QSplitter& splitter, int delta) {
    QSplitterHandle* handle = splitter.handle(1);
    const QPoint middle = handle->rect().center();
    const QPoint moved =
        splitter.orientation() == Qt::Horizontal ? QPoint(delta, 0) : QPoint(0, delta);
    drag(handle, middle, middle + moved);
}

}  // namespace

class WindowStateTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_data;
    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::ProgramRun> m_run;
    QByteArray m_oldHome;

    MainWindow& window() { return m_run->window; }
    template <typename W>
    W& child(const char* name) {
        W* found = window().findChild<W*>(QString::fromLatin1(name));
        if (found == nullptr)
            qFatal("no %s", name);
        return *found;
    }
    // The options file with the window kept at place, and the further lines given.
    void keepWindowAt(const QRect& place, const std::string& more = {}) {
        test::writeFile(m_data->path() / "options.ftp",
                        "[Window]\nLeft=" + std::to_string(place.left()) +
                            "\nTop=" + std::to_string(place.top()) +
                            "\nWidth=" + std::to_string(place.width()) +
                            "\nHeight=" + std::to_string(place.height()) + "\n" + more);
    }
    void start() {
        m_run = std::make_unique<test::ProgramRun>(m_data->path());
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    // Closes the window as a user does (Exit, then Yes to the question), which saves the
    // options.
    void closeByExit() {
        m_run->dialogs.messageAnswers = {Dialogs::Answer::Yes};
        QTest::mouseClick(&child<QToolButton>("ExplorerButton1"), Qt::LeftButton);
        QVERIFY(!window().isVisible());
        m_run.reset();
    }
    QString text(PaneView& list, int row, int column, int role = Qt::DisplayRole) {
        return list.itemModel().index(row, column).data(role).toString();
    }
    int rowOf(PaneView& list, const QString& name) {
        for (int row = 0; row < list.itemModel().rowCount(); ++row)
            if (text(list, row, 0) == name)
                return row;
        return -1;
    }

private slots:
    void init() {
        m_data = std::make_unique<test::TempDir>();
        m_home = std::make_unique<test::TempDir>();
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(m_home->path().string()));
    }
    void cleanup() {
        m_run.reset();
        qputenv("HOME", m_oldHome);
    }

    void firstStartTakesTwoThirdsOfTheScreenCentred() {
        start();
        const QRect area = screenArea();
        const QRect place = window().geometry();
        // Two thirds, unless the window cannot be made that small.
        const QSize least = window().minimumSizeHint();
        QCOMPARE(place.size(), QSize(qMax(area.width() * 2 / 3, least.width()),
                                     qMax(area.height() * 2 / 3, least.height())));
        QVERIFY(qAbs(place.center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(place.center().y() - area.center().y()) <= 1);
        QVERIFY(!window().isMaximized());
    }

    // Splitters and columns moved with the mouse, the window moved and resized, closed: the
    // next run comes up exactly so, and the options file holds it under [Window] in plain keys.
    void placeSplittersAndColumnsComeBack() {
        test::writeFile(m_data->path() / "options.ftp", "[Common]\nTimeOut=33\n");
        start();
        const QRect area = screenArea();
        const QRect moved(area.left() + 20, area.top() + 30, area.width() - 40,
                          area.height() * 4 / 5);
        window().setGeometry(moved);
        QTRY_COMPARE(window().geometry(), moved);
        auto& tree = child<QSplitter>("Splitter2");
        auto& log = child<QSplitter>("Splitter3");
        const int treeBefore = tree.sizes()[0];
        const int logBefore = log.sizes()[1];
        dragSplitter(tree, 30);
        dragSplitter(log, -25);
        QVERIFY(tree.sizes()[0] > treeBefore);
        QVERIFY(log.sizes()[1] > logBefore);
        auto& local = child<PaneView>("lvLoc");
        auto& remote = child<PaneView>("FTPView");
        const QList<int> remoteBefore = remote.columnWidths();
        dragColumnBorder(local, 0, 40);
        dragColumnBorder(local, 2, 25);
        local.setCurrentWidget(&local.reportView());
        remote.setCurrentWidget(&remote.reportView());
        dragColumnBorder(remote, 1, 30);
        QCOMPARE(remote.columnWidths()[1], remoteBefore[1] + 30);
        const int treeWidth = tree.sizes()[0];
        const int logHeight = log.sizes()[1];
        const QList<int> localWidths = local.columnWidths();
        const QList<int> remoteWidths = remote.columnWidths();
        closeByExit();

        const ProfileFile file = ProfileFile::load(m_data->path() / "options.ftp");
        QCOMPARE(file.readInteger("Common", "TimeOut", 0), 33);
        const std::pair<const char*, int> kept[] = {
            {"Left", moved.left()},     {"Top", moved.top()}, {"Width", moved.width()},
            {"Height", moved.height()}, {"Maximized", 0},     {"TreeWidth", treeWidth},
            {"LogHeight", logHeight}};
        for (const auto& [key, value] : kept)
            QVERIFY2(file.readInteger("Window", key, -1) == value, key);
        QCOMPARE(file.readString("Window", "LocalColumns", ""), columnWidthsText(localWidths));

        start();
        QCOMPARE(window().geometry(), moved);
        QCOMPARE(child<QSplitter>("Splitter2").sizes()[0], treeWidth);
        QCOMPARE(child<QSplitter>("Splitter3").sizes()[1], logHeight);
        // The last column fills what is left of the list's width, so only the others are kept.
        const auto allButLast = [](const QList<int>& widths) {
            return widths.first(widths.size() - 1);
        };
        QCOMPARE(allButLast(child<PaneView>("lvLoc").columnWidths()), allButLast(localWidths));
        QCOMPARE(allButLast(child<PaneView>("FTPView").columnWidths()), allButLast(remoteWidths));
    }

    void maximizedComesBackMaximized() {
        keepWindowAt(QRect(10, 10, 700, 450), "Maximized=1\n");
        start();
        QTRY_VERIFY(window().isMaximized());
        closeByExit();
        const ProfileFile file = ProfileFile::load(m_data->path() / "options.ftp");
        QCOMPARE(file.readInteger("Window", "Maximized", -1), 1);
        // The size to go back to is the one from before maximizing.
        QCOMPARE(file.readInteger("Window", "Width", -1), 700);
    }

    // A window kept on a screen that is no longer there comes up on the screen that is.
    void windowOffEveryScreenIsMovedOntoOne() {
        const QRect area = screenArea();
        const QSize size(area.width() - 60, area.height() * 3 / 4);
        keepWindowAt(QRect(QPoint(area.right() + 2000, area.bottom() + 900), size));
        start();
        QCOMPARE(window().geometry().size(), size);
        QVERIFY(area.contains(window().geometry()));

        // Larger than the screen: shrunk to it.
        m_run.reset();
        keepWindowAt(QRect(-50, 0, area.width() * 3, area.height() + 100));
        start();
        QCOMPARE(window().geometry().size(), area.size());
        QCOMPARE(window().frameGeometry().topLeft(), area.topLeft());
    }

    void placingOnSeveralScreens() {
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1280, 1024);
        // On the second screen: kept there.
        QCOMPARE(placeOnScreens(QRect(2000, 100, 800, 600), {left, right}),
                 QRect(2000, 100, 800, 600));
        // Across both: onto the one holding most of it, whole.
        QCOMPARE(placeOnScreens(QRect(1700, 100, 800, 600), {left, right}),
                 QRect(1920, 100, 800, 600));
        // The second screen unplugged: onto the primary one.
        QCOMPARE(placeOnScreens(QRect(2000, 100, 800, 600), {left}), QRect(1120, 100, 800, 600));
        // Nothing saved: two thirds of the primary screen, centred.
        QCOMPARE(placeOnScreens({}, {left, right}), QRect(320, 180, 1280, 720));
        // Hand-edited widths: what is no number is no width.
        QCOMPARE(columnWidthsFromText("120, x,,90"), (QList<int>{120, 0, 0, 90}));
    }

    // Byte counts shown with units, the exact count in the tooltip; sorting by size still by
    // the number; dates are not cut off.
    void sizeColumnShowsUnitsAndSortsByBytes() {
        // In the order of their sizes.
        const struct {
            const char* name;
            std::int64_t size;
            const char* shown;
            const char* tip;
        } files[] = {{"zero", 0, "0 B", "0 bytes"},
                     {"small", 1023, "1023 B", "1023 bytes"},
                     {"one-k", 1024, "1.0 KB", "1024 bytes"},
                     {"k-and-half", 1536, "1.5 KB", "1536 bytes"},
                     {"nearly-mb", 1048575, "1.0 MB", "1048575 bytes"},
                     {"five-gb", 5'000'000'000, "4.7 GB", "5000000000 bytes"}};
        QStringList bySize;
        for (const auto& file : files) {
            test::writeFile(m_home->path() / file.name, "");
            fs::resize_file(m_home->path() / file.name, static_cast<std::uintmax_t>(file.size));
            bySize << QString::fromLatin1(file.name);
        }
        fs::create_directory(m_home->path() / "folder");
        start();
        auto& local = child<PaneView>("lvLoc");
        for (const auto& file : files) {
            const int index = rowOf(local, QString::fromLatin1(file.name));
            QVERIFY2(index >= 0, file.name);
            QCOMPARE(text(local, index, 1), QString::fromLatin1(file.shown));
            QCOMPARE(text(local, index, 1, Qt::ToolTipRole), QString::fromLatin1(file.tip));
        }
        QCOMPARE(text(local, rowOf(local, "folder"), 1), QString());

        // The tooltip a hovering mouse gets.
        QTreeView& report = local.reportView();
        const QRect cell = report.visualRect(local.itemModel().index(rowOf(local, "five-gb"), 1));
        QVERIFY(cell.isValid());
        QHelpEvent hover(QEvent::ToolTip, cell.center(),
                         report.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(report.viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("5000000000 bytes"));

        // A click on the size heading orders by the byte count, not by the text shown.
        test::clickHeading(local, 1);
        QStringList order;
        for (int row = 0; row < local.itemModel().rowCount(); ++row)
            if (text(local, row, 1) != QString())
                order << text(local, row, 0);
        QVERIFY2(order == bySize || order == QStringList(bySize.rbegin(), bySize.rend()),
                 qPrintable(order.join(',')));

        // Every date shows whole.
        const int dateColumn = 2;
        for (int row = 0; row < local.itemModel().rowCount(); ++row)
            QVERIFY(report.header()->sectionSize(dateColumn) >
                    report.fontMetrics().horizontalAdvance(text(local, row, dateColumn)));
    }
};

}  // namespace quay

QTEST_MAIN(quay::WindowStateTest)
#include "window_state_test.moc"
