#include "config/comma_text.h"

#include <algorithm>

namespace quay {
namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

// Blanks and control characters: every byte up to and including the blank.
bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool needsQuotes(const std::string& item) {
    return std::any_of(item.begin(), item.end(), [](char c) {
        return isBlankOrControl(c) || c == kQuote || c == kDelimiter;
    });
}

std::string quoted(const std::string& item) {
    std::string out;
    out.reserve(item.size() + 2);
    out += kQuote;
    for (char c : item) {
        if (c == kQuote) {
            out += kQuote;
        }
        out += c;
    }
    out += kQuote;
    return out;
}

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlankOrControl(text[pos])) {
        ++pos;
    }
    return pos;
}

// Takes the quoted item starting at text[pos] (the opening quote); returns the position after
// its closing quote, or the end of the text when the quote is never closed.
std::size_t takeQuoted(std::string_view text, std::size_t pos, std::string& item) {
    ++pos;
    while (pos < text.size()) {
        if (text[pos] != kQuote) {
            item += text[pos++];
        } else if (pos + 1 < text.size() && text[pos + 1] == kQuote) {
            item += kQuote;
            pos += 2;
        } else {
            return pos + 1;
        }
    }
    return pos;
}

std::size_t takeUnquoted(std::string_view text, std::size_t pos, std::string& item) {
    const std::size_t start = pos;
    while (pos < text.size() && !isBlankOrControl(text[pos]) && text[pos] != kDelimiter) {
        ++pos;
    }
    item.assign(text.substr(start, pos - start));
    return pos;
}

}  // namespace

std::string joinCommaText(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        if (i > 0) {
            out += kDelimiter;
        }
        const bool emptyLast = item.empty() && i + 1 == items.size();
        out += (emptyLast || needsQuotes(item)) ? quoted(item) : item;
    }
    return out;
}

std::vector<std::string> splitCommaText(std::string_view text) {
    std::vector<std::string> items;
    std::size_t pos = skipBlanks(text, 0);
    while (pos < text.size()) {
        std::string item;
        pos = text[pos] == kQuote ? takeQuoted(text, pos, item) : takeUnquoted(text, pos, item);
        items.push_back(std::move(item));
        pos = skipBlanks(text, pos);
        if (pos < text.size() && text[pos] == kDelimiter) {
            pos = skipBlanks(text, pos + 1);
        }
    }
    return items;
}

}  // namespace quay
