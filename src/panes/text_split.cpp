#include "panes/text_split.h"

namespace quay {

std::string_view trimmed(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && isBlankOrControl(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && isBlankOrControl(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string_view takePart(char delimiter, std::string_view& text) {
    std::size_t cut = text.find(delimiter);
    std::string_view part = trimmed(text.substr(0, cut));
    text = cut == std::string_view::npos ? std::string_view{} : trimmed(text.substr(cut + 1));
    return part;
}

std::vector<std::string> splitString(char delimiter, std::string_view text) {
    std::vector<std::string> parts;
    while (!text.empty())
        parts.emplace_back(takePart(delimiter, text));
    return parts;
}

}  // namespace quay
