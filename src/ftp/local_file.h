#pragma once

#include <cstdint>
#include <string>

namespace quay {

// The local file of a transfer: a plain descriptor, read and written in the caller's chunks.
// Only regular files are opened: an existing FIFO, device, socket or directory is refused at
// once ("not a regular file"), without blocking. Every failure throws std::runtime_error whose
// text says why; the descriptor is closed with the object.
class LocalFile {
public:
    LocalFile() = default;
    ~LocalFile() { close(); }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // truncate: create the file, and empty it on the first write or emptyIfPending(), so that
    // a transfer the server refuses leaves an existing file as it was; otherwise the file must
    // exist and writing starts at offset, keeping what lies before (and behind) it.
    void openForWrite(const std::string& path, bool truncate, std::int64_t offset);
    // Empties the file now when openForWrite() asked for it and nothing was written yet.
    void emptyIfPending();
    bool emptyPending() const { return m_emptyPending; }
    void openForRead(const std::string& path, std::int64_t offset);
    void write(const char* data, std::int64_t len);
    // Bytes read (0 at the end of the file).
    std::int64_t read(char* data, std::int64_t len);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Size of the file at path; -1 when it does not exist.
    static std::int64_t sizeOf(const std::string& path);

private:
    void open(const std::string& path, int flags, std::int64_t offset);

    int m_fd = -1;
    bool m_emptyPending = false;
};

}  // namespace quay
