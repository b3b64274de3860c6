#include "ui/pane_font.h"

#include "ui/qt_text.h"

namespace quay {

namespace {

// The platform's default character set, the value a list's own font carries.
constexpr int kDefaultCharSet = 1;

}  // namespace

PaneFont paneFontOf(const QFont& font) {
    PaneFont paneFont;
    paneFont.name = bytes(font.family());
    paneFont.charSet = kDefaultCharSet;
    paneFont.color = 0;
    paneFont.bold = font.bold();
    paneFont.italic = font.italic();
    paneFont.underLine = font.underline();
    paneFont.strikeOut = font.strikeOut();
    return paneFont;
}

QFont qtFontOf(const PaneFont& paneFont, const QFont& base) {
    QFont font = base;
    if (paneFont.name)
        font.setFamily(qtext(*paneFont.name));
    if (paneFont.size && *paneFont.size > 0)
        font.setPointSize(*paneFont.size);
    font.setBold(paneFont.bold.value_or(base.bold()));
    font.setItalic(paneFont.italic.value_or(base.italic()));
    font.setUnderline(paneFont.underLine.value_or(base.underline()));
    font.setStrikeOut(paneFont.strikeOut.value_or(base.strikeOut()));
    return font;
}

}  // namespace quay
