#include "session/log_mask.h"

#include "config/ascii.h"

namespace quay {

bool isPassCommandLine(std::string_view line) {
    if (!line.starts_with("> "))
        return false;
    std::string_view command = line.substr(2);
    command.remove_prefix(std::min(command.find_first_not_of(" \t"), command.size()));
    if (command.size() < 4 || !equalsIgnoringCase(command.substr(0, 4), "PASS"))
        return false;
    return command.size() == 4 || command[4] == ' ' || command[4] == '\t';
}

namespace {

// Letters, digits, "_" and the bytes of multi-byte characters join a password to its
// neighbours: inside such a run it is part of another word, not an echo of itself.
bool isWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z');
}

bool standsAlone(std::string_view line, std::size_t at, std::size_t length) {
    const bool freeBefore = at == 0 || !isWordByte(line[at - 1]);
    const bool freeAfter = at + length == line.size() || !isWordByte(line[at + length]);
    return freeBefore && freeAfter;
}

}  // namespace

std::string maskPassword(std::string_view line, std::string_view password) {
    if (password.empty())
        return std::string(line);
    std::string masked;
    masked.reserve(line.size());
    std::size_t copied = 0;
    for (std::size_t at = line.find(password); at != std::string_view::npos;
         at = line.find(password, at + 1)) {
        if (at < copied || !standsAlone(line, at, password.size()))
            continue;
        masked.append(line.substr(copied, at - copied));
        masked.append(kPasswordMask);
        copied = at + password.size();
    }
    masked.append(line.substr(copied));
    return masked;
}

}  // namespace quay
