#include "ui/pane_font.h"

#include "ui/qt_text.h"

namespace quay {

namespace {

// The platform's default character set, the value a list's own font carries.
constexpr int kDefaultCharSet = 1;

}  // namespace

PaneFont paneFontOf(const QFont& font) {
    PaneFont spec;
    spec.name = bytes(font.family());
    spec.charSet = kDefaultCharSet;
    spec.color = 0;
    spec.bold = font.bold();
    spec.italic = font.italic();
    spec.underLine = font.underline();
    spec.strikeOut = font.strikeOut();
    return spec;
}

QFont qtFontOf(const PaneFont& spec, const QFont& base) {
    QFont font = base;
    if (spec.name)
        font.setFamily(qtext(*spec.name));
    font.setBold(spec.bold.value_or(base.bold()));
    font.setItalic(spec.italic.value_or(base.italic()));
    font.setUnderline(spec.underLine.value_or(base.underline()));
    font.setStrikeOut(spec.strikeOut.value_or(base.strikeOut()));
    return font;
}

}  // namespace quay
