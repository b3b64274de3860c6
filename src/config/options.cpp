#include "config/options.h"

#include <unistd.h>

#include "config/profile_file.h"

namespace quay {
namespace {

// Files in the data directory hold passwords (proxy, SOCKS, firewall).
constexpr mode_t kOptionsFileMode = 0600;

std::string directoryText(const std::filesystem::path& dir) {
    std::string text = dir.string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

// Every stored value of the record, in the order the file lists them. Both reading and
// writing walk this one list, so the two cannot drift apart.
template <typename Record, typename Visit>
void visitRecord(Record& o, Visit&& visit) {
    visit("Common", "ConnectionType", o.connectionType);
    visit("Common", "TransferMode", o.transferMode);
    visit("Proxy", "Server", o.pxHost);
    visit("Proxy", "Port", o.pxPort);
    visit("Proxy", "Psw", o.pxPsw);
    visit("Proxy", "PswMask", o.pxPswMask);
    visit("Socks", "Server", o.skHost);
    visit("Socks", "Port", o.skPort);
    visit("Socks", "Psw", o.skPsw);
    visit("Socks", "UC", o.skUC);
    visit("Socks", "PswMask", o.skPswMask);
    visit("Common", "PassiveTransfer", o.passiveTransfer);
    visit("Common", "Sync", o.sync);
    visit("Common", "Log", o.log);
    visit("Common", "LogFile", o.logFile);
    visit("Common", "TimeOut", o.timeOut);
    visit("Common", "retry", o.retry);
    visit("Common", "Ext", o.ext);
    visit("Common", "Keep", o.keep);
    visit("Common", "StartKeep", o.startKeep);
    visit("Common", "DurationKeep", o.durationKeep);
    visit("Common", "CmdKeep", o.cmdKeep);
    visit("Common", "MailAno", o.mailAno);
    visit("Common", "Anonymous", o.anonymous);
    visit("Common", "fwHost", o.fwHost);
    visit("Common", "fwPort", o.fwPort);
    visit("Common", "fwID", o.fwID);
    visit("Common", "fwPsw", o.fwPsw);
    visit("Common", "fwSimbol", o.fwSimbol);
    visit("Common", "fwType", o.fwType);
    visit("Common", "fwEnable", o.fwEnable);
    visit("Common", "IniPath", o.iniPath);
    visit("Common", "FontName", o.fontName);
    visit("Common", "FontSize", o.fontSize);
    visit("Common", "FontColor", o.fontColor);
    visit("Common", "PromptDownLoad", o.promptDownLoad);
    visit("Common", "PromptUpLoad", o.promptUpLoad);
    visit("Common", "DefPrompt", o.defPrompt);
    visit("Common", "DateType", o.dateType);
    visit("Confirm", "RemoteDelete", o.askRemoteDelete);
    visit("Transfers", "Connections", o.connections);
}

template <typename Language, typename Visit>
void visitLanguage(Language& language, Visit&& visit) {
    visit("Language", "LangOn", language.langOn);
    visit("Language", "LangInit", language.langInit);
    visit("Language", "LangFile", language.langFile);
}

template <typename State, typename Visit>
void visitWindow(State& window, Visit&& visit) {
    visit("Window", "Left", window.left);
    visit("Window", "Top", window.top);
    visit("Window", "Width", window.width);
    visit("Window", "Height", window.height);
    visit("Window", "Maximized", window.maximized);
    visit("Window", "TreeWidth", window.treeWidth);
    visit("Window", "LogHeight", window.logHeight);
    visit("Window", "LocalColumns", window.localColumns);
    visit("Window", "RemoteColumns", window.remoteColumns);
}

template <typename Font, typename Visit>
void visitFont(const char* section, Font& font, Visit&& visit) {
    visit(section, "Name", font.name);
    visit(section, "CharSet", font.charSet);
    visit(section, "Color", font.color);
    visit(section, "Style_Bold", font.bold);
    visit(section, "Style_Italic", font.italic);
    visit(section, "Style_UnderLine", font.underLine);
    visit(section, "Style_StrikeOut", font.strikeOut);
}

// Reads each value with the current one as the absent value.
struct Reader {
    const ProfileFile& file;

    void operator()(const char* section, const char* key, std::string& value) const {
        value = file.readString(section, key, value);
    }
    void operator()(const char* section, const char* key, int& value) const {
        value = file.readInteger(section, key, value);
    }
    void operator()(const char* section, const char* key, bool& value) const {
        value = file.readBool(section, key, value);
    }
    // The connection type is one byte; a number that does not fit is no valid value, and
    // taking it modulo 256 would pick an arbitrary connection type.
    void operator()(const char* section, const char* key, std::uint8_t& value) const {
        const std::optional<int> number = file.integerValue(section, key);
        if (number && *number >= 0 && *number <= 255) {
            value = static_cast<std::uint8_t>(*number);
        }
    }
    // A font value the file does not hold (or holds garbled) stays unknown: the list keeps
    // its own.
    void operator()(const char* section, const char* key, std::optional<std::string>& value) const {
        if (std::optional<std::string> text = file.value(section, key)) {
            value = std::move(*text);
        }
    }
    void operator()(const char* section, const char* key, std::optional<int>& value) const {
        if (const std::optional<int> number = file.integerValue(section, key)) {
            value = *number;
        }
    }
    void operator()(const char* section, const char* key, std::optional<bool>& value) const {
        if (const std::optional<int> number = file.integerValue(section, key)) {
            value = *number != 0;
        }
    }
};

struct Writer {
    ProfileFile& file;

    void operator()(const char* section, const char* key, const std::string& value) const {
        file.writeString(section, key, value);
    }
    void operator()(const char* section, const char* key, int value) const {
        file.writeInteger(section, key, value);
    }
    void operator()(const char* section, const char* key, bool value) const {
        file.writeBool(section, key, value);
    }
    void operator()(const char* section, const char* key, std::uint8_t value) const {
        file.writeInteger(section, key, value);
    }
    template <typename T>
    void operator()(const char* section, const char* key, const std::optional<T>& value) const {
        if (value) {
            (*this)(section, key, *value);
        }
    }
};

}  // namespace

Options defaultOptions(const std::filesystem::path& dataDir) {
    Options options;
    const std::string dir = directoryText(dataDir);
    options.logFile = dir + "quayside.log";
    options.dirListFile = dir + "FTPDIR" + std::to_string(::getpid()) + ".TXT";
    return options;
}

Options loadOptions(const std::filesystem::path& dataDir) {
    Options options = defaultOptions(dataDir);
    const ProfileFile file = ProfileFile::load(dataDir / kOptionsFileName);
    const std::string defaultLogFile = options.logFile;
    options.durationKeep = 10;
    const Reader reader{file};
    visitRecord(options, reader);
    if (options.logFile.empty()) {
        options.logFile = defaultLogFile;
    }
    visitLanguage(options.language, reader);
    visitFont("Font Left", options.fontLeft, reader);
    visitFont("Font Right", options.fontRight, reader);
    visitWindow(options.window, reader);
    return options;
}

bool saveOptions(const Options& options, const std::filesystem::path& dataDir) {
    const std::filesystem::path path = dataDir / kOptionsFileName;
    // Read again now: another instance may have added keys since start-up, and those stay.
    std::optional<ProfileFile> file = ProfileFile::loadForUpdate(path);
    if (!file) {
        return false;
    }
    const Writer writer{*file};
    visitRecord(options, writer);
    visitLanguage(options.language, writer);
    visitFont("Font Right", options.fontRight, writer);
    visitFont("Font Left", options.fontLeft, writer);
    visitWindow(options.window, writer);
    return file->save(path, kOptionsFileMode);
}

}  // namespace quay
