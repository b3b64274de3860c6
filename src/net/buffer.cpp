#include "net/buffer.h"

#include <algorithm>
#include <cstring>

namespace quay {

Buffer::Buffer(std::int64_t size)
    : m_buf(new std::uint8_t[size > 0 ? size : DefaultSize]),
      m_size(size > 0 ? size : DefaultSize) {}

std::int64_t Buffer::write(const void* data, std::int64_t len) {
    const std::int64_t count = std::min(len, m_size - m_wrCount);
    if (count <= 0)
        return 0;
    std::memcpy(m_buf.get() + m_wrCount, data, static_cast<std::size_t>(count));
    m_wrCount += count;
    return count;
}

const std::uint8_t* Buffer::peek(std::int64_t& count) const {
    count = m_wrCount - m_rdCount;
    return count > 0 ? m_buf.get() + m_rdCount : nullptr;
}

std::int64_t Buffer::remove(std::int64_t len) {
    const std::int64_t count = std::max<std::int64_t>(0, std::min(len, unread()));
    m_rdCount += count;
    if (m_rdCount == m_wrCount) {
        m_rdCount = 0;
        m_wrCount = 0;
    }
    return count;
}

void Buffer::resize(std::int64_t newSize) {
    if (newSize <= 0)
        newSize = DefaultSize;
    std::unique_ptr<std::uint8_t[]> fresh(new std::uint8_t[newSize]);
    m_wrCount = std::min(m_wrCount, newSize);
    m_rdCount = std::min(m_rdCount, m_wrCount);
    std::memcpy(fresh.get(), m_buf.get(), static_cast<std::size_t>(m_wrCount));
    m_buf = std::move(fresh);
    m_size = newSize;
}

}  // namespace quay
