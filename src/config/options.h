#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quay {

// The language choice (section "Language" of the options file), used by the translation of
// windows and the language menu.
struct LanguageSettings {
    bool langOn = false;                // a translation is active
    bool langInit = false;              // write the template before translating a window
    std::string langFile = "language";  // base name of the chosen language file

    bool operator==(const LanguageSettings&) const = default;
};

// The font of one file list. A value the options file does not hold stays empty, and the
// list then keeps its own; before saving, the window fills in the list's current font.
struct PaneFont {
    std::optional<std::string> name;
    std::optional<int> charSet;
    std::optional<int> color;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underLine;
    std::optional<bool> strikeOut;
    // Point size: only the options dialog's font carries one; the lists' sections have none.
    std::optional<int> size;

    bool operator==(const PaneFont&) const = default;
};

// The main window's place and layout (section "Window"), in the screen's logical pixels. A value
// the file lacks stays empty and the window then takes its own: on a first start two thirds of
// the screen, centred, and the lists' columns at their designed widths.
struct WindowState {
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<bool> maximized;
    std::optional<int> treeWidth;  // Splitter2: the local directory tree
    std::optional<int> logHeight;  // Splitter3: the log below the panes
    // Column widths left to right, joined by ",", of lvLoc and of FTPView.
    std::optional<std::string> localColumns;
    std::optional<std::string> remoteColumns;

    bool operator==(const WindowState&) const = default;
};

// Every user setting of the program, kept in "options.ftp" in the data directory. One
// record per process; only the user-interface thread touches it. Paths that stand for a
// directory end in "/".
struct Options {
    std::uint8_t connectionType = 0;  // 0 direct, 1 FTP proxy, 2 SOCKS 4, 3 SOCKS 4A, 4 SOCKS 5
    int transferMode = 0;             // 0 automatic, 1 ASCII, 2 binary
    std::string pxHost;
    std::string pxPort;
    std::string pxPsw;
    bool pxPswMask = false;
    std::string skHost;
    std::string skPort;
    std::string skPsw;
    std::string skUC;
    bool skPswMask = false;
    bool passiveTransfer = false;
    bool sync = false;
    bool log = false;
    std::string logFile;  // data directory + "quayside.log" unless set
    int timeOut = 15;     // seconds
    int retry = 0;
    std::string ext;  // text-file extensions, comma text
    bool keep = false;
    int startKeep = 100;    // timer ticks
    int durationKeep = 20;  // minutes; reading gives 10 when the file has no value
    std::string cmdKeep;    // keep-alive commands, comma text
    bool mailAno = false;
    std::string anonymous;
    std::string fwHost;
    std::string fwPort = "21";
    std::string fwID;
    std::string fwPsw;
    std::string fwSimbol = "@";
    int fwType = 0;
    bool fwEnable = false;
    std::string dirListFile;  // never stored: data directory + "FTPDIR<process id>.TXT"
    std::string iniPath;      // local start directory; empty: the user's home directory
    std::string fontName = "MS Sans Serif";
    int fontSize = 8;
    int fontColor = 0;
    bool promptDownLoad = true;
    bool promptUpLoad = true;
    int defPrompt = 0;  // 0 skip, 1 overwrite, 2 resume
    int dateType = 0;   // 0 European, 1 USA
    // Delete on the server asks first (section "Confirm", key "RemoteDelete"; absent: ask).
    bool askRemoteDelete = true;
    // Connections that carry a transfer batch (section "Transfers", key "Connections"; absent:
    // 1, the batch runs on the session itself). More than 1 opens that many extra connections.
    int connections = 1;

    LanguageSettings language;
    PaneFont fontLeft;   // local list lvLoc, section "Font Left"
    PaneFont fontRight;  // remote list FTPView, section "Font Right"
    WindowState window;  // section "Window"

    bool operator==(const Options&) const = default;
};

// The name of the options file in the data directory.
inline constexpr const char* kOptionsFileName = "options.ftp";

// The start values: the defaults above, with the paths that depend on the data directory
// (log file, start directory, listing file) filled in.
Options defaultOptions(const std::filesystem::path& dataDir);

// The defaults, then every value "options.ftp" holds. A missing, unreadable or garbled file,
// or a value that is not a number where one is expected, gives the default; nothing is
// reported. An empty "LogFile" keeps the default log file.
Options loadOptions(const std::filesystem::path& dataDir);

// Writes every value but dirListFile into "options.ftp" (mode 0600: it holds passwords),
// keeping the file's other sections and keys. The file is replaced atomically, so a crash
// never leaves half of it. A file that exists but cannot be read is left alone rather than
// replaced. False when nothing was written; callers need not report that.
bool saveOptions(const Options& options, const std::filesystem::path& dataDir);

}  // namespace quay
