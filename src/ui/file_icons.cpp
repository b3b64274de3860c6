#include "ui/file_icons.h"

#include "ui/pane_item_model.h"
#include "ui/theme_icons.h"

namespace quay {

namespace {

// The part of a name that picks its MIME type here: from the last dot on (not a leading
// one, which only hides the file), else the whole name.
QString patternOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot) : name;
}

}  // namespace

QIcon FileIcons::forItem(const PaneItem& item) {
    switch (item.imageIndex) {
        case 0:
            return named(m_up, "go-up");
        case 1:
            return named(m_folder, "folder");
        case 2:
            return forFileName(PaneItemModel::displayText(item.caption));
        case 3:
            return named(m_server, "network-server");
        default:
            return {};
    }
}

QIcon FileIcons::named(QIcon& kept, const char* name) {
    if (kept.isNull())
        kept = themeIcon(QString::fromLatin1(name));
    return kept;
}

QIcon FileIcons::forFileName(const QString& name) {
    const QString pattern = patternOf(name);
    if (auto found = m_byPattern.constFind(pattern); found != m_byPattern.cend())
        return *found;
    if (m_byPattern.size() >= kPatternLimit)
        m_byPattern.clear();
    // A pattern from a dot on stands for every name ending in it: looked up as such a name.
    const QString probe = pattern == name ? name : QStringLiteral("x") + pattern;
    const QList<QMimeType> types = m_mimeTypes.mimeTypesForFileName(probe);
    // No type known: the invalid type, which has no icon names and gets the plain file's.
    const QIcon icon = forMimeType(types.isEmpty() ? QMimeType() : types.first());
    m_byPattern.insert(pattern, icon);
    return icon;
}

QIcon FileIcons::forMimeType(const QMimeType& type) {
    if (auto found = m_byMimeType.constFind(type.name()); found != m_byMimeType.cend())
        return *found;
    // The theme's icon of the type, then of its family ("image-x-generic"), then the program's
    // own of either, then a plain file. Each theme lookup has a null fallback: the one-name
    // form may answer a missing icon with an icon of no sizes, which is not null.
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), {}));
    for (const QString& name :
         {type.iconName(), type.genericIconName(), QStringLiteral("application-x-generic")})
        if (icon.isNull())
            icon = shippedIcon(name);
    m_byMimeType.insert(type.name(), icon);
    return icon;
}

}  // namespace quay
