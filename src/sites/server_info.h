#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quay {

// One saved FTP server, copied by value. Texts are bytes; the fields with a limit are cut to
// it wherever they are filled from outside (list file, properties dialog), never refused.
struct FtpServerInfo {
    static constexpr std::size_t NameLimit = 50;
    static constexpr std::size_t DescriptionLimit = 200;
    static constexpr std::size_t LocalDirLimit = 255;
    static constexpr std::size_t InitialDirLimit = 255;
    static constexpr std::size_t ModifiedDateLimit = 80;
    static constexpr std::size_t EMailLimit = 60;
    static constexpr std::size_t AnswerLimit = 7;
    static constexpr std::size_t AnswerNameLimit = 255;

    std::string Name;
    std::string Server;
    std::string Password;  // plain text in memory; scrambled only in the list file
    std::string User;
    std::string Account;
    std::string Description;  // older one-line description, only carried along
    std::string LocalDir;
    std::string InitialDir;
    std::string ModifiedDate;  // only carried along
    std::string EMail;
    bool Anonymous = false;
    bool SavePassword = false;
    std::string Port;
    bool Pasv = false;
    std::string Desc;    // multi-line description, lines joined by '`'
    std::string Answer;  // listing layout code: type digit and six column digits
    std::string AnswerName;
    bool CheckPSW = false;
    bool CheckVHost = false;
    // 0 plain FTP, 1 FTPS if offered, 2 explicit FTPS required, 3 implicit FTPS (the values
    // of FtpSecurity).
    int Security = 0;
    static constexpr int SecurityLimit = 3;

    bool operator==(const FtpServerInfo&) const = default;
};

// The layout code of the built-in default layout.
inline constexpr std::string_view DefaultLayoutCode = "0957681";
inline constexpr std::string_view DefaultLayoutName = "Default";
// Joins the lines of the multi-line description.
inline constexpr char DescLineSeparator = '`';

// Gives a cleared record its defaults. defaultEMail is the options' anonymous address when
// the options ask for it to be used, else empty; it is cut to the EMail limit.
void initServerInfo(FtpServerInfo& info, std::string_view defaultEMail);

// A cleared record with the defaults of initServerInfo.
FtpServerInfo defaultServerInfo(std::string_view defaultEMail);

// Scrambles or unscrambles a password: every byte XOR 0xA7 (the operation is its own inverse).
std::string cryptPassword(std::string_view text);

// True when the scrambled password holds no ';', CR or LF, so that the list file line reads
// it back unchanged.
bool passwordStorable(std::string_view password);

// text cut to at most limit bytes.
std::string cutTo(std::string_view text, std::size_t limit);

}  // namespace quay
