#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number and date helpers shared by the listing parser and the date display form.
namespace quay::listdate {

// A whole number in the range of a 32-bit integer, with an optional sign; nothing when the
// text is anything else (also when it is empty or has blanks).
std::optional<int> wholeNumber(std::string_view text);

// The text is one or more decimal digits and nothing else (of any length).
bool isDigits(std::string_view text);

// A day of the calendar in years 1 to 9999.
bool isValidDate(int year, int month, int day);

// value as at least width decimal digits, with leading zeros; value is not negative.
void appendDigits(std::string& out, int value, int width);

}  // namespace quay::listdate
