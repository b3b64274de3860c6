#pragma once

#include <string_view>

// Month names as servers write them in their listings, localised by the ls behind them.
namespace quay::listformat {

// The month (1 to 12) a word names, or 0. Taken are the full names and the abbreviations of
// English, German (with Austrian "Jän"), French, Spanish, Italian, Portuguese, Dutch,
// Swedish, Danish, Norwegian, Hungarian, Polish, Czech, Finnish, Romanian, Turkish, Russian,
// Ukrainian and Greek, in any case (ASCII, Latin, Greek and Cyrillic letters), with or without
// one trailing "." or ",".
// No name of one language names another month in another.
unsigned monthOfName(std::string_view word);

}  // namespace quay::listformat
