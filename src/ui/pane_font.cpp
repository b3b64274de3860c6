#include "ui/pane_font.h"

namespace quay {

namespace {

// The platform's default character set, the value a list's own font carries.
constexpr int kDefaultCharSet = 1;

}  // namespace

PaneFont paneFontOf(const QFont& font) {
    PaneFont spec;
    const QByteArray family = font.family().toUtf8();
    spec.name = std::string(family.constData(), static_cast<std::size_t>(family.size()));
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
        font.setFamily(
            QString::fromUtf8(spec.name->data(), static_cast<qsizetype>(spec.name->size())));
    font.setBold(spec.bold.value_or(base.bold()));
    font.setItalic(spec.italic.value_or(base.italic()));
    font.setUnderline(spec.underLine.value_or(base.underline()));
    font.setStrikeOut(spec.strikeOut.value_or(base.strikeOut()));
    return font;
}

}  // namespace quay
