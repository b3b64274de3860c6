#include "sites/server_line.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <limits>

#include "config/ascii.h"

namespace quay {

namespace {

// One pair of the line: its key with '=', and a text, a flag or a small number field. A number
// is written only when it is not 0, and read as 0 unless it lies within 1..limit.
struct LineKey {
    std::string_view key;
    std::string FtpServerInfo::*text = nullptr;
    bool FtpServerInfo::*flag = nullptr;
    std::size_t limit = std::numeric_limits<std::size_t>::max();
    int FtpServerInfo::*number = nullptr;
};

using Info = FtpServerInfo;

// The key order of the written line; reading looks the keys up in the same order.
const std::array<LineKey, 20> Keys{{
    {"Name=", &Info::Name, nullptr, Info::NameLimit},
    {"Server=", &Info::Server},
    {"Port=", &Info::Port},
    {"Password=", &Info::Password},
    {"User=", &Info::User},
    {"Account=", &Info::Account},
    {"Description=", &Info::Description, nullptr, Info::DescriptionLimit},
    {"InitialDir=", &Info::InitialDir, nullptr, Info::InitialDirLimit},
    {"Anonymous=", nullptr, &Info::Anonymous},
    {"SavePassword=", nullptr, &Info::SavePassword},
    {"ModifiedDate=", &Info::ModifiedDate, nullptr, Info::ModifiedDateLimit},
    {"EMail=", &Info::EMail, nullptr, Info::EMailLimit},
    {"LocalDir=", &Info::LocalDir, nullptr, Info::LocalDirLimit},
    {"Pasv=", nullptr, &Info::Pasv},
    {"Desc=", &Info::Desc},
    {"Answer=", &Info::Answer, nullptr, Info::AnswerLimit},
    {"AnswerName=", &Info::AnswerName, nullptr, Info::AnswerNameLimit},
    {"CheckPSW=", nullptr, &Info::CheckPSW},
    {"CheckVHost=", nullptr, &Info::CheckVHost},
    // Added after all others and left out for plain FTP, so older lists stay as they were.
    {"Security=", nullptr, nullptr, Info::SecurityLimit, &Info::Security},
}};

constexpr std::string_view FolderPrefix = "DIR=";

// The value of key: from the first place where the key starts the line or follows a ';',
// up to the next ';' or the end of the line.
std::optional<std::string_view> valueOf(std::string_view line, std::string_view key) {
    for (std::size_t pos = line.find(key); pos != std::string_view::npos;
         pos = line.find(key, pos + 1)) {
        if (pos != 0 && line[pos - 1] != ';')
            continue;
        std::string_view rest = line.substr(pos + key.size());
        return rest.substr(0, rest.find(';'));
    }
    return std::nullopt;
}

// A decimal number (optional sign, digits only, within 32 bits) that is not zero.
bool flagValue(std::string_view value) {
    if (!value.empty() && value.front() == '+')
        value.remove_prefix(1);
    std::int32_t number = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    return error == std::errc() && end == value.data() + value.size() && number != 0;
}

int numberValue(std::string_view value, std::size_t limit) {
    int number = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    const bool valid = error == std::errc() && end == value.data() + value.size() && number > 0 &&
                       static_cast<std::size_t>(number) <= limit;
    return valid ? number : 0;
}

}  // namespace

std::optional<std::string> folderLineName(std::string_view line) {
    if (!equalsIgnoringCase(line.substr(0, FolderPrefix.size()), FolderPrefix))
        return std::nullopt;
    return std::string(line.substr(FolderPrefix.size()));
}

std::string folderLine(std::string_view folderName) {
    return std::string(FolderPrefix) + std::string(folderName);
}

std::string serverInfoToLine(const FtpServerInfo& info) {
    std::string password = cryptPassword(info.Password);
    std::string line;
    line.reserve(256);
    for (const LineKey& key : Keys) {
        const std::string number =
            key.number && info.*key.number != 0 ? std::to_string(info.*key.number) : "";
        std::string_view value = key.number                    ? std::string_view(number)
                                 : key.flag                    ? (info.*key.flag ? "1" : "0")
                                 : key.text == &Info::Password ? std::string_view(password)
                                                               : std::string_view(info.*key.text);
        if (value.empty())
            continue;
        line.append(key.key).append(value).push_back(';');
    }
    return line;
}

FtpServerInfo lineToServerInfo(std::string_view line, std::string_view defaultEMail) {
    FtpServerInfo info = defaultServerInfo(defaultEMail);
    for (const LineKey& key : Keys) {
        std::optional<std::string_view> value = valueOf(line, key.key);
        if (!value)
            continue;
        if (key.number)
            info.*key.number = numberValue(*value, key.limit);
        else if (key.flag)
            info.*key.flag = flagValue(*value);
        else
            info.*key.text = cutTo(*value, key.limit);
    }
    return info;
}

}  // namespace quay
