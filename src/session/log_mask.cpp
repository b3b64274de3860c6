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

std::string maskPassword(std::string_view line, std::string_view password) {
    if (password.empty())
        return std::string(line);
    std::string masked;
    masked.reserve(line.size());
    for (std::size_t at = line.find(password); at != std::string_view::npos;
         at = line.find(password)) {
        masked.append(line.substr(0, at));
        masked.append(kPasswordMask);
        line.remove_prefix(at + password.size());
    }
    masked.append(line);
    return masked;
}

}  // namespace quay
