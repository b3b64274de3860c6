#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace quay {

// The fixed receive buffer of the control connection. Bytes are received behind the valid
// ones, complete lines are cut from the front and the rest moves forward, so a line split
// across two receives is completed by the second. One byte is always kept free for a
// terminating zero, so at most Capacity - 1 bytes are held.
class ReplyBuffer {
public:
    static constexpr std::size_t Capacity = 4096;

    char* writePtr() { return m_bytes.data() + m_count; }
    // Bytes the next receive may take.
    std::size_t room() const { return Capacity - 1 - m_count; }
    void commit(std::size_t n);
    void clear();
    std::size_t count() const { return m_count; }
    // True when the buffer holds Capacity - 1 bytes: a line that long can never complete.
    bool full() const { return m_count >= Capacity - 1; }

    // Cuts the first complete line into `line` without its line end (every trailing CR and LF
    // removed). With acceptLF a line ends at the first LF, otherwise at the first CR LF.
    // False when no complete line is held.
    bool nextLine(bool acceptLF, std::string& line);

private:
    std::array<char, Capacity> m_bytes{};
    std::size_t m_count = 0;
};

}  // namespace quay
