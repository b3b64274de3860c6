#include "session/options_dialog.h"

#include "config/comma_text.h"
#include "config/language_files.h"
#include "session/dialogs.h"

namespace quay {

namespace {

constexpr std::size_t InputLimit = 255;

// A group's tag that no radio button carries becomes 0, the first button.
int knownTag(int tag, std::size_t buttons) {
    return tag >= 0 && static_cast<std::size_t>(tag) < buttons ? tag : 0;
}

template <typename T>
void eraseAt(std::vector<T>& items, int& index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return;
    items.erase(items.begin() + index);
    index = -1;
}

}  // namespace

OptionsDialogModel::OptionsDialogModel(Options& record, std::filesystem::path dataDir,
                                       Dialogs& dialogs)
    : m_record(record), m_dataDir(std::move(dataDir)), m_dialogs(dialogs) {
    rgType = record.connectionType;
    if (record.transferMode < 0 || record.transferMode > 2)
        record.transferMode = 0;
    rgMode = record.transferMode;
    eProxy = record.pxHost;
    eProxyPort = record.pxPort;
    eProxyPsw = record.pxPsw;
    cbProxyPswMask = record.pxPswMask;
    eSocks = record.skHost;
    eSocksPort = record.skPort;
    eSocksPsw = record.skPsw;
    eSocksUC = record.skUC;
    cbSocksPswMask = record.skPswMask;
    cbPassiveTransfer = record.passiveTransfer;
    cbSync = record.sync;
    cbLog = record.log;
    eLogFile = record.logFile;
    udTimeOut = record.timeOut;
    udRetry = record.retry;
    udConnections = record.connections;
    udKeep = record.startKeep;
    udDuration = record.durationKeep;
    cbKeep = record.keep;
    lbKeep = splitCommaText(record.cmdKeep);
    cbAno = record.mailAno;
    eAno = record.anonymous;
    lbExt = splitCommaText(record.ext);
    gbFWTag = knownTag(record.fwType, FirewallTypes.size());
    eFWSimbol = record.fwSimbol;
    ePath = record.iniPath;
    fontName = record.fontName;
    fontSize = record.fontSize;
    fontColor = record.fontColor;
    cbDownLoad = record.promptDownLoad;
    cbUpload = record.promptUpLoad;
    cbAskDelete = record.askRemoteDelete;
    gbPromptTag = knownTag(record.defPrompt, DefaultActions.size());
    gbDateTag = knownTag(record.dateType, DateFormats.size());
    cbLngInit = record.language.langInit;
    fillLanguages();
}

void OptionsDialogModel::fillLanguages() {
    m_languages = listLanguageFiles(m_dataDir);
    LanguageSettings& language = m_record.language;
    if (m_languages.empty())
        language.langOn = false;
    cbLng = language.langOn;
    if (!cbLng)
        return;
    const std::string chosen = language.langFile.substr(0, language.langFile.find('.'));
    for (std::size_t i = 0; i < m_languages.size(); ++i)
        if (m_languages[i] == chosen)
            cbFLngIndex = static_cast<int>(i);
}

void OptionsDialogModel::TreeView1Change(int position) {
    if (position >= 0 && static_cast<std::size_t>(position) < Pages.size())
        page = position;
}

void OptionsDialogModel::cbFLngChange(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_languages.size())
        return;
    cbFLngIndex = index;
    if (!cbLng || form == nullptr || !m_dialogs.translateWindow)
        return;
    // The preview writes no template: the dialog may already show another language.
    const LanguageSettings kept = m_record.language;
    m_record.language = {true, false, m_languages[static_cast<std::size_t>(index)]};
    m_dialogs.translateWindow(*form);
    m_record.language = kept;
}

bool OptionsDialogModel::ask(const std::string& caption, const std::string& prompt,
                             std::string& value) {
    return m_dialogs.showInputForm(caption, prompt, value, false, InputLimit);
}

void OptionsDialogModel::SpeedButton6Click(int tag) {
    const bool modify =
        tag == 1 && lbExtIndex >= 0 && static_cast<std::size_t>(lbExtIndex) < lbExt.size();
    std::string value = modify ? lbExt[static_cast<std::size_t>(lbExtIndex)] : std::string();
    if (!ask(m_dialogs.text(modify ? Message::EditExtensionTitle : Message::AddExtensionTitle),
             m_dialogs.text(Message::EnterPrompt), value))
        return;
    if (modify)
        lbExt[static_cast<std::size_t>(lbExtIndex)] = value;
    else
        lbExt.push_back(value);
}

void OptionsDialogModel::SpeedButton7Click() {
    eraseAt(lbExt, lbExtIndex);
}

void OptionsDialogModel::SpeedButton4Click() {
    std::string value;
    if (ask(m_dialogs.text(Message::AddKeepCommandTitle),
            m_dialogs.text(Message::AddKeepCommandPrompt), value))
        lbKeep.push_back(value);
}

void OptionsDialogModel::SpeedButton5Click() {
    eraseAt(lbKeep, lbKeepIndex);
}

void OptionsDialogModel::SpeedButton1Click() {
    std::string file = eLogFile;
    if (m_dialogs.chooseFile(m_dialogs.text(Message::LogFileTitle),
                             m_dialogs.text(Message::LogFileFilter), file))
        eLogFile = file;
}

void OptionsDialogModel::SpeedButton10Click() {
    std::string directory = ePath;
    if (m_dialogs.chooseDirectory(m_dialogs.text(Message::ChooseDirectoryTitle), directory))
        ePath = directory;
}

void OptionsDialogModel::sbFontClick() {
    PaneFont font;
    font.name = fontName;
    font.size = fontSize;
    font.color = fontColor;
    if (!m_dialogs.chooseFont(font))
        return;
    fontName = font.name.value_or(fontName);
    fontSize = font.size.value_or(fontSize);
    fontColor = font.color.value_or(fontColor);
}

std::string OptionsDialogModel::passwordShown(const std::string& password, bool masked) {
    return masked ? std::string(password.size(), '*') : password;
}

void OptionsDialogModel::SpeedButton2Click() {
    Options& r = m_record;
    r.connectionType = static_cast<std::uint8_t>(rgType);
    r.transferMode = rgMode;
    r.pxHost = eProxy;
    r.pxPort = eProxyPort;
    r.pxPsw = eProxyPsw;
    r.pxPswMask = cbProxyPswMask;
    r.skHost = eSocks;
    r.skPort = eSocksPort;
    r.skPsw = eSocksPsw;
    r.skUC = eSocksUC;
    r.skPswMask = cbSocksPswMask;
    r.passiveTransfer = cbPassiveTransfer;
    r.sync = cbSync;
    r.log = cbLog;
    r.logFile = eLogFile;
    r.timeOut = udTimeOut;
    r.retry = udRetry;
    r.connections = udConnections;
    r.startKeep = udKeep;
    r.durationKeep = udDuration;
    r.mailAno = cbAno;
    r.anonymous = eAno;
    r.cmdKeep = joinCommaText(lbKeep);
    r.keep = cbKeep && !lbKeep.empty();
    r.ext = joinCommaText(lbExt);
    r.fwEnable = cbFW;
    r.fwType = gbFWTag;
    r.defPrompt = gbPromptTag;
    r.dateType = gbDateTag;
    r.fwSimbol = eFWSimbol;
    r.iniPath = ePath;
    r.fontName = fontName;
    r.fontSize = fontSize;
    r.fontColor = fontColor;
    r.promptDownLoad = cbDownLoad;
    r.promptUpLoad = cbUpload;
    r.askRemoteDelete = cbAskDelete;
    r.language.langOn = cbLng;
    r.language.langInit = cbLngInit;
    // With no entry chosen the list names no file; the chosen language stays.
    if (cbFLngIndex >= 0 && static_cast<std::size_t>(cbFLngIndex) < m_languages.size())
        r.language.langFile = m_languages[static_cast<std::size_t>(cbFLngIndex)];
}

}  // namespace quay
