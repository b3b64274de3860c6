#include "ui/server_properties_dialog.h"
#include "ui/qt_text.h"
#include "ui/widget_form.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <tuple>

namespace quay {

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QGroupBox* group(const char* title, QLayout* layout) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    box->setLayout(layout);
    return box;
}

}  // namespace

ServerPropertiesDialog::ServerPropertiesDialog(ServerPropertiesModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(QStringLiteral("FFtpBase"));
    setWindowTitle(qtext(ServerPropertiesModel::Caption));
    setModal(true);
    auto* ok = button(this, "SpeedButton2", "OK");
    auto* cancel = button(this, "SpeedButton1", "Cancel");
    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_model.SpeedButton2Click())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* bar = new QHBoxLayout;
    bar->addWidget(ok);
    bar->addWidget(cancel);
    bar->addStretch();

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildServerGroup());
    left->addWidget(buildDirectoryGroup());
    auto* right = new QVBoxLayout;
    right->addWidget(buildUserGroup());
    right->addWidget(buildTypeGroup());
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addLayout(columns);
    refreshStates();
    refreshLayouts();
    nameUnnamedTexts(*this);
}

QLineEdit* ServerPropertiesDialog::edit(const char* name, std::string& field) {
    auto* e = new QLineEdit(qtext(field), this);
    e->setObjectName(QString::fromLatin1(name));
    connect(e, &QLineEdit::textEdited, this,
            [&field](const QString& text) { field = bytes(text); });
    return e;
}

QCheckBox* ServerPropertiesDialog::check(const char* name, const char* caption, bool checked,
                                         std::function<void(bool)> set) {
    auto* c = new QCheckBox(QString::fromUtf8(caption), this);
    c->setObjectName(QString::fromLatin1(name));
    c->setChecked(checked);
    connect(c, &QCheckBox::toggled, this, [this, set = std::move(set)](bool on) {
        set(on);
        refreshStates();
    });
    return c;
}

QWidget* ServerPropertiesDialog::buildServerGroup() {
    auto* form = new QFormLayout;
    form->addRow("Name", edit("NameEdt", m_model.NameEdt));
    form->addRow("FTP Server", edit("ServerEdt", m_model.ServerEdt));
    form->addRow("FTP Port", edit("PortEdt", m_model.PortEdt));
    auto* desc = new QPlainTextEdit(this);
    desc->setObjectName(QStringLiteral("mDesc"));
    QStringList lines;
    for (const std::string& line : m_model.mDesc)
        lines << qtext(line);
    desc->setPlainText(lines.join('\n'));
    connect(desc, &QPlainTextEdit::textChanged, this, [this, desc] {
        m_model.mDesc.clear();
        if (desc->toPlainText().isEmpty())
            return;
        for (const QString& line : desc->toPlainText().split('\n'))
            m_model.mDesc.push_back(bytes(line));
    });
    form->addRow("Description", desc);
    form->addRow(
        check("cbPv", "Passive Mode", m_model.cbPv(), [this](bool on) { m_model.setCbPv(on); }));
    form->addRow(check("cbVH", "Shared virtual host", m_model.cbVH(),
                       [this](bool on) { m_model.setCbVH(on); }));
    auto* security = new QComboBox(this);
    security->setObjectName(QStringLiteral("cbSecurity"));
    for (std::string_view mode : ServerPropertiesModel::SecurityModes)
        security->addItem(qtext(mode));
    security->setCurrentIndex(m_model.securityIndex());
    translateItems(*security);
    connect(security, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_model.setSecurityIndex(index); });
    // Named, so the numbered names of the older labels stay what the language files key.
    auto* label = new QLabel(QStringLiteral("Security"), this);
    label->setObjectName(QStringLiteral("lbSecurity"));
    label->setBuddy(security);
    form->addRow(label, security);
    return group(" Server", form);
}

QWidget* ServerPropertiesDialog::buildUserGroup() {
    auto* form = new QFormLayout;
    m_user = edit("UserEdt", m_model.UserEdt);
    m_password = edit("PasswordEdt", m_model.PasswordEdt);
    m_account = edit("AccountEdt", m_model.AccountEdt);
    m_email = edit("EMailEdt", m_model.EMailEdt);
    m_mask = check("cbMPsw", "Mask Password", m_model.cbMPsw(),
                   [this](bool on) { m_model.setCbMPsw(on); });
    form->addRow("User ID", m_user);
    form->addRow("Password", m_password);
    form->addRow(m_mask);
    form->addRow("Account", m_account);
    form->addRow("E-Mail", m_email);
    form->addRow(check("AnonymousCB", "Anonymous Login", m_model.AnonymousCB(),
                       [this](bool on) { m_model.setAnonymousCB(on); }));
    form->addRow(check("SavePasswordCB", "Save Password", m_model.SavePasswordCB(),
                       [this](bool on) { m_model.setSavePasswordCB(on); }));
    return group(" User", form);
}

QWidget* ServerPropertiesDialog::buildDirectoryGroup() {
    auto* form = new QFormLayout;
    m_remoteDir = edit("RemoteDirEdt", m_model.RemoteDirEdt);
    form->addRow("Initial Directory on FTP Server", m_remoteDir);
    auto* addSlash = new QCheckBox(QStringLiteral("Add \"/\""), this);
    addSlash->setObjectName(QStringLiteral("cbPD"));
    addSlash->setChecked(m_model.cbPD());
    connect(addSlash, &QCheckBox::toggled, this, [this](bool on) {
        m_model.setCbPD(on);
        m_remoteDir->setText(qtext(m_model.RemoteDirEdt));
    });
    form->addRow(addSlash);
    m_localDir = edit("LocalDir", m_model.LocalDir);
    auto* browseButton = button(this, "Button3", "Browse");
    connect(browseButton, &QPushButton::clicked, this, &ServerPropertiesDialog::browse);
    auto* local = new QHBoxLayout;
    local->addWidget(m_localDir, 1);
    local->addWidget(browseButton);
    form->addRow("Initial Directory on Local Machine", local);
    // The row's field is a layout: its label names the edit in it.
    if (auto* heading = qobject_cast<QLabel*>(form->labelForField(local)))
        heading->setBuddy(m_localDir);
    return group(" Directories", form);
}

QWidget* ServerPropertiesDialog::buildTypeGroup() {
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("cbType"));
    for (std::string_view type : ServerPropertiesModel::ServerTypes)
        m_type->addItem(qtext(type));
    m_type->setCurrentIndex(m_model.typeIndex());
    translateItems(*m_type);
    connect(m_type, &QComboBox::activated, this, [this](int index) {
        m_model.cbTypeChange(index);
        refreshStates();
    });

    m_custom = new QWidget(this);
    m_custom->setObjectName(QStringLiteral("pnlCustom"));
    m_layouts = new QComboBox(m_custom);
    m_layouts->setObjectName(QStringLiteral("cbName"));
    connect(m_layouts, &QComboBox::activated, this, [this](int index) {
        m_model.cbNameChange(index);
        refreshColumns();
    });
    auto* names = new QHBoxLayout;
    names->addWidget(m_layouts, 1);
    const std::tuple<const char*, const char*, std::function<void()>> commands[] = {
        {"SpeedButton3", "add", [this] { m_model.SpeedButton3Click(); }},
        {"SpeedButton5", "edit", [this] { m_model.SpeedButton5Click(); }},
        {"SpeedButton4", "delete", [this] { m_model.SpeedButton4Click(); }}};
    for (const auto& [name, caption, command] : commands) {
        auto* b = button(m_custom, name, caption);
        connect(b, &QPushButton::clicked, this, [this, command = command] {
            command();
            refreshLayouts();
        });
        names->addWidget(b);
    }
    auto* grid = new QHBoxLayout;
    const char* labels[] = {"Name", "Size", "Month", "Day", "Time", "Attribute"};
    const char* editNames[] = {"eFName", "eFSize", "eFDate", "eFDate2", "eFTime", "eFAttr"};
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        m_columns[i] = edit(editNames[i], m_model.columns[i]);
        m_columns[i]->setMaxLength(2);
        m_columns[i]->installEventFilter(this);
        auto* cell = new QVBoxLayout;
        auto* heading = new QLabel(QString::fromLatin1(labels[i]), m_custom);
        heading->setBuddy(m_columns[i]);
        cell->addWidget(heading);
        cell->addWidget(m_columns[i]);
        grid->addLayout(cell);
    }
    auto* customLayout = new QVBoxLayout(m_custom);
    customLayout->setContentsMargins(0, 0, 0, 0);
    customLayout->addLayout(names);
    customLayout->addLayout(grid);

    auto* layout = new QVBoxLayout;
    layout->addWidget(m_type);
    layout->addWidget(m_custom);
    return group(" Response Type", layout);
}

bool ServerPropertiesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    if (typed.size() != 1 || !typed[0].isPrint())
        return false;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (watched != m_columns[i])
            continue;
        std::string& text = m_model.columns[i];
        auto cursor = static_cast<std::size_t>(m_columns[i]->cursorPosition());
        ServerPropertiesModel::typeColumnKey(text, cursor, typed[0].toLatin1());
        // Two characters at most, as the edit holds.
        if (text.size() > 2) {
            text.resize(2);
            cursor = std::min<std::size_t>(cursor, 2);
        }
        m_columns[i]->setText(qtext(text));
        m_columns[i]->setCursorPosition(static_cast<int>(cursor));
        return true;
    }
    return false;
}

void ServerPropertiesDialog::refreshStates() {
    m_email->setEnabled(m_model.emailEnabled());
    for (QLineEdit* login : {m_user, m_password, m_account})
        login->setEnabled(m_model.loginEnabled());
    m_password->setEchoMode(m_model.cbMPsw() ? QLineEdit::Password : QLineEdit::Normal);
    m_custom->setVisible(m_model.pnlCustomVisible());
}

void ServerPropertiesDialog::refreshLayouts() {
    const QSignalBlocker block(m_layouts);
    m_layouts->clear();
    for (const std::string& name : m_model.layoutNames())
        m_layouts->addItem(qtext(name));
    m_layouts->setCurrentIndex(m_model.layoutIndex());
    refreshColumns();
}

void ServerPropertiesDialog::refreshColumns() {
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        m_columns[i]->setText(qtext(m_model.columns[i]));
        m_columns[i]->setEnabled(m_model.columnsEnabled());
    }
}

void ServerPropertiesDialog::browse() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, m_browseTitle, QString::fromStdString(m_model.browseStart().string()));
    if (folder.isEmpty())
        return;
    m_model.folderChosen(bytes(folder));
    m_localDir->setText(qtext(m_model.LocalDir));
}

}  // namespace quay
