#include "FileDescriptorBuffer.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vortalux::cli {

FileDescriptorBuffer::FileDescriptorBuffer(int descriptor)
    : m_descriptor(descriptor)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

FileDescriptorBuffer::~FileDescriptorBuffer() { Drain(); }

bool FileDescriptorBuffer::WriteAll(const char* bytes, size_t count)
{
    if (m_error != 0)
        return false;
    while (count > 0) {
        const ssize_t written = ::write(m_descriptor, bytes, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_error = written < 0 ? errno : EIO;
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

bool FileDescriptorBuffer::Drain()
{
    const auto count = static_cast<size_t>(pptr() - pbase());
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return WriteAll(m_buffer.data(), count);
}

FileDescriptorBuffer::int_type FileDescriptorBuffer::overflow(int_type c)
{
    if (!Drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize FileDescriptorBuffer::xsputn(const char* bytes, std::streamsize count)
{
    const auto size = static_cast<size_t>(count);
    if (size <= static_cast<size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), bytes, size);
        pbump(static_cast<int>(size));
        return count;
    }
    // A large write (a page, say) goes out directly after what is buffered.
    if (!Drain() || !WriteAll(bytes, size))
        return 0;
    return count;
}

int FileDescriptorBuffer::sync() { return Drain() ? 0 : -1; }

} // namespace vortalux::cli
