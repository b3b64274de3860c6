#include "ui/theme_icons.h"

#include <QFile>

// The icons are a resource of this static library; a program links the resource's object
// file only when something calls into it. Outside any namespace, as Qt requires.
static void registerShippedIcons() {
    Q_INIT_RESOURCE(fallback_icons);
}

namespace quay {

QIcon shippedIcon(const QString& name) {
    static const bool registered = (registerShippedIcons(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (int size : {16, 32, 64}) {
        const QString file = QStringLiteral(":/fallback-icons/%1x%1/%2.png").arg(size).arg(name);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

QIcon themeIcon(const QString& name) {
    return QIcon::fromTheme(name, shippedIcon(name));
}

}  // namespace quay
