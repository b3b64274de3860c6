#pragma once

#include <QFont>

#include "config/options.h"

namespace quay {

// A list's font as the options keep it, from a Qt font: family and style bits; Qt has no
// character sets or font colours, so those are the window's defaults.
PaneFont paneFontOf(const QFont& font);

// The Qt font for paneFont: the fields paneFont sets over base. Character set and colour stay with
// the model.
QFont qtFontOf(const PaneFont& paneFont, const QFont& base);

}  // namespace quay
