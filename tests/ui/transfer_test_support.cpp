#include "transfer_test_support.h"

#include "scripted_commands.h"

#include "program_run.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <fstream>

#include "sites/server_line.h"
#include "ui/pane_view.h"

namespace quay::test {

namespace fs = std::filesystem;

void putFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    writeFile(path, content);
}

void makeSparseFile(const fs::path& path, std::int64_t size) {
    putFile(path, "");
    fs::resize_file(path, static_cast<std::uintmax_t>(size));
}

struct TransferProgram::Program {
    explicit Program(const fs::path& dir) : controller(loop, dialogs, dir), window(controller) {}
    QtEventLoop loop;
    ScriptedDialogs dialogs;
    SessionController controller;
    MainWindow window;
};

TransferProgram::TransferProgram() = default;
TransferProgram::~TransferProgram() {
    // QUAY_TEST_LOG=1 shows the FTP dialogue of each run, for a failure's story.
    if (m_program && std::getenv("QUAY_TEST_LOG") != nullptr)
        for (const std::string& line : controller().model().logLines())
            qWarning("%s", line.c_str());
}

SessionController& TransferProgram::controller() {
    return m_program->controller;
}

MainWindow& TransferProgram::window() {
    return m_program->window;
}

ScriptedDialogs& TransferProgram::dialogs() {
    return m_program->dialogs;
}

bool TransferProgram::start(int port, const std::string& user, const std::string& password,
                            const std::string& options) {
    const bool connected =
        launch(port, user, password, options) && openServer() &&
        QTest::qWaitFor([this] { return !controller().state().serverListMode; }, kWaitMs) &&
        waitIdle();
    if (!connected)
        for (const std::string& line : controller().model().logLines())
            qWarning("%s", line.c_str());
    return connected;
}

bool TransferProgram::launch(int port, const std::string& user, const std::string& password,
                             const std::string& options) {
    writeFile(m_data.path() / "options.ftp", "[Common]\nTimeOut=15\n" + options);
    FtpServerInfo info = localServerRecord(port, user, password);
    info.Pasv = true;
    if (!m_serverLayout.empty())
        info.Answer = m_serverLayout;
    writeFile(m_data.path() / "ftplist.TXT", serverInfoToLine(info) + "\r\n");
    m_program = std::make_unique<Program>(m_data.path());
    window().show();
    return QTest::qWaitForWindowExposed(&window()) && controller().changeLocalDir(local().string());
}

bool TransferProgram::openServer() {
    if (!select("FTPView", {"Local"}))
        return false;
    auto* pane = window().findChild<PaneView*>("FTPView");
    auto* view = qobject_cast<QAbstractItemView*>(pane->currentWidget());
    const QModelIndex index = view->model()->index(static_cast<int>(remoteRow("Local")), 0);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return true;
}

long TransferProgram::rowOf(const PaneModel& pane, const std::string& caption) {
    for (std::size_t i = 0; i < pane.count(); ++i)
        if (pane.item(i).caption == caption)
            return static_cast<long>(i);
    return -1;
}

long TransferProgram::remoteRow(const std::string& caption) {
    return rowOf(controller().model().ftpView(), caption);
}

long TransferProgram::localRow(const std::string& caption) {
    return rowOf(controller().model().lvLoc(), caption);
}

bool TransferProgram::select(const char* list, std::initializer_list<const char*> names) {
    auto* pane = window().findChild<PaneView*>(list);
    const PaneModel& rows = std::string(list) == "lvLoc" ? controller().model().lvLoc()
                                                         : controller().model().ftpView();
    pane->selection().clearSelection();
    for (const char* name : names) {
        const long row = rowOf(rows, name);
        if (row < 0)
            return false;
        pane->selection().select(pane->itemModel().index(static_cast<int>(row), 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    return true;
}

bool TransferProgram::selectRemote(std::initializer_list<const char*> names) {
    return select("FTPView", names);
}

bool TransferProgram::selectLocal(std::initializer_list<const char*> names) {
    return select("lvLoc", names);
}

bool TransferProgram::click(const char* button) {
    auto* widget = window().findChild<QToolButton*>(button);
    if (widget == nullptr || !widget->isEnabled())
        return false;
    QTest::mouseClick(widget, Qt::LeftButton);
    return true;
}

bool TransferProgram::dropRows(const char* from, const char* to) {
    auto* target = window().findChild<PaneView*>(to);
    auto* view = qobject_cast<QAbstractItemView*>(target->currentWidget());
    const QPoint at = view->viewport()->rect().center();
    QMimeData data;
    data.setData(PaneView::kRowMimeType, from);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drop);
    return drop.isAccepted();
}

// QTest::qWaitFor sleeps between its rounds, which would slow every request of a batch.
bool TransferProgram::runUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    bool reached = false;
    QEventLoop loop;
    QTimer check;
    // The check may run inside a nested wait of the program, which goes on after the quit:
    // what was seen is what counts.
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            reached = true;
            loop.quit();
        }
    });
    check.start(2);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return reached || done();
}

bool TransferProgram::waitIdle(int timeoutMs) {
    // The client is ready a moment before its completion is delivered, and the handler may
    // start the next request then: idle is ready twice, with the loop run in between.
    auto idle = [this] {
        return !controller().runner().busy() && controller().ftp().state() == FtpState::fsReady;
    };
    for (int stable = 0; stable < 2;) {
        if (!runUntil(idle, timeoutMs))
            return false;
        QTest::qWait(20);
        stable = idle() ? stable + 1 : 0;
    }
    return true;
}

bool TransferProgram::progressShown() {
    auto* window = this->window().findChild<QWidget*>("TProgress");
    return window != nullptr && window->isVisible();
}

long long TransferProgram::progressBytes() {
    if (!progressShown())
        return 0;
    return window().findChild<QLabel*>("TransferLbl")->text().toLongLong();
}

int TransferProgram::logCount(const std::string& prefix) {
    int count = 0;
    for (const std::string& line : controller().model().logLines())
        count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

std::vector<std::string> TransferProgram::logLines(const std::string& first,
                                                   const std::string& second) {
    std::vector<std::string> lines;
    for (const std::string& line : controller().model().logLines())
        if (line.rfind(first, 0) == 0 || line.rfind(second, 0) == 0)
            lines.push_back(line);
    return lines;
}

}  // namespace quay::test

#include "scripted_ftp_server.h"

namespace quay::test {

namespace {

std::string joinPath(const std::string& dir, const std::string& name) {
    if (name.starts_with('/'))
        return name;
    return dir == "/" ? "/" + name : dir + "/" + name;
}

}  // namespace

void ScriptedTree::serve(ScriptedFtpSession& session) const {
    session.reply("220 scripted");
    std::string cwd = home;
    for (;;) {
        const std::optional<ScriptedCommand> command = nextCommand(session);
        if (!command)
            throw ScriptError("the client went without QUIT");
        const std::string& verb = command->verb;
        const std::string& arg = command->arg;
        if (verb == "CWD") {
            std::string to = joinPath(cwd, arg);
            if (to.size() > 1 && to.back() == '/')
                to.pop_back();
            if (listing(to)) {
                cwd = to;
                session.reply("250 ok");
            } else {
                session.reply("550 no such directory");
            }
        } else if (verb == "FEAT" && !featReply.empty()) {
            session.reply(featReply);
        } else if (answerSessionCommand(session, *command, cwd)) {
            continue;
        } else if (verb == "RETR" && joinPath(cwd, arg) == silentFile) {
            session.reply("150 data");
            session.acceptData();
            session.expect("ABOR");
            session.closeData();
            session.reply("426 aborted");
            session.reply("226 ABOR done");
        } else if (verb == "LIST" || verb == "RETR" || (verb == "MLSD" && mlsdListing)) {
            const std::optional<std::string> data = verb == "LIST"   ? listing(cwd)
                                                    : verb == "MLSD" ? mlsdListing(cwd)
                                                                     : file(joinPath(cwd, arg));
            if (!data) {
                session.reply(verb == "MLSD" ? "500 MLSD not here" : "550 not here");
                continue;
            }
            session.reply("150 data");
            session.acceptData();
            session.sendData(*data);
            session.closeData();
            session.reply("226 done");
            if (verb == "LIST" && afterListing)
                afterListing(session);
        } else if (verb == "REST") {
            session.reply(restReply);
        } else if (verb == "QUIT") {
            session.reply("221 bye");
            return;
        } else {
            session.reply("502 not here");
        }
    }
}

}  // namespace quay::test
