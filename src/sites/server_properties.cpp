#include "sites/server_properties.h"

#include <system_error>
#include <utility>

#include "config/ascii.h"
#include "panes/text_split.h"

namespace quay {

namespace {

std::string trimmedText(std::string_view text) {
    return std::string(trimmed(text));
}

// The lines of a description joined by '`'; the text cut at each '`' back into lines.
std::vector<std::string> descLines(std::string_view desc) {
    std::vector<std::string> lines;
    if (desc.empty())
        return lines;
    std::size_t start = 0;
    for (std::size_t end; (end = desc.find(DescLineSeparator, start)) != std::string_view::npos;
         start = end + 1)
        lines.emplace_back(desc.substr(start, end - start));
    lines.emplace_back(desc.substr(start));
    return lines;
}

std::string joinDesc(const std::vector<std::string>& lines) {
    std::string desc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            desc.push_back(DescLineSeparator);
        desc.append(lines[i]);
    }
    return desc;
}

bool startsWithSlash(std::string_view text) {
    return !text.empty() && text.front() == '/';
}

}  // namespace

ServerPropertiesModel::ServerPropertiesModel(const FtpServerInfo& info,
                                             std::filesystem::path dataDir)
    : m_info(info), m_dataDir(std::move(dataDir)) {
    NameEdt = info.Name;
    ServerEdt = info.Server;
    PortEdt = info.Port;
    UserEdt = info.User;
    PasswordEdt = info.Password;
    AccountEdt = info.Account;
    EMailEdt = info.EMail;
    RemoteDirEdt = info.InitialDir;
    LocalDir = info.LocalDir;
    m_cbPv = info.Pasv;
    m_cbVH = info.CheckVHost;
    m_security = info.Security;
    m_cbMPsw = info.CheckPSW;
    m_anonymous = info.Anonymous;
    m_savePassword = info.SavePassword;
    m_cbPD = startsWithSlash(info.InitialDir);
    loadLayouts();
    loadType();
    fillColumns(m_info.Answer);
    mDesc = descLines(info.Desc);
}

void ServerPropertiesModel::loadLayouts() {
    m_layouts = readLayouts(m_dataDir);
}

void ServerPropertiesModel::loadType() {
    const std::string& answer = m_info.Answer;
    // A code that does not start with a digit (only a hand-edited file has one) counts as
    // the default type.
    int type = !answer.empty() && answer[0] >= '0' && answer[0] <= '9' ? answer[0] - '0' : 0;
    if (answer.size() != FtpServerInfo::AnswerLimit || type == 0) {
        m_info.Answer = DefaultLayoutCode;
        m_info.AnswerName = DefaultLayoutName;
    }
    m_typeIndex = type < static_cast<int>(ServerTypes.size()) ? type : 0;
    m_layoutIndex = 0;
    if (!pnlCustomVisible())
        return;
    for (std::size_t i = 0; i < m_layouts.names.size(); ++i)
        if (equalsIgnoringCase(m_layouts.names[i], m_info.AnswerName)) {
            m_layoutIndex = static_cast<int>(i);
            break;
        }
    m_info.Answer = m_layouts.codes[static_cast<std::size_t>(m_layoutIndex)];
}

void ServerPropertiesModel::fillColumns(std::string_view code) {
    std::array<int, 6> numbers = layoutColumns(code);
    for (std::size_t i = 0; i < columns.size(); ++i)
        columns[i] = std::to_string(numbers[i]);
}

void ServerPropertiesModel::setCbPD(bool checked) {
    m_cbPD = checked;
    std::string text = trimmedText(RemoteDirEdt);
    if (checked && !startsWithSlash(text))
        text.insert(text.begin(), '/');
    else if (!checked && startsWithSlash(text))
        text.erase(0, 1);
    RemoteDirEdt = text;
}

std::string ServerPropertiesModel::passwordShown() const {
    return m_cbMPsw ? std::string(PasswordEdt.size(), '*') : PasswordEdt;
}

void ServerPropertiesModel::cbTypeChange(int index) {
    if (index >= 0 && index < static_cast<int>(ServerTypes.size()))
        m_typeIndex = index;
}

void ServerPropertiesModel::storeColumnsInSelected() {
    // The first layout is the built-in default; its code never changes.
    if (m_layoutIndex > 0 && m_layoutIndex < static_cast<int>(m_layouts.codes.size()))
        m_layouts.codes[static_cast<std::size_t>(m_layoutIndex)] =
            buildLayoutCode(m_typeIndex, columns);
}

void ServerPropertiesModel::selectLayout(int index) {
    m_layoutIndex = index;
    fillColumns(m_layouts.codes[static_cast<std::size_t>(index)]);
}

void ServerPropertiesModel::cbNameChange(int index) {
    if (index < 0 || index >= static_cast<int>(m_layouts.names.size()) || index == m_layoutIndex)
        return;
    storeColumnsInSelected();
    selectLayout(index);
}

bool ServerPropertiesModel::askStorableLayoutName(const std::string& caption,
                                                  std::string& name) const {
    if (!askLayoutName || !askLayoutName(caption, name))
        return false;
    // The chosen layout's name is stored with the server like the other values: ';' would
    // end it early and let the rest pass for other keys, a line break would split the line.
    if (name.find_first_of(";\r\n") == std::string::npos)
        return true;
    error(text(Message::LayoutNameUnstorable, {caption}));
    return false;
}

void ServerPropertiesModel::SpeedButton3Click() {
    storeColumnsInSelected();
    std::string name;
    if (!askStorableLayoutName(text(Message::NewLayoutTitle), name))
        return;
    m_layouts.names.push_back(name);
    m_layouts.codes.emplace_back(DefaultLayoutCode);
    m_info.Answer = DefaultLayoutCode;
    selectLayout(static_cast<int>(m_layouts.names.size()) - 1);
}

void ServerPropertiesModel::SpeedButton5Click() {
    if (m_layoutIndex <= 0) {
        SpeedButton3Click();
        return;
    }
    std::string& current = m_layouts.names[static_cast<std::size_t>(m_layoutIndex)];
    std::string name = current;
    if (askStorableLayoutName(text(Message::EditLayoutTitle), name))
        current = name;
}

void ServerPropertiesModel::SpeedButton4Click() {
    if (m_layoutIndex <= 0)
        return;
    auto index = static_cast<std::ptrdiff_t>(m_layoutIndex);
    m_layouts.names.erase(m_layouts.names.begin() + index);
    m_layouts.codes.erase(m_layouts.codes.begin() + index);
    m_layoutIndex = -1;
}

void ServerPropertiesModel::typeColumnKey(std::string& text, std::size_t& cursor, char key) {
    cursor = std::min(cursor, text.size());
    if (key >= '0' && key <= '9') {
        text.insert(cursor++, 1, key);
    } else if (cursor > 0) {
        text.erase(--cursor, 1);
    }
}

std::filesystem::path ServerPropertiesModel::browseStart() const {
    std::error_code error;
    if (!m_info.LocalDir.empty() && std::filesystem::is_directory(m_info.LocalDir, error))
        return m_info.LocalDir;
    return m_dataDir;
}

void ServerPropertiesModel::folderChosen(const std::string& folder) {
    m_info.LocalDir = cutTo(folder, FtpServerInfo::LocalDirLimit);
    LocalDir = m_info.LocalDir;
}

void ServerPropertiesModel::error(const std::string& text) const {
    if (showError)
        showError(this->text(Message::PropertiesErrorTitle), text);
}

bool ServerPropertiesModel::SpeedButton2Click() {
    if (trimmed(NameEdt).empty() || trimmed(ServerEdt).empty()) {
        error(text(Message::ServerNameRequired));
        return false;
    }
    // The list file stores the password scrambled and unquoted: a character that scrambles
    // to ';' or a line break would come back as a different password.
    if (!passwordStorable(trimmed(PasswordEdt))) {
        error(text(Message::PasswordUnstorable));
        return false;
    }
    // The other values are stored as they are: ';' would end them early, and a line break
    // would split the server into two lines.
    if (std::optional<Message> label = unstorableField()) {
        error(text(Message::FieldUnstorable, {text(*label)}));
        return false;
    }
    return true;
}

std::optional<Message> ServerPropertiesModel::unstorableField() const {
    const std::pair<Message, const std::string*> fields[] = {
        {Message::FieldName, &NameEdt},
        {Message::FieldServer, &ServerEdt},
        {Message::FieldPort, &PortEdt},
        {Message::FieldUser, &UserEdt},
        {Message::FieldAccount, &AccountEdt},
        {Message::FieldEMail, &EMailEdt},
        {Message::FieldRemoteDirectory, &RemoteDirEdt},
        {Message::FieldLocalDirectory, &LocalDir}};
    for (const auto& [label, value] : fields)
        if (trimmed(*value).find_first_of(";\r\n") != std::string_view::npos)
            return label;
    for (const std::string& line : mDesc)
        if (line.find_first_of(";\r\n") != std::string::npos)
            return Message::FieldDescription;
    return std::nullopt;
}

void ServerPropertiesModel::applyEdits() {
    m_info.Name = cutTo(trimmed(NameEdt), FtpServerInfo::NameLimit);
    m_info.Server = trimmedText(ServerEdt);
    m_info.Port = trimmedText(PortEdt);
    m_info.User = trimmedText(UserEdt);
    m_info.Password = trimmedText(PasswordEdt);
    m_info.Account = trimmedText(AccountEdt);
    m_info.InitialDir = cutTo(trimmed(RemoteDirEdt), FtpServerInfo::InitialDirLimit);
    m_info.LocalDir = cutTo(trimmed(LocalDir), FtpServerInfo::LocalDirLimit);
    m_info.EMail = cutTo(trimmed(EMailEdt), FtpServerInfo::EMailLimit);
    m_info.Anonymous = m_anonymous;
    m_info.SavePassword = m_savePassword;
    m_info.Pasv = m_cbPv;
    m_info.CheckPSW = m_cbMPsw;
    m_info.CheckVHost = m_cbVH;
    m_info.Security = m_security;
    m_info.Answer = buildLayoutCode(m_typeIndex, columns);
    bool selected = m_layoutIndex >= 0 && m_layoutIndex < static_cast<int>(layoutNames().size());
    if (m_layoutIndex > 0 && selected)
        m_layouts.codes[static_cast<std::size_t>(m_layoutIndex)] = m_info.Answer;
    m_info.AnswerName = selected ? layoutNames()[static_cast<std::size_t>(m_layoutIndex)] : "";
    m_info.AnswerName = cutTo(m_info.AnswerName, FtpServerInfo::AnswerNameLimit);
    m_info.Desc = joinDesc(mDesc);
}

bool ServerPropertiesModel::finish(bool ok) {
    if (ok)
        applyEdits();
    return writeLayouts(m_dataDir, m_layouts);
}

}  // namespace quay
