#pragma once

#include <array>
#include <streambuf>

namespace vortalux::cli {

// A stream buffer that writes to a file descriptor and keeps the reason of the first failed
// write, so that a command can say why its output was lost ("No space left on device", "Broken
// pipe"); the stream's state only says that it was.
class FileDescriptorBuffer final : public std::streambuf {
public:
    explicit FileDescriptorBuffer(int descriptor);
    ~FileDescriptorBuffer() override;
    FileDescriptorBuffer(const FileDescriptorBuffer&) = delete;
    FileDescriptorBuffer& operator=(const FileDescriptorBuffer&) = delete;

    // The errno of the first failed write, 0 while none failed.
    int Error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    bool WriteAll(const char* bytes, size_t count);
    bool Drain();

    int m_descriptor;
    int m_error = 0;
    std::array<char, 65536> m_buffer {};
};

} // namespace vortalux::cli
