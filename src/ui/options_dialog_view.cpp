#include "ui/options_dialog_view.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/font_scale.h"
#include "ui/qt_text.h"
#include "ui/widget_form.h"

namespace quay {

namespace {

using Model = OptionsDialogModel;

// A colour of the colouring rules as the palette's colour of the same meaning, so that a dark
// palette reads as well as a light one: white (a field in use) is the field colour, silver
// (a field not in use) the window's, black text the window's text and grey text the text
// of a disabled control. Taken from the application's palette for the widget, which no rule
// has changed.
QColor paletteColor(const QWidget* widget, int rgb) {
    const QPalette palette = QApplication::palette(widget);
    switch (rgb) {
        case Model::White:
            return palette.color(QPalette::Active, QPalette::Base);
        case Model::Silver:
            return palette.color(QPalette::Active, QPalette::Window);
        case Model::Black:
            return palette.color(QPalette::Active, QPalette::WindowText);
        case Model::Grey:
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        default:
            return QColor(QRgb(static_cast<unsigned>(rgb)));
    }
}

void paint(QWidget* widget, int rgb, QPalette::ColorRole role = QPalette::Base) {
    QPalette palette = widget->palette();
    palette.setColor(role, paletteColor(widget, rgb));
    widget->setPalette(palette);
}

QGroupBox* page(const Model::Page& page, QLayout* layout) {
    auto* box = new QGroupBox(qtext(page.caption));
    box->setObjectName(QString::fromLatin1(page.name.data(), page.name.size()));
    box->setLayout(layout);
    return box;
}

QLabel* label(const char* caption) {
    return new QLabel(QString::fromUtf8(caption));
}

// A form row whose label also names its field for a screen reader.
void addLabelledRow(QFormLayout& form, const char* caption, QWidget* field) {
    QLabel* heading = label(caption);
    heading->setBuddy(field);
    form.addRow(heading, field);
}

QGroupBox* group(const char* name, const char* title, QLayout* layout) {
    auto* box = new QGroupBox(QString::fromUtf8(title));
    box->setObjectName(QString::fromLatin1(name));
    box->setLayout(layout);
    return box;
}

// A list with its command buttons stacked on its right.
QLayout* withButtons(QWidget* list, std::initializer_list<QWidget*> buttons) {
    auto* column = new QVBoxLayout;
    for (QWidget* button : buttons)
        column->addWidget(button);
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addLayout(column);
    return row;
}

}  // namespace

OptionsDialog::OptionsDialog(OptionsDialogModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(QStringLiteral("_Options"));
    setWindowTitle(qtext(Model::Caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    // Masked passwords show one "*" per character.
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    for (QWidget* p : {buildConnectionPage(), buildModePage(), buildLogPage(), buildKeepPage(),
                       buildProxyPage(), buildDisplayPage(), buildLanguagePage()})
        m_pages->addWidget(p);
    auto* body = new QHBoxLayout;
    body->addWidget(buildTree());
    body->addWidget(m_pages, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    button("SpeedButton2", "&OK", [this] { accept(); })->setDefault(true);
    buttons->addWidget(findChild<QPushButton*>(QStringLiteral("SpeedButton2")));
    buttons->addWidget(button("SpeedButton3", "&Cancel", [this] { reject(); }));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    nameUnnamedTexts(*this);
    m_form = std::make_unique<WidgetForm>(*this);
    m_model.form = m_form.get();
    m_pages->setCurrentIndex(m_model.page);
    refresh();
}

OptionsDialog::~OptionsDialog() {
    m_model.form = nullptr;
}

QWidget* OptionsDialog::buildTree() {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setAccessibleName(qtext(Model::Caption));
    translateAccessibleName(*m_tree);
    translateItems(*m_tree);
    m_tree->setFixedWidth(fontScaled(m_tree->fontMetrics(), 230));
    std::vector<QTreeWidgetItem*> nodes;
    for (std::size_t i = 0; i < Model::Tree.size(); ++i) {
        const Model::TreeNode& node = Model::Tree[i];
        auto* item = node.parent < 0
                         ? new QTreeWidgetItem(m_tree)
                         : new QTreeWidgetItem(nodes[static_cast<std::size_t>(node.parent)]);
        item->setText(0, qtext(node.caption));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        nodes.push_back(item);
    }
    m_tree->expandAll();
    m_tree->setCurrentItem(nodes[static_cast<std::size_t>(m_model.page)]);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item == nullptr)
            return;
        m_model.TreeView1Change(item->data(0, Qt::UserRole).toInt());
        m_pages->setCurrentIndex(m_model.page);
    });
    return m_tree;
}

QLineEdit* OptionsDialog::edit(const char* name, std::string& field) {
    auto* e = new QLineEdit(qtext(field), this);
    e->setObjectName(QString::fromLatin1(name));
    connect(e, &QLineEdit::textEdited, this,
            [&field](const QString& text) { field = bytes(text); });
    return e;
}

QCheckBox* OptionsDialog::check(const char* name, const char* caption, bool& field) {
    auto* c = new QCheckBox(QString::fromUtf8(caption), this);
    c->setObjectName(QString::fromLatin1(name));
    c->setChecked(field);
    connect(c, &QCheckBox::toggled, this, [this, &field](bool on) {
        field = on;
        refresh();
    });
    return c;
}

QSpinBox* OptionsDialog::upDown(const char* name, int& field, OptionsDialogModel::Range range) {
    auto* s = new QSpinBox(this);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(range.min, range.max);
    s->setValue(field);  // shown at the nearest limit; the model keeps the value as read
    connect(s, &QSpinBox::valueChanged, this, [&field](int value) { field = value; });
    return s;
}

QPushButton* OptionsDialog::button(const char* name, const char* caption,
                                   std::function<void()> action) {
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    if (std::string_view(caption) == "...") {
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(b->text()) +
                         fontScaled(b->fontMetrics(), 24));
        b->setAccessibleName(QStringLiteral("Browse"));
        translateAccessibleName(*b);
    }
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, action = std::move(action)] {
        action();
        refresh();
    });
    return b;
}

QButtonGroup* OptionsDialog::radios(QLayout& layout, const std::string_view* captions,
                                    std::size_t count, const char* const* names, int& field) {
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < count; ++i) {
        auto* radio = new QRadioButton(qtext(captions[i]), this);
        if (names != nullptr)
            radio->setObjectName(QString::fromLatin1(names[i]));
        radio->setChecked(static_cast<int>(i) == field);
        group->addButton(radio, static_cast<int>(i));
        layout.addWidget(radio);
    }
    connect(group, &QButtonGroup::idClicked, this, [this, &field](int id) {
        field = id;
        refresh();
    });
    return group;
}

QListWidget* OptionsDialog::list(const char* name, std::vector<std::string>& items, int& index) {
    auto* l = new QListWidget(this);
    l->setObjectName(QString::fromLatin1(name));
    refreshList(l, items, index);
    connect(l, &QListWidget::currentRowChanged, this, [&index](int row) { index = row; });
    return l;
}

void OptionsDialog::refreshList(QListWidget* widget, const std::vector<std::string>& items,
                                int index) {
    const QSignalBlocker block(widget);
    widget->clear();
    for (const std::string& item : items)
        widget->addItem(qtext(item));
    widget->setCurrentRow(index);
}

QWidget* OptionsDialog::buildConnectionPage() {
    auto* form = new QFormLayout;
    addLabelledRow(*form, "Default Time Out",
                   upDown("eTimeOut", m_model.udTimeOut, Model::TimeOutRange));
    addLabelledRow(*form, "Connections Retry",
                   upDown("eRetry", m_model.udRetry, Model::RetryRange));
    QSpinBox* connections = upDown("eConnections", m_model.udConnections, Model::ConnectionsRange);
    addLabelledRow(*form, "Simultaneous transfers", connections);
    // Named, so the numbered labels before it keep their language keys.
    form->labelForField(connections)->setObjectName(QStringLiteral("lbConnections"));
    form->addRow(check("cbAno", "E-mail Address for anonymous connection", m_model.cbAno));
    m_anonymous = edit("eAno", m_model.eAno);
    form->addRow(m_anonymous);
    for (auto* hidden :
         {check("cbSync", "Synchronous Command", m_model.cbSync),
          check("cbPassiveTransfer", "Passive Transfers", m_model.cbPassiveTransfer)}) {
        hidden->setVisible(false);
        form->addRow(hidden);
    }
    return page(Model::Pages[0], form);
}

QWidget* OptionsDialog::buildModePage() {
    auto* modes = new QVBoxLayout;
    static const char* const modeNames[] = {"rbAuto", "rbAscii", "rbBinary"};
    radios(*modes, Model::TransferModes.data(), Model::TransferModes.size(), modeNames,
           m_model.rgMode);
    m_extensions = list("lbExt", m_model.lbExt, m_model.lbExtIndex);
    auto* layout = new QVBoxLayout;
    layout->addWidget(group("rgMode", "Default transfer type", modes));
    QLabel* extensions = label("Text Files Extension");
    // A list takes no name from a buddy label.
    m_extensions->setAccessibleName(extensions->text());
    translateAccessibleName(*m_extensions);
    layout->addWidget(extensions);
    layout->addLayout(
        withButtons(m_extensions,
                    {button("SpeedButton6", "Add", [this] { m_model.SpeedButton6Click(0); }),
                     button("SpeedButton8", "Modify", [this] { m_model.SpeedButton6Click(1); }),
                     button("SpeedButton7", "Remove", [this] { m_model.SpeedButton7Click(); })}),
        1);
    return page(Model::Pages[1], layout);
}

QWidget* OptionsDialog::buildLogPage() {
    m_logFile = edit("eLogFile", m_model.eLogFile);
    auto* file = new QHBoxLayout;
    file->addWidget(m_logFile, 1);
    file->addWidget(button("SpeedButton11", "...", [this] {
        m_model.SpeedButton1Click();
        m_logFile->setText(qtext(m_model.eLogFile));
    }));
    auto* layout = new QVBoxLayout;
    layout->addWidget(check("cbLog", "Enable Log", m_model.cbLog));
    layout->addWidget(label("Log File Name"));
    layout->addLayout(file);
    layout->addStretch();
    return page(Model::Pages[2], layout);
}

QWidget* OptionsDialog::buildKeepPage() {
    auto* form = new QFormLayout;
    form->addRow(check("cbKeep", "Keep connection", m_model.cbKeep));
    m_keep = upDown("eKeep", m_model.udKeep, Model::KeepRange);
    m_duration = upDown("eduration", m_model.udDuration, Model::DurationRange);
    addLabelledRow(*form, "Start after last command (seconds)", m_keep);
    addLabelledRow(*form, "Duration (minutes)", m_duration);
    m_commands = list("lbKeep", m_model.lbKeep, m_model.lbKeepIndex);
    m_commands->setAccessibleName(QStringLiteral("Keep-alive commands"));
    translateAccessibleName(*m_commands);
    auto* layout = new QVBoxLayout;
    layout->addLayout(form);
    layout->addLayout(
        withButtons(m_commands,
                    {button("SpeedButton4", "Add", [this] { m_model.SpeedButton4Click(); }),
                     button("SpeedButton5", "Delete", [this] { m_model.SpeedButton5Click(); })}),
        1);
    return page(Model::Pages[3], layout);
}

QWidget* OptionsDialog::buildProxyPage() {
    auto* types = new QVBoxLayout;
    static const char* const typeNames[] = {"rbDirect", "rbProxy", "rbSocks4", "rbSocks4A",
                                            "rbSocks5"};
    radios(*types, Model::ConnectionTypes.data(), Model::ConnectionTypes.size(), typeNames,
           m_model.rgType);

    auto* proxy = new QFormLayout;
    addLabelledRow(*proxy, "Server", edit("eProxy", m_model.eProxy));
    addLabelledRow(*proxy, "Port", edit("eProxyPort", m_model.eProxyPort));
    m_proxyPassword = edit("eProxyPsw", m_model.eProxyPsw);
    addLabelledRow(*proxy, "Password", m_proxyPassword);
    proxy->addRow(check("cbProxyPswMask", "Masked Password", m_model.cbProxyPswMask));
    m_proxy = group("pnlProxy", "Proxy", proxy);

    auto* socks = new QFormLayout;
    addLabelledRow(*socks, "Server", edit("eSocks", m_model.eSocks));
    addLabelledRow(*socks, "Port", edit("eSocksPort", m_model.eSocksPort));
    m_socksPassword = edit("eSocksPsw", m_model.eSocksPsw);
    addLabelledRow(*socks, "Password", m_socksPassword);
    addLabelledRow(*socks, "User Code", edit("eSocksUC", m_model.eSocksUC));
    socks->addRow(check("cbSocksPswMask", "Masked Password", m_model.cbSocksPswMask));
    m_socks = group("pnlSocks", "Sockets", socks);

    // The firewall settings take no part in connecting: they stay hidden.
    auto* firewallTypes = new QVBoxLayout;
    static const char* const names[] = {"RadioButton1", "RadioButton2", "RadioButton3",
                                        "RadioButton4", "RadioButton5", "RadioButton6",
                                        "RadioButton7"};
    radios(*firewallTypes, Model::FirewallTypes.data(), Model::FirewallTypes.size(), names,
           m_model.gbFWTag);
    QLineEdit* symbol = edit("eFWSimbol", m_model.eFWSimbol);
    symbol->setMaxLength(1);
    firewallTypes->addWidget(symbol);
    auto* settings = new QPushButton(QStringLiteral("Settings..."), this);
    settings->setObjectName(QStringLiteral("btFWSettings"));
    settings->setEnabled(false);
    firewallTypes->addWidget(settings);
    m_firewall = group("gbFW", "Type", firewallTypes);
    m_firewall->setVisible(false);
    auto* cbFW = check("cbFW", "Enable FireWall", m_model.cbFW);
    cbFW->setEnabled(false);
    cbFW->setVisible(false);

    auto* panels = new QHBoxLayout;
    panels->addWidget(m_proxy);
    panels->addWidget(m_socks);
    auto* layout = new QVBoxLayout;
    layout->addWidget(group("rgType", "Connection type", types));
    layout->addLayout(panels);
    layout->addWidget(cbFW);
    layout->addWidget(m_firewall);
    layout->addStretch();
    return page(Model::Pages[4], layout);
}

QWidget* OptionsDialog::buildDisplayPage() {
    m_font = button("sbFont", "Font", [this] { m_model.sbFontClick(); });
    m_path = edit("ePath", m_model.ePath);
    auto* path = new QHBoxLayout;
    path->addWidget(m_path, 1);
    path->addWidget(button("SpeedButton10", "...", [this] {
        m_model.SpeedButton10Click();
        m_path->setText(qtext(m_model.ePath));
    }));

    auto* prompts = new QVBoxLayout;
    prompts->addWidget(
        check("cbDownLoad", "Overwrite confirmation (download)", m_model.cbDownLoad));
    prompts->addWidget(check("cbUpload", "Overwrite confirmation (upload)", m_model.cbUpload));
    prompts->addWidget(label("Default Action :"));
    static const char* const actions[] = {"RadioButton8", "RadioButton9", "RadioButton10"};
    radios(*prompts, Model::DefaultActions.data(), Model::DefaultActions.size(), actions,
           m_model.gbPromptTag);

    auto* dates = new QVBoxLayout;
    static const char* const dateNames[] = {"rbDate", "rbDateA"};
    radios(*dates, Model::DateFormats.data(), Model::DateFormats.size(), dateNames,
           m_model.gbDateTag);

    auto* layout = new QVBoxLayout;
    layout->addWidget(m_font, 0, Qt::AlignLeft);
    layout->addWidget(label("Initial Directory"));
    layout->addLayout(path);
    layout->addWidget(group("gbPrompt", "Transfer Prompt Option", prompts));
    layout->addWidget(group("gbDate", "Datumsformat", dates));
    layout->addWidget(
        check("cbAskDelete", "Ask before deleting on the server", m_model.cbAskDelete));
    layout->addStretch();
    return page(Model::Pages[5], layout);
}

QWidget* OptionsDialog::buildLanguagePage() {
    m_languages = new QComboBox(this);
    m_languages->setObjectName(QStringLiteral("cbFLng"));
    for (const std::string& name : m_model.cbFLngItems())
        m_languages->addItem(qtext(name));
    m_languages->setCurrentIndex(m_model.cbFLngIndex);
    connect(m_languages, &QComboBox::activated, this,
            [this](int index) { m_model.cbFLngChange(index); });
    m_languageLabel = label("Language file");
    auto* init = check("cbLngInit", "Recreate default language file", m_model.cbLngInit);
    init->setVisible(false);
    auto* layout = new QVBoxLayout;
    layout->addWidget(check("cbLng", "Use localization", m_model.cbLng));
    layout->addWidget(m_languageLabel);
    layout->addWidget(m_languages);
    layout->addWidget(init);
    layout->addStretch();
    return page(Model::Pages[6], layout);
}

void OptionsDialog::refresh() {
    m_proxy->setEnabled(m_model.pnlProxyEnabled());
    m_socks->setEnabled(m_model.pnlSocksEnabled());
    for (QLineEdit* e : m_proxy->findChildren<QLineEdit*>())
        paint(e, m_model.proxyEditColor());
    for (QLineEdit* e : m_socks->findChildren<QLineEdit*>())
        paint(e, m_model.socksEditColor());
    m_proxyPassword->setEchoMode(m_model.cbProxyPswMask ? QLineEdit::Password : QLineEdit::Normal);
    m_socksPassword->setEchoMode(m_model.cbSocksPswMask ? QLineEdit::Password : QLineEdit::Normal);
    m_anonymous->setEnabled(m_model.eAnoEnabled());
    paint(m_anonymous, m_model.eAnoColor());
    m_firewall->setEnabled(m_model.gbFWEnabled());
    paint(m_firewall, m_model.gbFWFontColor(), QPalette::WindowText);
    paint(m_extensions, m_model.lbExtColor());
    paint(m_logFile, m_model.eLogFileColor());
    for (QWidget* keep : {static_cast<QWidget*>(m_commands), static_cast<QWidget*>(m_keep),
                          static_cast<QWidget*>(m_duration)})
        paint(keep, m_model.lbKeepColor());
    refreshList(m_extensions, m_model.lbExt, m_model.lbExtIndex);
    refreshList(m_commands, m_model.lbKeep, m_model.lbKeepIndex);
    // A size of 0 or below (a hand-edited file) leaves the size to the platform.
    m_font->setFont(QFont(qtext(m_model.fontName), m_model.fontSize > 0 ? m_model.fontSize : -1));
    m_languages->setEnabled(m_model.cbFLngEnabled());
    m_languageLabel->setEnabled(m_model.cbFLngEnabled());
}

}  // namespace quay
