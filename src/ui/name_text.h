#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quay {

// Names are bytes; an edit field holds text. A name's valid UTF-8 is shown as such; each byte
// that is no part of valid UTF-8 is held as the lone low surrogate U+DC00 + byte (no valid
// UTF-8 and no typed text yields one), and turned back into that byte. So a name the user
// leaves unchanged comes back byte for byte, and an edit keeps the bytes it did not touch.
QString editableName(std::string_view name);
std::string nameBytes(const QString& text);

}  // namespace quay
