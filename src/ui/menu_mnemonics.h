#pragma once

#include <QStringList>

namespace quay {

// The captions of one menu level (the menu bar's titles) as shown: a caption that marks its
// mnemonic with "&" keeps it; one without (a translation that dropped it) gets "&" before its
// first letter or digit that neither another caption of the level nor a caption in others
// (the window's buttons, whose Alt+letter would make the key ambiguous) uses yet, so every
// menu still opens with Alt+letter. A caption whose letters are all taken stays as it is.
QStringList withMnemonics(const QStringList& captions, const QStringList& others = {});

}  // namespace quay
