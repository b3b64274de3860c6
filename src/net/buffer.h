#pragma once

#include <cstdint>
#include <memory>

namespace quay {

// One fixed-size block of a socket's send queue. Data is appended behind the write position
// and taken from the read position; a block that is partly read accepts no more data until
// it is emptied, when both positions return to the start.
class Buffer {
public:
    static constexpr std::int64_t DefaultSize = 1514;

    // A size <= 0 means DefaultSize.
    explicit Buffer(std::int64_t size = DefaultSize);

    std::int64_t size() const { return m_size; }
    std::int64_t writeCount() const { return m_wrCount; }
    std::int64_t readCount() const { return m_rdCount; }
    std::int64_t unread() const { return m_wrCount - m_rdCount; }

    // Copies min(len, free space behind the write position) bytes; returns the count (0 when
    // full).
    std::int64_t write(const void* data, std::int64_t len);
    // The unread bytes and their count; nullptr and 0 when none.
    const std::uint8_t* peek(std::int64_t& count) const;
    // Marks min(len, unread) bytes as taken and returns that count.
    std::int64_t remove(std::int64_t len);
    // Changes the block size, keeping the first writeCount bytes (cut to the new size).
    void resize(std::int64_t newSize);

private:
    std::unique_ptr<std::uint8_t[]> m_buf;
    std::int64_t m_size;
    std::int64_t m_wrCount = 0;
    std::int64_t m_rdCount = 0;
};

}  // namespace quay
