#include "sites/server_info.h"

namespace quay {

namespace {
constexpr unsigned char PasswordKey = 0xA7;
}

void initServerInfo(FtpServerInfo& info, std::string_view defaultEMail) {
    info.User = "anonymous";
    info.EMail = cutTo(defaultEMail, FtpServerInfo::EMailLimit);
    info.SavePassword = true;
    info.Port = "21";
    info.Answer = DefaultLayoutCode;
    info.AnswerName = DefaultLayoutName;
    info.CheckPSW = true;
}

FtpServerInfo defaultServerInfo(std::string_view defaultEMail) {
    FtpServerInfo info;
    initServerInfo(info, defaultEMail);
    return info;
}

std::string cryptPassword(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ PasswordKey);
    return result;
}

bool passwordStorable(std::string_view password) {
    return cryptPassword(password).find_first_of(";\r\n") == std::string::npos;
}

std::string cutTo(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, limit));
}

}  // namespace quay
