#pragma once

#include <string>
#include <vector>

namespace quay {

// What a server offers in its FEAT reply (RFC 2389), as far as the session uses it.
struct ServerFeatures {
    // The feature lines as the server wrote them, leading blank removed.
    std::vector<std::string> lines;
    bool mlst = false;  // MLST, and with it MLSD (RFC 3659)
    bool utf8 = false;  // UTF8 (RFC 2640): "OPTS UTF8 ON" is understood
};

// Reads the lines of a FEAT reply (the 211 reply's first and last line are no features).
// Feature names are matched in any case; a reply of one line offers nothing.
ServerFeatures parseFeatures(const std::vector<std::string>& replyLines);

// The log line naming the features: "Features: MLST type*;size*;, UTF8"; at most
// kLoggedFeatures are named, the rest counted.
inline constexpr std::size_t kLoggedFeatures = 50;
std::string featuresLogLine(const ServerFeatures& features);

}  // namespace quay
