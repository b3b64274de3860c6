#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quay {

// Comma text: the one-line list notation of "Answer.txt", "commands.txt" and the list-valued
// options ("Ext", "CmdKeep").
//
// Writing joins the items with ","; an item holding a blank, a control character, a double
// quote or a comma is put in double quotes with every inner double quote doubled; any other
// item is written as it is. A list of one empty item is written as "" and so is an empty
// last item of a longer list, because reading drops a trailing comma.
std::string joinCommaText(const std::vector<std::string>& items);

// Reading skips blanks and control characters, then takes items one after the other: a
// quoted item runs to its closing double quote ("" inside stands for one), an unquoted item
// up to the next blank, control character or comma. After each item blanks are skipped, and
// one comma with the blanks after it. Two commas in a row give an empty item; a trailing
// comma adds none; an unquoted blank separates items like a comma. Any input is accepted.
std::vector<std::string> splitCommaText(std::string_view text);

}  // namespace quay
