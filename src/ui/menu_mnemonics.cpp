#include "ui/menu_mnemonics.h"

#include <QSet>

namespace quay {

namespace {

// The position of the character after a lone "&" ("&&" is a literal ampersand), or -1.
qsizetype mnemonicAt(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return i + 1;
        ++i;
    }
    return -1;
}

}  // namespace

QStringList withMnemonics(const QStringList& captions, const QStringList& others) {
    QSet<QChar> taken;
    for (const QString& caption : captions + others)
        if (const qsizetype at = mnemonicAt(caption); at >= 0)
            taken.insert(caption[at].toLower());
    QStringList shown;
    for (const QString& caption : captions) {
        QString text = caption;
        if (mnemonicAt(caption) < 0) {
            for (qsizetype i = 0; i < caption.size(); ++i) {
                const QChar c = caption[i].toLower();
                if (!c.isLetterOrNumber() || taken.contains(c) || caption[i] == QLatin1Char('&'))
                    continue;
                taken.insert(c);
                text.insert(i, QLatin1Char('&'));
                break;
            }
        }
        shown.append(text);
    }
    return shown;
}

}  // namespace quay
