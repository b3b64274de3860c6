#pragma once

#include <QIcon>
#include <QString>

namespace quay {

// The icon of the desktop's icon theme with the given freedesktop name ("edit-delete",
// "folder", "text-x-generic", ...), or, where the theme has none, the program's own icon of
// that name (compiled in, 16, 32 and 64 pixels); a null icon when neither has one.
QIcon themeIcon(const QString& name);

// Only the program's own icon of that name; null when it has none.
QIcon shippedIcon(const QString& name);

}  // namespace quay
