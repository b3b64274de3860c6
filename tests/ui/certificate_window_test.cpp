// The certificate question of an FTPS log-in through the real main window: a double-click on a
// saved server of vsftpd with TLS forced, behind a relay that records what the client sent.
// The question is answered by scripted dialogs, and once by clicks on the buttons of the
// program's own certificate dialog.
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "ftp_servers.h"
#include "program_run.h"
#include "recording_relay.h"
#include "session/trusted_certificates.h"
#include "sites/server_line.h"
#include "test_support.h"
#include "tls_peers.h"
#include "ui/certificate_dialog.h"

namespace quay {

namespace fs = std::filesystem;
using Answer = Dialogs::CertificateAnswer;

namespace {
constexpr int kWaitMs = 20000;
}  // namespace

class CertificateWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_data;
    std::unique_ptr<test::TempDir> m_root;
    std::unique_ptr<test::TestCertificate> m_certificate;
    std::unique_ptr<test::VsftpdServer> m_server;
    std::unique_ptr<test::RecordingRelay> m_relay;
    std::unique_ptr<test::ProgramRun> m_program;
    std::unique_ptr<test::WidgetProgramRun> m_ownDialogsProgram;
    SessionController* m_controller = nullptr;
    MainWindow* m_window = nullptr;
    // The buttons to click in the program's certificate dialogs, one a dialog, and how many
    // dialogs have been answered.
    std::vector<const char*> m_clicks;
    std::size_t m_answered = 0;
    QTimer m_clicker;

    SessionController& controller() { return *m_controller; }

    void startServer() {
        m_server = std::make_unique<test::VsftpdServer>();
        m_server->useTls(*m_certificate);
        m_server->start(m_root->path());
    }

    void startProgram() {
        FtpServerInfo info = test::localServerRecord(m_relay->port(), "quaytest", "quaytest");
        info.Pasv = true;
        info.Security = 2;
        test::writeFile(m_data->path() / "ftplist.TXT", serverInfoToLine(info) + "\r\n");
        test::writeFile(m_data->path() / "options.ftp", "[Common]\nTimeOut=15\n");
        m_program = std::make_unique<test::ProgramRun>(m_data->path());
        m_controller = &m_program->controller;
        m_window = &m_program->window;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    // The program again, with its own dialogs; each certificate dialog it shows is answered by a
    // mouse click on the next button of `clicks`.
    void restartWithOwnDialogs(std::vector<const char*> clicks) {
        m_program.reset();
        m_ownDialogsProgram = std::make_unique<test::WidgetProgramRun>(m_data->path());
        m_controller = &m_ownDialogsProgram->controller;
        m_window = &m_ownDialogsProgram->window;
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_clicks = std::move(clicks);
        connect(&m_clicker, &QTimer::timeout, this, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<CertificateDialog*>(widget);
                if (!dialog || !dialog->isVisible() || m_answered >= m_clicks.size())
                    continue;
                auto* button = dialog->findChild<QPushButton*>(m_clicks[m_answered++]);
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        });
        m_clicker.start(50);
    }

    long rowOf(const std::string& caption) {
        PaneModel& pane = controller().model().ftpView();
        for (std::size_t i = 0; i < pane.count(); ++i)
            if (pane.item(i).caption == caption)
                return static_cast<long>(i);
        return -1;
    }

    // Logs in by double-clicking the saved server, as a user does.
    void openServer() {
        QTRY_VERIFY_WITH_TIMEOUT(rowOf("Local") >= 0, kWaitMs);
        auto* pane = m_window->findChild<QWidget*>("FTPView");
        auto* view = pane->findChild<QAbstractItemView*>();
        const QModelIndex index = view->model()->index(static_cast<int>(rowOf("Local")), 0);
        const QPoint at = view->visualRect(index).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    // Logs in and waits for the root's listing.
    void logIn() {
        openServer();
        QTRY_VERIFY_WITH_TIMEOUT(rowOf("hello.txt") >= 0, kWaitMs);
    }
    bool inServerList() { return controller().state().serverListMode; }
    void waitForServerList() {
        QTRY_VERIFY_WITH_TIMEOUT(inServerList() && rowOf("Local") >= 0, kWaitMs);
    }
    void disconnect() {
        QTest::mouseClick(m_window->findChild<QToolButton*>("sbDisConnect"), Qt::LeftButton);
        waitForServerList();
    }
    std::size_t asked() { return m_program->dialogs.certificateQuestions.size(); }

private slots:
    void init() {
        m_data = std::make_unique<test::TempDir>();
        m_root = std::make_unique<test::TempDir>();
        test::writeFile(m_root->path() / "hello.txt", "hello");
        m_certificate = std::make_unique<test::TestCertificate>();
        startServer();
        m_relay = std::make_unique<test::RecordingRelay>(m_server->port());
        startProgram();
    }
    void cleanup() {
        m_clicker.stop();
        m_clicker.disconnect();
        m_program.reset();
        m_ownDialogsProgram.reset();
        m_relay.reset();
        m_server.reset();
    }

    void refusedSendsNoUserName() {
        openServer();
        QTRY_COMPARE_WITH_TIMEOUT(asked(), std::size_t{1}, kWaitMs);
        const Dialogs::CertificateQuestion& question =
            m_program->dialogs.certificateQuestions.front();
        QCOMPARE(question.certificate.sha256, m_certificate->sha256());
        QCOMPARE(question.certificate.reason, std::string("self-signed certificate"));
        QVERIFY(!question.changed);
        waitForServerList();
        const std::string sent = m_relay->clientBytes();
        QCOMPARE(sent.rfind("AUTH TLS\r\n", 0), std::size_t{0});
        QVERIFY(sent.find("quaytest") == std::string::npos);
        QVERIFY(!fs::exists(m_data->path() / TrustedCertificates::FileName));
    }

    void acceptedOnceIsAskedAgainNextSession() {
        m_program->dialogs.certificateAnswers = {Answer::AcceptOnce, Answer::AcceptOnce};
        logIn();
        auto* encrypted = m_window->findChild<QLabel*>("lbEncrypted");
        QVERIFY(encrypted->isVisible());
        QCOMPARE(encrypted->accessibleName(), QStringLiteral("Encrypted (TLS 1.3)"));
        QVERIFY(m_relay->clientBytes().find("quaytest") == std::string::npos);
        disconnect();
        QVERIFY(!encrypted->isVisible());
        logIn();
        QCOMPARE(asked(), std::size_t{2});
        QVERIFY(!fs::exists(m_data->path() / TrustedCertificates::FileName));
    }

    void alwaysTrustedUntilTheCertificateIsReplaced() {
        m_program->dialogs.certificateAnswers = {Answer::AlwaysTrust, Answer::Refuse};
        logIn();
        const fs::path trustFile = m_data->path() / TrustedCertificates::FileName;
        struct stat info {};
        QCOMPARE(::stat(trustFile.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(test::readFile(trustFile), "127.0.0.1:" + std::to_string(m_relay->port()) + " " +
                                                m_certificate->sha256() + "\n");
        disconnect();
        logIn();
        QCOMPARE(asked(), std::size_t{1});
        disconnect();

        // The server gets a new certificate: asked again, told that it changed.
        m_certificate = std::make_unique<test::TestCertificate>();
        m_server->stop();
        m_server->useTls(*m_certificate);
        m_server->start(m_root->path());
        m_relay->retarget(m_server->port());
        openServer();
        QTRY_COMPARE_WITH_TIMEOUT(asked(), std::size_t{2}, kWaitMs);
        const Dialogs::CertificateQuestion& question = m_program->dialogs.certificateQuestions[1];
        QVERIFY(question.changed);
        QCOMPARE(question.certificate.sha256, m_certificate->sha256());
        waitForServerList();
    }

    // Refuse, accept once (twice: asked again), always trust (then not asked again), each a
    // click on the program's own dialog; the user name never crosses in clear.
    void theProgramsOwnDialogIsAnsweredByItsButtons() {
        restartWithOwnDialogs({"btRefuse", "btAcceptOnce", "btAcceptOnce", "btAlwaysTrust"});
        const fs::path trustFile = m_data->path() / TrustedCertificates::FileName;
        openServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_answered, std::size_t{1}, kWaitMs);
        waitForServerList();
        QVERIFY(m_relay->clientBytes().find("USER") == std::string::npos);
        for (std::size_t asked = 2; asked <= 4; ++asked) {
            logIn();
            QCOMPARE(m_answered, asked);
            QCOMPARE(fs::exists(trustFile), asked == 4);
            disconnect();
        }
        logIn();
        QCOMPARE(m_answered, std::size_t{4});
        QVERIFY(m_relay->clientBytes().find("quaytest") == std::string::npos);
    }

    void theDialogOffersExactlyThreeChoices() {
        Dialogs::CertificateQuestion question;
        question.server = "ftp.example.org:21";
        question.certificate.sha256 = "AB:CD";
        question.certificate.reason = "certificate has expired";
        question.changed = true;
        test::ScriptedDialogs texts;
        CertificateDialog dialog(texts, question, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Unknown certificate"));
        QVERIFY(dialog.text().contains(QStringLiteral("has changed")));
        QVERIFY(dialog.text().contains(QStringLiteral("AB:CD")));
        QVERIFY(dialog.text().contains(QStringLiteral("certificate has expired")));
        QStringList captions;
        for (QAbstractButton* button : dialog.buttons())
            captions << button->text();
        captions.sort();
        QCOMPARE(captions, (QStringList{"Accept once", "Always trust", "Refuse"}));
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::mouseClick(dialog.findChild<QPushButton*>("btAlwaysTrust"), Qt::LeftButton);
        });
        QCOMPARE(dialog.ask(), Answer::AlwaysTrust);
    }
};

}  // namespace quay

QTEST_MAIN(quay::CertificateWindowTest)
#include "certificate_window_test.moc"
