#pragma once

#include <QStringList>

namespace quay {

// The captions of one menu level (the menu bar's titles) as shown: a caption that marks its
// mnemonic with "&" keeps it; one without (a translation that dropped it) gets "&" before its
// first letter or digit that no other caption of the level uses yet, so every menu still
// opens with Alt+letter. A caption whose letters are all taken stays as it is.
QStringList withMnemonics(const QStringList& captions);

}  // namespace quay
