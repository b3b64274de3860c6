// Renders the screenshots of the README: the program as main() assembles it, in English,
// driven by mouse clicks against a real vsftpd on 127.0.0.1. Run by scripts/screenshots under
// Xvfb; writes server-list.png, connected.png, transfer.png and options.png into the directory
// given as the only argument.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <stdexcept>

#include "config/options.h"
#include "config/shipped_languages.h"
#include "ftp_servers.h"
#include "program_run.h"
#include "session/progress_model.h"
#include "sites/server_line.h"
#include "ui/pane_view.h"
#include "ui/progress_window.h"

namespace {

namespace fs = std::filesystem;
using namespace quay;

constexpr int kWaitMs = 30000;
// The download shown running: long enough at the limited rate to be caught half-way.
constexpr std::int64_t kVideoBytes = 48 << 20;
constexpr int kRate = 8 << 20;

// Thrown on the way, so that the server is stopped on the way out.
[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

void waitFor(const std::function<bool()>& condition, const std::string& what) {
    if (!QTest::qWaitFor(condition, kWaitMs))
        fail("gave up waiting for " + what);
}

void save(const QImage& image, const fs::path& file) {
    // Fewer colours keep the files small; the windows use few anyway.
    const QImage small = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    if (!small.save(QString::fromStdString(file.string()), "PNG", 0))
        fail("cannot write " + file.string());
}

void makeFile(const fs::path& file, std::int64_t size) {
    test::writeFile(file, std::string(static_cast<std::size_t>(size), 'x'));
}

// The user's home: a few documents the local pane starts in.
void fillHome(const fs::path& home) {
    for (const char* dir : {"Documents", "Music", "Pictures", "Projects"})
        fs::create_directories(home / dir);
    makeFile(home / "notes.txt", 1834);
    makeFile(home / "report-2026.pdf", 284'112);
    makeFile(home / "budget.ods", 23'455);
}

// What the server offers.
void fillServer(const fs::path& root) {
    for (const char* dir : {"backup", "docs", "photos", "public_html"})
        fs::create_directories(root / dir);
    makeFile(root / "readme.txt", 2'410);
    makeFile(root / "index.html", 9'871);
    makeFile(root / "release-notes.md", 14'220);
    makeFile(root / "holiday-video.mp4", kVideoBytes);
    for (int i = 1; i <= 6; ++i)
        makeFile(root / "photos" / ("IMG_00" + std::to_string(40 + i) + ".jpg"), 1'200'000 + i);
}

// The server list: a folder, the test server and two more saved servers.
void writeServerList(const fs::path& data, int port) {
    const auto server = [](const std::string& name, const std::string& host,
                           const std::string& port) {
        FtpServerInfo info = defaultServerInfo("");
        info.Name = name;
        info.Server = host;
        info.Port = port;
        info.User = "quaytest";
        info.Password = "quaytest";
        info.SavePassword = true;
        info.Pasv = true;
        return serverInfoToLine(info) + "\r\n";
    };
    test::writeFile(data / "ftplist.TXT",
                    folderLine("Work") + "\r\n" +
                        server("Local test server", "127.0.0.1", std::to_string(port)) +
                        server("ftp.example.org", "ftp.example.org", "21") +
                        server("Photo archive", "photos.example.net", "21"));
}

PaneView& list(QWidget& window, const char* name) {
    auto* view = window.findChild<PaneView*>(name);
    if (view == nullptr)
        fail(std::string("no list ") + name);
    return *view;
}

int rowOf(PaneView& view, const QString& caption) {
    auto& model = view.itemModel();
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.index(row, 0).data().toString() == caption)
            return row;
    return -1;
}

QAbstractItemView& shownView(PaneView& view) {
    return view.reportView().isVisible() ? static_cast<QAbstractItemView&>(view.reportView())
                                         : view.iconView();
}

QPoint centreOf(PaneView& view, int row) {
    return shownView(view).visualRect(view.itemModel().index(row, 0)).center();
}

void clickRow(PaneView& view, const QString& caption, bool twice = false) {
    waitFor([&] { return rowOf(view, caption) >= 0; }, caption.toStdString());
    QWidget* viewport = shownView(view).viewport();
    const QPoint at = centreOf(view, rowOf(view, caption));
    if (twice)
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
}

void click(QWidget& window, const char* button) {
    auto* widget = window.findChild<QToolButton*>(button);
    if (widget == nullptr)
        fail(std::string("no button ") + button);
    QTest::mouseClick(widget, Qt::LeftButton);
}

// The main window with a dialog of it drawn where it stands, framed, under a title bar of
// its title (the virtual display has no window manager to draw one).
QImage withDialog(QWidget& window, QWidget& dialog) {
    QImage image = window.grab().toImage();
    const QPoint at = dialog.mapToGlobal(QPoint()) - window.mapToGlobal(QPoint());
    const int titleHeight = dialog.fontMetrics().height() + 8;
    const QRect title(at - QPoint(0, titleHeight), QSize(dialog.width(), titleHeight));
    QPainter painter(&image);
    painter.fillRect(title, window.palette().color(QPalette::Highlight));
    painter.setPen(window.palette().color(QPalette::HighlightedText));
    painter.drawText(title.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     dialog.windowTitle());
    painter.drawPixmap(at, dialog.grab());
    painter.setPen(window.palette().color(QPalette::Dark));
    painter.drawRect(QRect(title.topLeft(), QSize(dialog.width(), dialog.height() + titleHeight))
                         .adjusted(-1, -1, 0, 0));
    return image;
}

// Shows the options page of caption by a click on its entry in the page tree.
void showOptionsPage(QWidget& dialog, const QString& caption) {
    auto* tree = dialog.findChild<QTreeWidget*>("TreeView1");
    const QList<QTreeWidgetItem*> found = tree->findItems(caption, Qt::MatchRecursive);
    if (found.isEmpty())
        fail("no options page " + caption.toStdString());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(found.front()).center());
}

int tour(const fs::path& out) {
    test::TempDir dir;
    // A directory the server's account can pass through, so the served one reads "pub".
    test::TempDir servedDir;
    fs::permissions(servedDir.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path served = servedDir.path() / "pub";
    const fs::path home = dir.path() / "home";
    const fs::path data = dir.path() / "data";
    fillHome(home);
    fs::create_directories(data);
    fillServer(served);
    qputenv("HOME", QByteArray::fromStdString(home.string()));

    test::VsftpdServer server;
    server.limitRate(kRate);
    server.start(served);
    // The script stops the server by this pid should the tour itself be stopped.
    if (const char* pidFile = std::getenv("QUAY_TOUR_SERVER_PID"))
        test::writeFile(pidFile, std::to_string(server.pid()) + "\n");
    writeServerList(data, server.port());
    addShippedLanguageFiles(QUAY_SHIPPED_LANGUAGE_DIR, data);
    test::writeFile(data / kOptionsFileName, "[Language]\r\nLangOn=1\r\nLangFile=english\r\n");

    test::WidgetProgramRun run(data);
    QWidget& window = run.window;
    // A failure shows what the log said.
    struct LogOnFailure {
        QWidget& window;
        ~LogOnFailure() {
            if (std::uncaught_exceptions() > 0)
                if (auto* log = window.findChild<QPlainTextEdit*>("Log"))
                    std::fprintf(stderr, "%s\n", qPrintable(log->toPlainText()));
        }
    } logOnFailure{window};
    window.resize(1040, 660);
    if (!QTest::qWaitForWindowExposed(&window))
        fail("the window did not show");
    PaneView& remote = list(window, "FTPView");

    clickRow(remote, QStringLiteral("Local test server"));
    QTest::qWait(200);
    save(window.grab().toImage(), out / "server-list.png");

    clickRow(remote, QStringLiteral("Local test server"), true);
    waitFor([&] { return rowOf(remote, QStringLiteral("readme.txt")) >= 0; }, "the listing");
    clickRow(remote, QStringLiteral("photos"));
    clickRow(list(window, "lvLoc"), QStringLiteral("notes.txt"));
    QTest::qWait(200);
    save(window.grab().toImage(), out / "connected.png");

    clickRow(remote, QStringLiteral("holiday-video.mp4"));
    click(window, "SpeedButton2");
    ProgressWindow* progress = nullptr;
    waitFor(
        [&] {
            progress = window.findChild<ProgressWindow*>();
            return progress != nullptr && progress->isVisible() &&
                   progress->model().fileBytes() > kVideoBytes / 3;
        },
        "the download to be a third done");
    QTest::qWait(100);
    save(withDialog(window, *progress), out / "transfer.png");
    waitFor([&] { return window.findChild<ProgressWindow*>() == nullptr; }, "the download");

    // The options are edited while no server is connected.
    click(window, "sbDisConnect");
    waitFor([&] { return run.controller.state().serverListMode; }, "the server list");
    QAction* preferences = window.findChild<QAction*>("FtpOptions1");
    waitFor([&] { return preferences->isEnabled(); }, "Preferences to be enabled");
    QImage options;
    // Nothing may be thrown through the dialog's event loop: a failure waits for its end.
    std::string failure;
    QTimer::singleShot(0, [&options, &window, &failure] {
        QWidget* dialog = nullptr;
        try {
            waitFor([] { return QApplication::activeModalWidget() != nullptr; }, "the options");
            dialog = QApplication::activeModalWidget();
            showOptionsPage(*dialog, QStringLiteral("Display / Prompts"));
            QTest::qWait(200);
            options = withDialog(window, *dialog);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        if (dialog != nullptr)
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    preferences->trigger();
    if (!failure.empty())
        fail(failure);
    save(options, out / "options.png");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    try {
        if (argc != 2)
            fail("usage: quay_screenshot_tour <output directory>");
        return tour(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "screenshot tour: %s\n", e.what());
        return 1;
    }
}
