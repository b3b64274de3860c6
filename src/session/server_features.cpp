#include "session/server_features.h"

#include <algorithm>
#include <string_view>

#include "config/ascii.h"

namespace quay {

namespace {

std::string_view firstWord(std::string_view line) {
    return line.substr(0, line.find(' '));
}

}  // namespace

ServerFeatures parseFeatures(const std::vector<std::string>& replyLines) {
    ServerFeatures features;
    if (replyLines.size() < 3)
        return features;
    for (std::size_t i = 1; i + 1 < replyLines.size(); ++i) {
        std::string_view line = replyLines[i];
        while (line.starts_with(' '))
            line.remove_prefix(1);
        if (line.empty())
            continue;
        const std::string name = asciiLower(firstWord(line));
        features.mlst = features.mlst || name == "mlst";
        features.utf8 = features.utf8 || name == "utf8";
        features.lines.emplace_back(line);
    }
    return features;
}

std::string featuresLogLine(const ServerFeatures& features) {
    if (features.lines.empty())
        return "Features: none";
    std::string text = "Features: ";
    const std::size_t named = std::min(features.lines.size(), kLoggedFeatures);
    for (std::size_t i = 0; i < named; ++i)
        text += (i == 0 ? "" : ", ") + features.lines[i];
    if (features.lines.size() > named)
        text += " and " + std::to_string(features.lines.size() - named) + " more";
    return text;
}

}  // namespace quay
