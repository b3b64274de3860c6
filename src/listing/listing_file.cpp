#include "listing/listing_file.h"

#include "listing/list_line_parser.h"

#include <algorithm>
#include <fstream>

namespace quay {

namespace {

// Hands out the lines of a text one by one: a line ends at LF, CR LF or a lone CR, and a
// text that ends with a line end has no empty line after it.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : m_text(text) {}

    bool next(std::string_view& line) {
        if (m_pos >= m_text.size())
            return false;
        // A plain loop: find_first_of tests each byte against the set one call at a time.
        std::size_t end = m_pos;
        while (end < m_text.size() && m_text[end] != '\r' && m_text[end] != '\n')
            ++end;
        line = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        if (m_pos < m_text.size() && m_text[m_pos] == '\r')
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '\n')
            ++m_pos;
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace

std::string readListingFile(const std::filesystem::path& file, const ListingLog& log,
                            std::size_t maxBytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    // Read in steps, so memory follows the file's real length up to one byte past the limit;
    // the first step takes a regular file whole.
    std::error_code noSize;
    std::uintmax_t size = std::filesystem::file_size(file, noSize);
    std::size_t step = noSize
                           ? std::size_t{1} << 20
                           : static_cast<std::size_t>(std::min<std::uintmax_t>(size, maxBytes)) + 1;
    std::string text;
    while (in && text.size() <= maxBytes) {
        std::size_t had = text.size();
        text.resize(had + std::min(step, maxBytes + 1 - had));
        in.read(text.data() + had, static_cast<std::streamsize>(text.size() - had));
        text.resize(had + static_cast<std::size_t>(in.gcount()));
    }
    if (text.size() <= maxBytes)
        return text;
    std::size_t lastEnd = text.find_last_of("\r\n", maxBytes - 1);
    text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    if (log)
        log("! Listing longer than " + std::to_string(maxBytes) + " bytes, the rest is left out");
    return text;
}

std::string takeListingFile(const std::filesystem::path& file, const ListingLog& log) {
    std::string text = readListingFile(file, log);
    std::error_code ignored;  // a file that is already gone leaves nothing to delete
    std::filesystem::remove(file, ignored);
    return text;
}

bool isVmsHeader(std::string_view line) {
    return line.starts_with(kVmsHeader);
}

void forEachListingLine(std::string_view text, const ListingLines& lines) {
    LineCursor cursor(text);
    std::string joined;
    std::string_view line;
    std::size_t handed = 0;
    bool full = false;
    auto hand = [&](std::string_view entryLine) {
        if (handed < lines.maxLines) {
            ++handed;
            lines.onLine(entryLine);
            return;
        }
        full = true;
        if (lines.log)
            lines.log("! Listing has more than " + std::to_string(lines.maxLines) +
                      " entries, the rest is left out");
    };
    bool have = cursor.next(line);
    while (have && !full) {
        std::string_view next;
        bool haveNext = cursor.next(next);
        bool header = lines.vms && isVmsHeader(line);
        if (line.size() < lines.minLength) {
            // Too short to be an entry: a total line or noise.
        } else if (header && lines.onHeader) {
            lines.onHeader(line);
        } else if (lines.vms && !header && line.size() < 40 && haveNext) {
            // The second line may start in the first column ("5/10  14-APR-2006 ..."): a blank
            // keeps its first word apart from the name.
            joined.assign(line).append(" ").append(next);
            hand(joined);
            haveNext = cursor.next(next);
        } else {
            hand(line);
        }
        line = next;
        have = haveNext;
    }
}

void noteLongNames(std::size_t count, const ListingLog& log) {
    if (count > 0 && log)
        log("! Left out of the listing: " + std::to_string(count) + " name" +
            (count == 1 ? "" : "s") + " longer than " + std::to_string(kMaxEntryNameBytes) +
            " bytes");
}

}  // namespace quay
