#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quay {

// Texts of the core are UTF-8 byte strings; these convert them for Qt and back.
inline QString qtext(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string bytes(const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace quay
