#include "ftp/reply_buffer.h"

#include <cstring>
#include <string_view>

namespace quay {

void ReplyBuffer::commit(std::size_t n) {
    m_count += n < room() ? n : room();
    m_bytes[m_count] = 0;
}

void ReplyBuffer::clear() {
    m_count = 0;
    m_bytes[0] = 0;
}

bool ReplyBuffer::nextLine(bool acceptLF, std::string& line) {
    const std::string_view held(m_bytes.data(), m_count);
    const std::size_t end = held.find(acceptLF ? std::string_view("\n") : std::string_view("\r\n"));
    if (end == std::string_view::npos)
        return false;
    const std::size_t endLength = acceptLF ? 1 : 2;
    std::size_t length = end;
    while (length > 0 && (held[length - 1] == '\r' || held[length - 1] == '\n'))
        --length;
    line.assign(held.data(), length);
    const std::size_t consumed = end + endLength;
    std::memmove(m_bytes.data(), m_bytes.data() + consumed, m_count - consumed);
    m_count -= consumed;
    m_bytes[m_count] = 0;
    return true;
}

}  // namespace quay
