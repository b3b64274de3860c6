#include "listing/month_names.h"

#include <array>
#include <bitset>
#include <string>
#include <unordered_map>

namespace quay::listformat {

namespace {

// Every name of a month, in lower case, blank-separated: month 1 first.
constexpr std::array<std::string_view, 12> kNames = {
    // January
    "jan january januar j\xc3\xa4n j\xc3\xa4nner janv janvier ene enero gen gennaio janeiro "
    "januari janu\xc3\xa1r tammi tammikuu sty stycze\xc5\x84 stycznia led leden ian ianuarie "
    "oca ocak \xd1\x8f\xd0\xbd\xd0\xb2 \xd1\x8f\xd0\xbd\xd0\xb2\xd0\xb0\xd1\x80\xd1\x8c "
    "\xd1\x8f\xd0\xbd\xd0\xb2\xd0\xb0\xd1\x80\xd1\x8f"
    " \xd1\x81\xd1\x96\xd1\x87 \xd1\x81\xd1\x96\xd1\x87\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd1\x81\xd1\x96\xd1\x87\xd0\xbd\xd1\x8f \xce\xb9\xce\xb1\xce\xbd",
    // February
    "feb february februar f\xc3\xa9vr fevr f\xc3\xa9vrier fevrier febrero febbraio fev "
    "fevereiro februari febr febru\xc3\xa1r helmi helmikuu lut luty lutego \xc3\xba"
    "no "
    "\xc3\xban"
    "or februarie \xc5\x9f"
    "ub \xc5\x9f"
    "ubat \xd1\x84\xd0\xb5\xd0\xb2 "
    "\xd1\x84\xd0\xb5\xd0\xb2\xd1\x80\xd0\xb0\xd0\xbb\xd1\x8c "
    "\xd1\x84\xd0\xb5\xd0\xb2\xd1\x80\xd0\xb0\xd0\xbb\xd1\x8f"
    " \xd1\x84\xd0\xb5\xd0\xb2\xd1\x80 \xd0\xbb\xd1\x8e\xd1\x82 "
    "\xd0\xbb\xd1\x8e\xd1\x82\xd0\xb8\xd0\xb9 \xd0\xbb\xd1\x8e\xd1\x82\xd0\xbe\xd0\xb3\xd0\xbe "
    "\xcf\x86\xce\xb5\xce\xb2",
    // March
    "mar march m\xc3\xa4r mrz m\xc3\xa4rz maerz mars marzo mar\xc3\xa7o marco maart mrt marts "
    "m\xc3\xa1rc m\xc3\xa1rcius maalis maaliskuu marzec marca b\xc5\x99"
    "e b\xc5\x99"
    "ezen "
    "martie mart \xd0\xbc\xd0\xb0\xd1\x80 \xd0\xbc\xd0\xb0\xd1\x80\xd1\x82 "
    "\xd0\xbc\xd0\xb0\xd1\x80\xd1\x82\xd0\xb0"
    " \xd0\xb1\xd0\xb5\xd1\x80 \xd0\xb1\xd0\xb5\xd1\x80\xd0\xb5\xd0\xb7\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd0\xb1\xd0\xb5\xd1\x80\xd0\xb5\xd0\xb7\xd0\xbd\xd1\x8f \xce\xbc\xce\xac\xcf\x81 "
    "\xce\xbc\xce\xb1\xcf\x81",
    // April
    "apr april avr avril abr abril aprile \xc3\xa1pr \xc3\xa1prilis huhti huhtikuu kwi "
    "kwiecie\xc5\x84 kwietnia dub duben aprilie nis nisan \xd0\xb0\xd0\xbf\xd1\x80 "
    "\xd0\xb0\xd0\xbf\xd1\x80\xd0\xb5\xd0\xbb\xd1\x8c "
    "\xd0\xb0\xd0\xbf\xd1\x80\xd0\xb5\xd0\xbb\xd1\x8f"
    " \xd0\xba\xd0\xb2\xd1\x96 \xd0\xba\xd0\xb2\xd1\x96\xd1\x82\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd0\xba\xd0\xb2\xd1\x96\xd1\x82\xd0\xbd\xd1\x8f \xce\xb1\xcf\x80\xcf\x81",
    // May
    "may mai mayo mag maggio maio mei maj m\xc3\xa1j m\xc3\xa1jus touko toukokuu maja kv\xc4\x9b "
    "kv\xc4\x9bten mayis may\xc4\xb1s \xd0\xbc\xd0\xb0\xd0\xb9 \xd0\xbc\xd0\xb0\xd1\x8f"
    " \xd1\x82\xd1\x80\xd0\xb0 \xd1\x82\xd1\x80\xd0\xb0\xd0\xb2\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd1\x82\xd1\x80\xd0\xb0\xd0\xb2\xd0\xbd\xd1\x8f \xce\xbc\xce\xac\xce\xb9 "
    "\xce\xbc\xce\xb1\xce\xb9 \xce\xbc\xce\xac\xce\xb7",
    // June
    "jun june juni juin junio giu giugno junho j\xc3\xban j\xc3\xbanius kes\xc3\xa4 "
    "kes\xc3\xa4kuu cze czerwiec czerwca \xc4\x8d"
    "en \xc4\x8d"
    "erven iun iunie haz haziran "
    "\xd0\xb8\xd1\x8e\xd0\xbd \xd0\xb8\xd1\x8e\xd0\xbd\xd1\x8c \xd0\xb8\xd1\x8e\xd0\xbd\xd1\x8f"
    " \xd1\x87\xd0\xb5\xd1\x80 \xd1\x87\xd0\xb5\xd1\x80\xd0\xb2\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd1\x87\xd0\xb5\xd1\x80\xd0\xb2\xd0\xbd\xd1\x8f \xce\xb9\xce\xbf\xcf\x8d\xce\xbd "
    "\xce\xb9\xce\xbf\xcf\x85\xce\xbd",
    // July
    "jul july juli juil juillet julio lug luglio julho j\xc3\xbal j\xc3\xbalius hein\xc3\xa4 "
    "hein\xc3\xa4kuu lip lipiec lipca \xc4\x8d"
    "ec \xc4\x8d"
    "ervenec iul iulie tem temmuz "
    "\xd0\xb8\xd1\x8e\xd0\xbb \xd0\xb8\xd1\x8e\xd0\xbb\xd1\x8c \xd0\xb8\xd1\x8e\xd0\xbb\xd1\x8f"
    " \xd0\xbb\xd0\xb8\xd0\xbf \xd0\xbb\xd0\xb8\xd0\xbf\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd0\xbb\xd0\xb8\xd0\xbf\xd0\xbd\xd1\x8f \xce\xb9\xce\xbf\xcf\x8d\xce\xbb "
    "\xce\xb9\xce\xbf\xcf\x85\xce\xbb",
    // August
    "aug august ao\xc3\xbbt aout ago agosto augustus augusti augusztus elo elokuu sie "
    "sierpie\xc5\x84 sierpnia srp srpen a\xc4\x9f"
    "u a\xc4\x9f"
    "ustos "
    "\xd0\xb0\xd0\xb2\xd0\xb3 \xd0\xb0\xd0\xb2\xd0\xb3\xd1\x83\xd1\x81\xd1\x82 "
    "\xd0\xb0\xd0\xb2\xd0\xb3\xd1\x83\xd1\x81\xd1\x82\xd0\xb0"
    " \xd1\x81\xd0\xb5\xd1\x80 \xd1\x81\xd0\xb5\xd1\x80\xd0\xbf\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd1\x81\xd0\xb5\xd1\x80\xd0\xbf\xd0\xbd\xd1\x8f \xce\xb1\xcf\x8d\xce\xb3 "
    "\xce\xb1\xcf\x85\xce\xb3",
    // September
    "sep sept september septembre septiembre setiembre set settembre setembro szept "
    "szeptember syys syyskuu wrz wrzesie\xc5\x84 wrze\xc5\x9bnia z\xc3\xa1\xc5\x99 "
    "z\xc3\xa1\xc5\x99\xc3\xad septembrie eyl eyl\xc3\xbcl \xd1\x81\xd0\xb5\xd0\xbd "
    "\xd1\x81\xd0\xb5\xd0\xbd\xd1\x82 "
    "\xd1\x81\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8c "
    "\xd1\x81\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8f"
    " \xd0\xb2\xd0\xb5\xd1\x80 \xd0\xb2\xd0\xb5\xd1\x80\xd0\xb5\xd1\x81\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd0\xb2\xd0\xb5\xd1\x80\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f \xcf\x83\xce\xb5\xcf\x80",
    // October
    "oct october okt oktober octobre octubre ott ottobre out outubro okt\xc3\xb3"
    "ber loka "
    "lokakuu pa\xc5\xba pa\xc5\xba"
    "dziernik pa\xc5\xba"
    "dziernika \xc5\x99\xc3\xad"
    "j "
    "\xc5\x99\xc3\xad"
    "jen octombrie eki ekim \xd0\xbe\xd0\xba\xd1\x82 "
    "\xd0\xbe\xd0\xba\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8c "
    "\xd0\xbe\xd0\xba\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8f"
    " \xd0\xb6\xd0\xbe\xd0\xb2 \xd0\xb6\xd0\xbe\xd0\xb2\xd1\x82\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd0\xb6\xd0\xbe\xd0\xb2\xd1\x82\xd0\xbd\xd1\x8f \xce\xbf\xce\xba\xcf\x84",
    // November
    "nov november novembre noviembre novembro marras marraskuu lis listopad listopada noi "
    "noiembrie kas kas\xc4\xb1m \xd0\xbd\xd0\xbe\xd1\x8f "
    "\xd0\xbd\xd0\xbe\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8c "
    "\xd0\xbd\xd0\xbe\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8f"
    " \xd0\xbd\xd0\xbe\xd1\x8f\xd0\xb1 \xd0\xbb\xd0\xb8\xd1\x81 "
    "\xd0\xbb\xd0\xb8\xd1\x81\xd1\x82\xd0\xbe\xd0\xbf\xd0\xb0\xd0\xb4 "
    "\xd0\xbb\xd0\xb8\xd1\x81\xd1\x82\xd0\xbe\xd0\xbf\xd0\xb0\xd0\xb4\xd0\xb0 "
    "\xce\xbd\xce\xbf\xce\xad \xce\xbd\xce\xbf\xce\xb5",
    // December
    "dec december dez dezember d\xc3\xa9"
    "c d\xc3\xa9"
    "cembre decembre dic diciembre dicembre "
    "dezembro des desember joulu joulukuu gru grudzie\xc5\x84 grudnia pro prosinec decembrie "
    "ara aral\xc4\xb1k \xd0\xb4\xd0\xb5\xd0\xba "
    "\xd0\xb4\xd0\xb5\xd0\xba\xd0\xb0\xd0\xb1\xd1\x80\xd1\x8c "
    "\xd0\xb4\xd0\xb5\xd0\xba\xd0\xb0\xd0\xb1\xd1\x80\xd1\x8f"
    " \xd0\xb3\xd1\x80\xd1\x83 \xd0\xb3\xd1\x80\xd1\x83\xd0\xb4\xd0\xb5\xd0\xbd\xd1\x8c "
    "\xd0\xb3\xd1\x80\xd1\x83\xd0\xb4\xd0\xbd\xd1\x8f \xce\xb4\xce\xb5\xce\xba",
};

// The longest name in bytes; longer words are no month.
constexpr std::size_t kLongestName = 24;

// The first two bytes of a name as one number.
constexpr std::size_t startOf(std::string_view name) {
    return static_cast<unsigned char>(name[0]) << 8 | static_cast<unsigned char>(name[1]);
}

// The names, and the starts of two bytes they have, so that most words that are no month
// (owners, groups) are passed over without a look-up.
struct MonthTable {
    std::unordered_map<std::string_view, unsigned> months;
    std::bitset<65536> starts;
};

const MonthTable& monthTable() {
    static const MonthTable table = [] {
        MonthTable names;
        for (unsigned month = 0; month < kNames.size(); ++month) {
            std::string_view list = kNames[month];
            while (!list.empty()) {
                std::size_t blank = list.find(' ');
                std::string_view name = list.substr(0, blank);
                names.months.emplace(name, month + 1);
                names.starts.set(startOf(name));
                list =
                    blank == std::string_view::npos ? std::string_view{} : list.substr(blank + 1);
            }
        }
        return names;
    }();
    return table;
}

// The small letter of a Greek capital, with or without its accent.
char32_t smallGreekLetter(char32_t c) {
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 0x20;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 0x3F;
    return c;
}

// The small letter of a capital one in the two-byte range of UTF-8: Latin-1, Latin
// Extended-A (where capitals and small letters alternate), Greek and Cyrillic.
char32_t smallLetter(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x386 && c <= 0x3A9)
        return smallGreekLetter(c);
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapitals && c % 2 == 0) || (oddCapitals && c % 2 == 1))
        return c + 1;
    return c;
}

// word in small letters into buffer; false when it is too long.
bool lowered(std::string_view word, std::array<char, kLongestName>& buffer) {
    if (word.size() > buffer.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        auto byte = static_cast<unsigned char>(word[i]);
        if (byte >= 'A' && byte <= 'Z') {
            buffer[i] = static_cast<char>(byte - 'A' + 'a');
        } else if ((byte & 0xE0) == 0xC0 && i + 1 < word.size()) {
            auto next = static_cast<unsigned char>(word[i + 1]);
            char32_t small = smallLetter(char32_t(byte & 0x1F) << 6 | (next & 0x3F));
            buffer[i] = static_cast<char>(0xC0 | small >> 6);
            buffer[++i] = static_cast<char>(0x80 | (small & 0x3F));
        } else {
            buffer[i] = static_cast<char>(byte);
        }
    }
    return true;
}

// "jan" to "dec", the most common names, found without a look-up.
unsigned englishAbbreviation(std::string_view name) {
    static constexpr std::string_view kAbbreviations = "janfebmaraprmayjunjulaugsepoctnovdec";
    for (unsigned month = 0; month < 12; ++month)
        if (kAbbreviations.substr(month * 3, 3) == name)
            return month + 1;
    return 0;
}

}  // namespace

unsigned monthOfName(std::string_view word) {
    if (word.ends_with('.') || word.ends_with(','))
        word.remove_suffix(1);
    std::array<char, kLongestName> buffer{};
    if (word.size() < 3 || (word[0] >= '0' && word[0] <= '9') || !lowered(word, buffer))
        return 0;
    std::string_view name(buffer.data(), word.size());
    if (name.size() == 3)
        if (unsigned month = englishAbbreviation(name))
            return month;
    const MonthTable& table = monthTable();
    if (!table.starts.test(startOf(name)))
        return 0;
    auto found = table.months.find(name);
    return found == table.months.end() ? 0 : found->second;
}

}  // namespace quay::listformat
