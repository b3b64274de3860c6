#include "ui/main_window.h"
#include "ui/transfer_queue_pane.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "session/session_controller.h"
#include "ui/command_icons.h"
#include "ui/font_scale.h"
#include "ui/help_window.h"
#include "ui/local_pane_binding.h"
#include "ui/pane_headings.h"
#include "ui/pane_view.h"
#include "ui/qt_text.h"
#include "ui/sort_indicator.h"
#include "ui/start_instance.h"
#include "ui/status_line.h"
#include "ui/window_state.h"

namespace quay {

void HalvingSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    if (count() != 2)
        return;
    // Narrower than the handle: both panes get nothing rather than a negative width.
    const int room = std::max(0, width() - handleWidth());
    const int right = room / 2;
    setSizes({room - right, right});
}

namespace {

QWidget* boxed(QWidget* panel, QBoxLayout* layout) {
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    panel->setLayout(layout);
    return panel;
}

}  // namespace

MainWindow::MainWindow(SessionController& controller, QWidget* parent)
    : QMainWindow(parent), m_controller(controller) {
    setObjectName(QStringLiteral("_Main"));
    setWindowTitle(QStringLiteral("Quayside Pro"));
    auto* central = make<QWidget>("", this);
    auto* splitter3 = make<QSplitter>("Splitter3", central, Qt::Vertical);
    auto* splitter1 = make<HalvingSplitter>("Splitter1", splitter3, Qt::Horizontal);
    splitter1->addWidget(buildLocalArea());
    splitter1->addWidget(buildRemoteArea());
    splitter1->setChildrenCollapsible(false);
    // The pane shows what the model keeps: the newest lines only.
    m_log = make<LogPane>("Log", splitter3, static_cast<int>(PresentationModel::kLogLineLimit));
    // The log and the transfer queue share the area below the panes as two tabs.
    auto* logTabs = make<QTabWidget>("LogTabs", splitter3);
    logTabs->addTab(m_log, QString());
    m_queue = new TransferQueuePane(m_controller, logTabs);
    m_queue->setObjectName(QStringLiteral("Queue"));
    logTabs->addTab(m_queue, QString());
    splitter3->addWidget(splitter1);
    splitter3->addWidget(logTabs);
    splitter3->setStretchFactor(0, 4);
    splitter3->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout;
    layout->addWidget(buildTopBar());
    layout->addWidget(splitter3, 1);
    boxed(central, layout);
    setCentralWidget(central);
    buildMenus();
    buildCommandActions();
    bindModel();
    m_controller.model().onWindowTitleChanged = [this] {
        setWindowTitle(qtext(m_controller.model().windowTitle()));
    };
    connectCommands();
    showCommandIcons(*this);
    bindKeys();
    bindLocalPane(*this, m_controller);
    bindSortIndicators(*this, m_controller);
    bindStatusLine(*this, m_controller.model());
    m_controller.onCloseWindow = [this] { close(); };
    // A failed start is not reported: the command has nothing to say it with.
    m_controller.onStartInstance = [] { startNewInstance(); };
    m_controller.onLanguageItemsChanged = [this] {
        refreshLanguageEntries();
        showPaneHeadings(*this, m_controller.dialogs());
        nameUnlabelledControls();
    };
    // Help is a window of its own, nothing the session decides.
    m_controller.onHelp = [this] {
        if (m_help == nullptr)
            m_help = new HelpWindow(this);
        m_help->setWindowTitle(qtext(m_controller.dialogs().text(Message::HelpTitle)));
        m_help->showContext(10);
    };
    nameUnlabelledControls();
    m_controller.FormCreate();
    // After FormCreate, which reads the options.
    new WindowStateKeeper(*this, m_controller.options().window);
}

// Edits and the log have no caption of their own to be spoken by.
void MainWindow::nameUnlabelledControls() {
    const Dialogs& dialogs = m_controller.dialogs();
    m_log->setAccessibleName(qtext(dialogs.text(Message::LogName)));
    if (auto* path = qobject_cast<QComboBox*>(widget("FTPPath")))
        path->lineEdit()->setAccessibleName(qtext(dialogs.text(Message::ServerPathName)));
    if (auto* command = qobject_cast<QComboBox*>(widget("cbCmd"))) {
        command->setAccessibleName(qtext(dialogs.text(Message::CommandLineName)));
        command->lineEdit()->setAccessibleName(command->accessibleName());
    }
    nameLogTabs(dialogs);
}

// The log and queue tabs, and the tab bar's own scroll buttons, which Qt names in English.
void MainWindow::nameLogTabs(const Dialogs& dialogs) {
    auto* tabs = findChild<QTabWidget*>(QStringLiteral("LogTabs"));
    if (tabs == nullptr)
        return;
    tabs->setAccessibleName(qtext(dialogs.text(Message::LogAndQueueName)));
    tabs->setTabText(tabs->indexOf(m_log), qtext(dialogs.text(Message::LogName)));
    tabs->setTabText(tabs->indexOf(m_queue), qtext(dialogs.text(Message::QueueTab)));
    const std::pair<const char*, Message> scrollButtons[] = {
        {"ScrollLeftButton", Message::ScrollLeftName},
        {"ScrollRightButton", Message::ScrollRightName}};
    for (const auto& [name, message] : scrollButtons)
        if (auto* button = tabs->findChild<QWidget*>(QString::fromLatin1(name)))
            button->setAccessibleName(qtext(dialogs.text(message)));
    m_queue->showTexts(dialogs);
}

MainWindow::~MainWindow() {
    m_controller.onCloseWindow = nullptr;
    m_controller.onStartInstance = nullptr;
    m_controller.onLanguageItemsChanged = nullptr;
    m_controller.onHelp = nullptr;
    m_controller.model().onWindowTitleChanged = nullptr;
    unbindStatusLine(m_controller.model());
    m_controller.model().onCommandChanged = nullptr;
    m_controller.onShowProgress = nullptr;
    m_controller.onHideProgress = nullptr;
    m_controller.model().onControlChanged = nullptr;
    m_controller.model().onLogAppended = nullptr;
    m_controller.model().onLogCleared = nullptr;
    m_controller.model().onScreenCursorChanged = nullptr;
    m_controller.model().onPaneFontChanged = nullptr;
    if (m_overrideCursor)
        QApplication::restoreOverrideCursor();
}

template <typename W, typename... Args>
W* MainWindow::make(const char* name, QWidget* parent, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    if (*name != '\0') {
        w->setObjectName(QString::fromLatin1(name));
        m_widgets[name] = w;
    }
    return w;
}

QWidget* MainWindow::widget(const std::string& name) const {
    auto it = m_widgets.find(name);
    return it == m_widgets.end() ? nullptr : it->second;
}

QAction* MainWindow::action(const std::string& name) const {
    auto it = m_menus.actions.find(name);
    return it == m_menus.actions.end() ? nullptr : it->second;
}

QWidget* MainWindow::buildToolbar(const char* name, std::initializer_list<const char*> buttons) {
    auto* bar = make<QWidget>(name, nullptr);
    auto* layout = new QHBoxLayout;
    for (const char* button : buttons)
        layout->addWidget(make<QToolButton>(button, bar));
    layout->addStretch();
    return boxed(bar, layout);
}

QWidget* MainWindow::buildTopBar() {
    auto* bar = make<QWidget>("Panel11", nullptr);
    auto* layout = new QHBoxLayout;
    for (const char* name : {"sbConnect", "sbDisConnect", "sbStop"})
        layout->addWidget(make<QToolButton>(name, bar));
    layout->addStretch();
    auto* product = make<QLabel>("Label1", bar);
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    layout->addWidget(product);
    layout->addSpacing(8);
    auto* productLabel = make<QLabel>("Label2", bar);
    layout->addWidget(productLabel);
    auto* edit = make<QLineEdit>("Edit1", bar);
    productLabel->setBuddy(edit);
    edit->setReadOnly(true);
    edit->setMaximumWidth(edit->fontMetrics().averageCharWidth() * 20);
    layout->addWidget(edit);
    layout->addSpacing(8);
    layout->addWidget(make<QLabel>("lbEncrypted", bar));
    layout->addWidget(make<QToolButton>("ExplorerButton1", bar));
    return boxed(bar, layout);
}

QWidget* MainWindow::buildLocalArea() {
    auto* area = make<QWidget>("Panel1", nullptr);
    area->setMinimumWidth(1);
    auto* tree = make<QWidget>("Panel4", nullptr);
    auto* drive = new QHBoxLayout;
    auto* driveBox = make<QComboBox>("DriveComboBox1", tree);
    drive->addWidget(driveBox, 1);
    auto* up = make<QToolButton>("SpeedButton4", tree);
    drive->addWidget(up);
    auto* treeLayout = new QVBoxLayout;
    treeLayout->addLayout(drive);
    treeLayout->addWidget(make<QListWidget>("dlbx", tree), 1);
    boxed(tree, treeLayout);

    auto* files = make<QWidget>("Panel5", nullptr);
    auto* lvLoc = make<PaneView>("lvLoc", files, m_controller.model().lvLoc(),
                                 QList<PaneColumn>{{QStringLiteral("Dateiname"), 100},
                                                   {QStringLiteral("Größe"), 75},
                                                   {QStringLiteral("Datum"), 90},
                                                   {QStringLiteral("Zeit"), 0}});
    auto* filesLayout = new QVBoxLayout;
    filesLayout->addWidget(lvLoc, 1);
    auto* info = make<QLabel>("pnlLocInfo", files);
    info->setFrameShape(QFrame::StyledPanel);
    filesLayout->addWidget(info);
    boxed(files, filesLayout);

    auto* splitter2 = make<QSplitter>("Splitter2", nullptr, Qt::Horizontal);
    splitter2->addWidget(tree);
    splitter2->addWidget(files);
    splitter2->setStretchFactor(1, 1);
    splitter2->setSizes(
        {fontScaled(splitter2->fontMetrics(), 140), fontScaled(splitter2->fontMetrics(), 300)});

    auto* transfer = make<QWidget>("Panel15", nullptr);
    auto* transferLayout = new QVBoxLayout;
    transferLayout->addStretch();
    auto* upload = make<QToolButton>("SpeedButton1", transfer);
    auto* download = make<QToolButton>("SpeedButton2", transfer);
    transferLayout->addWidget(upload);
    transferLayout->addWidget(download);
    transferLayout->addStretch();
    boxed(transfer, transferLayout);

    auto* body = new QHBoxLayout;
    body->addWidget(splitter2, 1);
    body->addWidget(transfer);
    auto* caption = make<QLabel>("Panel8", nullptr);
    caption->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout;
    layout->addWidget(buildToolbar("Panel6", {"sbMkd1", "sbRen1", "sbDel1", "sbView", "sbRun"}));
    layout->addWidget(caption);
    layout->addLayout(body, 1);
    return boxed(area, layout);
}

QWidget* MainWindow::buildRemoteArea() {
    auto* area = make<QWidget>("Panel2", nullptr);
    area->setMinimumWidth(1);
    auto* caption = make<QLabel>("Panel9", nullptr);
    caption->setFrameShape(QFrame::StyledPanel);

    auto* pathBar = make<QWidget>("FTPPathPanel", nullptr);
    auto* pathLayout = new QHBoxLayout;
    auto* up = make<QToolButton>("FTPOneLevelUp", pathBar);
    pathLayout->addWidget(up);
    auto* path = make<QComboBox>("FTPPath", pathBar);
    path->setEditable(true);
    path->setMaxVisibleItems(10);
    path->setInsertPolicy(QComboBox::NoInsert);
    pathLayout->addWidget(path, 1);
    boxed(pathBar, pathLayout);

    auto* view = make<PaneView>("FTPView", nullptr, m_controller.model().ftpView(),
                                QList<PaneColumn>{{QStringLiteral("Dateiname"), 140},
                                                  {QStringLiteral("Größe"), 65, Qt::AlignRight},
                                                  {QStringLiteral("Datum "), 55, Qt::AlignHCenter},
                                                  {QStringLiteral("Zeit"), 40, Qt::AlignHCenter},
                                                  {QStringLiteral("Datei-Attribute"), 180}});

    auto* commandBar = make<QWidget>("Panel17", nullptr);
    auto* commandLayout = new QHBoxLayout;
    commandLayout->addWidget(make<QToolButton>("SpeedButton5", commandBar));
    commandLayout->addWidget(make<QToolButton>("SpeedButton6", commandBar));
    auto* command = make<QComboBox>("cbCmd", commandBar);
    command->setEditable(true);
    command->setInsertPolicy(QComboBox::NoInsert);
    commandLayout->addWidget(command, 1);
    boxed(commandBar, commandLayout);
    auto* info = make<QLabel>("pnlFtpInfo", nullptr);
    info->setFrameShape(QFrame::StyledPanel);

    auto* layout = new QVBoxLayout;
    layout->addWidget(
        buildToolbar("Panel7", {"sbNewServer", "sbProperties", "sbMkd2", "sbRen2", "sbDel2"}));
    layout->addWidget(caption);
    layout->addWidget(pathBar);
    layout->addWidget(view, 1);
    layout->addWidget(commandBar);
    layout->addWidget(info);
    return boxed(area, layout);
}

void MainWindow::buildMenus() {
    m_menus = quay::buildMenus(mainWindowControls(), *menuBar(), *this);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_controller.FormCloseQuery()) {
        event->ignore();
        return;
    }
    m_controller.FormClose();
    event->accept();
}

}  // namespace quay
