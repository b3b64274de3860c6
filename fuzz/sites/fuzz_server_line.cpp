// Any list-file line reads as a record without crashing, and a record read from a line is
// written back as a line that reads as the same record (empty texts aside, which are left
// out and so come back as their defaults).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sites/layouts_file.h"
#include "sites/server_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    if (quay::folderLineName(line))
        return 0;
    quay::FtpServerInfo read = quay::lineToServerInfo(line, "a@b");
    quay::FtpServerInfo shown = read;  // as the pane holds it
    shown.Password = quay::cryptPassword(read.Password);
    // Empty texts are not written, so they read back as their defaults.
    quay::FtpServerInfo expected = read;
    const quay::FtpServerInfo defaults = quay::defaultServerInfo("a@b");
    for (auto field :
         {&quay::FtpServerInfo::User, &quay::FtpServerInfo::Port, &quay::FtpServerInfo::EMail,
          &quay::FtpServerInfo::Answer, &quay::FtpServerInfo::AnswerName})
        if ((expected.*field).empty())
            expected.*field = defaults.*field;
    if (quay::lineToServerInfo(quay::serverInfoToLine(shown), "a@b") != expected)
        std::abort();
    quay::layoutColumns(line);
    return 0;
}
