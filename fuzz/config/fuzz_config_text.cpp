#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/comma_text.h"
#include "config/profile_file.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Whatever a comma text reads as, writing that list and reading it again gives it back.
void commaTextRoundTrip(std::string_view input) {
    const std::vector<std::string> items = quay::splitCommaText(input);
    check(quay::splitCommaText(quay::joinCommaText(items)) == items);
}

// Any file content parses; a value written into it reads back (line breaks become blanks)
// and the file's other keys keep their values.
void profileRoundTrip(std::string_view input) {
    quay::ProfileFile file{input};
    const std::optional<std::string> before = file.value("Common", "Log");
    file.readInteger("Common", "TimeOut", 15);
    std::string value(input.substr(0, 64));
    file.writeString("Proxy", "Psw", value);
    for (char& c : value) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const quay::ProfileFile again(file.text());
    check(again.value("Proxy", "Psw") == value);
    check(again.value("Common", "Log") == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    commaTextRoundTrip(input);
    profileRoundTrip(input);
    return 0;
}
