#pragma once

#include <optional>
#include <string_view>

// The columns of a Unix long listing line, found by their shape rather than by their place:
// servers leave out the link count or the group, write owners with blanks in them ("DOMAIN\John
// Smith"), and pass on whatever time style and language their ls uses.
namespace quay::listformat {

// How the date of a line was written.
enum class DateForm {
    MonthName,  // "Mar  5 12:00", "29 Jul 02:27", "Okt. 5 2004", "Oct 08, 2002 09:47",
                // "2004. szept. 21."
    Numeric,  // "2005-06-07 21:22", "24-04-2003", "06-07 21:22", "3 29 03:26", "4月 18日 2003年",
              // "2003年4月18日"
};

// The fields of one line. All views point into the line.
struct UnixFields {
    std::string_view size;  // the number in front of the date ("1234", "33.5k", "1,234,567")
    DateForm form = DateForm::MonthName;
    std::string_view monthWord;  // as written, without a trailing "." or "," (MonthName only)
    std::string_view dayWord;    // its digits (MonthName form only)
    int year = -1;               // -1 when the date shows a time of day instead
    std::string_view time;       // "21:22" or "21:22:33" (fractions of seconds left out), or empty
    unsigned month = 0;          // 1 to 12
    unsigned day = 0;            // 1 to 31; whether the month has it is the caller's question
    std::string_view name;       // empty when the line ends with the date
};

// Finds the leftmost date that follows a size, in the words after the first (the
// attributes). A size is a number, a number with a unit ("33.5k", "4.0M", "4,0K"), a number in
// groups of three ("1,234,567"; not on lines of block and character devices, where "1,234" is
// a major and a minor number), or the minor number of a device ("1, 3", "1,3", and on device
// lines "4, 0x00000040": the minor as written). Only when no
// date follows such a size is a number at the end of a word taken for it: ls writes a long
// group and the size together ("longgroup123456").
//
// The name is everything after the date's last word and the one blank behind it; further
// blanks belong to the name. The one exception is a date alone in ISO form ("2001-02-03
// old"): ls pads it with a blank to the width of "06-07 21:22", so two blanks separate it
// from the name.
//
// Nothing when no date is found: such a line cannot be read without guessing its columns.
std::optional<UnixFields> findUnixFields(std::string_view line);

// The English three-letter name of month 1 to 12 ("Jan" to "Dec").
std::string_view monthAbbreviation(unsigned month);

}  // namespace quay::listformat
