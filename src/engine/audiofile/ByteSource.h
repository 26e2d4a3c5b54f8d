#pragma once

// Random-access bytes for the readers: a file on disk or a block in memory.
// Every reader in this folder works on a ByteSource, so that tests and fuzz
// targets can feed it memory and the engine can feed it files.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace bm {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Size in bytes when the source was opened.
    virtual uint64_t Size() const = 0;
    // Copies up to `out.size()` bytes from `offset`; returns how many were
    // copied (fewer at the end, 0 past it or on an error).
    virtual size_t ReadAt(uint64_t offset, std::span<uint8_t> out) = 0;
};

// Borrows a block of memory; the block must outlive the source.
class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.size(); }
    size_t ReadAt(uint64_t offset, std::span<uint8_t> out) override;

private:
    std::span<const uint8_t> m_bytes;
};

// A file opened for reading. Small reads (chunk headers) go through a 64 KB
// window so that walking many small chunks costs few system calls; large
// reads go straight to the file.
class FileByteSource final : public ByteSource {
public:
    // Null when the file cannot be opened or is not a regular file.
    static std::unique_ptr<FileByteSource> Open(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    uint64_t Size() const override { return m_size; }
    size_t ReadAt(uint64_t offset, std::span<uint8_t> out) override;

private:
    FileByteSource(int fd, uint64_t size);
    size_t ReadDirect(uint64_t offset, std::span<uint8_t> out);

    int m_fd = -1;
    uint64_t m_size = 0;
    std::vector<uint8_t> m_window;
    uint64_t m_windowOffset = 0;
    size_t m_windowFill = 0;
};

} // namespace bm
