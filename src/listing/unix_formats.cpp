#include <optional>
#include <string>

#include "config/ascii.h"
#include "listing/date_numbers.h"
#include "listing/list_formats.h"
#include "listing/unix_fields.h"

// The Unix long listings: "-rw-r--r-- 1 owner group 1234 Mar  5 12:00 name with blanks". The
// columns are found by their shape (see findUnixFields), so a missing group or an owner with a
// blank cannot shift another column into the name.
namespace quay::listformat {

namespace {

// "total 12": the blocks the directory takes, no entry.
bool isTotalLine(std::string_view line) {
    return asciiLower(line.substr(0, 6)) == "total ";
}

// The year of a date that shows a time of day: the year of the most recent such date not after
// today. The comparison goes by month and day, so 29 Feb seen in January of a common year lands
// in the leap year before.
int yearOfTimeOfDay(unsigned month, unsigned day, std::chrono::year_month_day today) {
    int year = static_cast<int>(today.year());
    unsigned todayMonth = static_cast<unsigned>(today.month());
    unsigned todayDay = static_cast<unsigned>(today.day());
    bool later = month > todayMonth || (month == todayMonth && day > todayDay);
    return later ? year - 1 : year;
}

// A line that cannot be read becomes a file named after the whole line, dated "error".
void markFailed(std::string_view line, RemoteEntry& e) {
    e.name = line;
    e.date = "error";
    e.isDir = startsWithD(e.attr);
}

// The date as this layout has always shown it: month and day as the server wrote them, and a
// year after one more blank ("Mar 5 1999", so that it cannot read as day 51999), the month name
// first also when the server wrote the day first. Other dates are written the same way, with
// the English month name and the year in four digits.
std::string wuftpDate(const UnixFields& f) {
    std::string date;
    if (f.form == DateForm::MonthName) {
        date.append(f.monthWord).append(" ").append(f.dayWord);
    } else {
        date.append(monthAbbreviation(f.month)).append(" ");
        listdate::appendDigits(date, static_cast<int>(f.day), 1);
    }
    if (f.year >= 0) {
        date.push_back(' ');
        listdate::appendDigits(date, f.year, 4);
    }
    return date;
}

}  // namespace

// Links are not listed in this layout.
void wuftp(std::string_view line, RemoteEntry& e) {
    if (isTotalLine(line) || line.starts_with('l'))
        return markNoEntry(e);
    e.attr = line.substr(0, line.find(' '));
    std::optional<UnixFields> fields = findUnixFields(line);
    if (!fields)
        return markFailed(line, e);
    e.size = fields->size;
    e.date = wuftpDate(*fields);
    e.time = fields->time;
    e.name = fields->name;
    e.isDir = startsWithD(e.attr);
}

// The date comes out as day.month.year with two digits each ("05.03.99").
void unixScan(std::string_view line, std::chrono::year_month_day today, RemoteEntry& e) {
    if (isTotalLine(line))
        return markNoEntry(e);
    e.attr = line.substr(0, line.find(' '));
    std::optional<UnixFields> fields = findUnixFields(line);
    if (!fields)
        return markFailed(line, e);
    e.size = fields->size;
    e.time = fields->time;
    int year = fields->year < 0 ? yearOfTimeOfDay(fields->month, fields->day, today) : fields->year;
    if (!listdate::isValidDate(year, static_cast<int>(fields->month),
                               static_cast<int>(fields->day)))
        return markFailed(line, e);
    e.date.clear();
    listdate::appendDigits(e.date, static_cast<int>(fields->day), 2);
    e.date.push_back('.');
    listdate::appendDigits(e.date, static_cast<int>(fields->month), 2);
    e.date.push_back('.');
    listdate::appendDigits(e.date, year % 100, 2);
    e.name = fields->name;
    e.isDir = startsWithD(e.attr);
}

}  // namespace quay::listformat
