#include "TextStreamObject.h"

#include "AsciiText.h"
#include "FileErrors.h"
#include "HostArguments.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortalux::script {

namespace {

constexpr int32_t kBadFileMode = 54;
constexpr int32_t kInputPastEnd = 62;

int OpenFlags(TextStreamObject::Mode mode, TextStreamObject::Disposition disposition)
{
    using Disposition = TextStreamObject::Disposition;
    int flags = O_CLOEXEC;
    switch (mode) {
    case TextStreamObject::Mode::Read:
        flags |= O_RDONLY;
        break;
    case TextStreamObject::Mode::Write:
        flags |= O_WRONLY | O_TRUNC;
        break;
    case TextStreamObject::Mode::Append:
        flags |= O_WRONLY | O_APPEND;
        break;
    }
    if (disposition != Disposition::OpenExisting)
        flags |= O_CREAT;
    if (disposition == Disposition::CreateOrTruncate)
        flags |= O_TRUNC;
    if (disposition == Disposition::CreateNew)
        flags |= O_EXCL;
    return flags;
}

} // namespace

std::shared_ptr<TextStreamObject> TextStreamObject::Open(
    const std::string& path, Mode mode, Disposition disposition)
{
    if (path.empty())
        Raise(errc::InvalidProcedureCall);
    const int descriptor = ::open(path.c_str(), OpenFlags(mode, disposition), 0666);
    if (descriptor < 0)
        RaiseFileError(errno, path);
    struct stat info { };
    if (fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(descriptor);
        RaiseFileError(EISDIR, path);
    }
    std::string text;
    if (mode == Mode::Read) {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                const int error = errno;
                ::close(descriptor);
                RaiseFileError(error, path);
            }
            if (got == 0)
                break;
            text.append(buffer, static_cast<size_t>(got));
        }
        ::close(descriptor);
        auto stream = std::shared_ptr<TextStreamObject>(new TextStreamObject(mode, -1, std::move(text)));
        stream->m_path = path;
        return stream;
    }
    auto stream = std::shared_ptr<TextStreamObject>(new TextStreamObject(mode, descriptor, {}));
    stream->m_path = path;
    return stream;
}

TextStreamObject::TextStreamObject(Mode mode, int descriptor, std::string text)
    : m_mode(mode)
    , m_descriptor(descriptor)
    , m_text(std::move(text))
{
}

TextStreamObject::~TextStreamObject() { Close(); }

void TextStreamObject::Close()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    m_closed = true;
    m_text.clear();
    m_position = 0;
}

void TextStreamObject::RequireReading() const
{
    if (m_closed || m_mode != Mode::Read)
        Raise(kBadFileMode);
}

void TextStreamObject::RequireWriting() const
{
    if (m_closed || m_mode == Mode::Read)
        Raise(kBadFileMode);
}

void TextStreamObject::WriteBytes(const std::string& bytes)
{
    RequireWriting();
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(m_descriptor, bytes.data() + written, bytes.size() - written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            RaiseFileError(errno, m_path);
        written += static_cast<size_t>(done);
    }
}

std::string TextStreamObject::TakeLine()
{
    if (m_position >= m_text.size())
        Raise(kInputPastEnd);
    const size_t end = m_text.find_first_of("\r\n", m_position);
    std::string line;
    if (end == std::string::npos) {
        line = m_text.substr(m_position);
        m_position = m_text.size();
    } else {
        line = m_text.substr(m_position, end - m_position);
        m_position = end + 1;
        if (m_text[end] == '\r' && m_position < m_text.size() && m_text[m_position] == '\n')
            ++m_position;
    }
    ++m_line;
    return line;
}

Variant TextStreamObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "AtEndOfStream")) {
        RequireArgumentCount(args, 0, 0);
        RequireReading();
        return Variant::FromBool(m_position >= m_text.size());
    }
    if (EqualsNoCase(name, "AtEndOfLine")) {
        RequireArgumentCount(args, 0, 0);
        RequireReading();
        return Variant::FromBool(
            m_position >= m_text.size() || m_text[m_position] == '\r' || m_text[m_position] == '\n');
    }
    if (EqualsNoCase(name, "Line")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(m_line);
    }
    return CallMethod(name, args);
}

Variant TextStreamObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "ReadLine")) {
        RequireArgumentCount(args, 0, 0);
        RequireReading();
        return Variant::FromString(TakeLine());
    }
    if (EqualsNoCase(name, "SkipLine")) {
        RequireArgumentCount(args, 0, 0);
        RequireReading();
        TakeLine();
        return {};
    }
    if (EqualsNoCase(name, "ReadAll")) {
        RequireArgumentCount(args, 0, 0);
        RequireReading();
        // As on Windows, even an empty file has nothing left to read.
        if (m_position >= m_text.size())
            Raise(kInputPastEnd);
        std::string rest = m_text.substr(m_position);
        for (char c : rest)
            m_line += c == '\n' ? 1 : 0;
        m_position = m_text.size();
        return Variant::FromString(std::move(rest));
    }
    if (EqualsNoCase(name, "Read")) {
        RequireArgumentCount(args, 1, 1);
        RequireReading();
        const int32_t count = ToLong(args[0]);
        if (count < 0)
            Raise(errc::InvalidProcedureCall);
        if (m_position >= m_text.size())
            Raise(kInputPastEnd);
        std::string part = m_text.substr(m_position, static_cast<size_t>(count));
        for (char c : part)
            m_line += c == '\n' ? 1 : 0;
        m_position += part.size();
        return Variant::FromString(std::move(part));
    }
    if (EqualsNoCase(name, "Write")) {
        RequireArgumentCount(args, 1, 1);
        WriteBytes(ToString(args[0]));
        return {};
    }
    if (EqualsNoCase(name, "WriteLine")) {
        RequireArgumentCount(args, 0, 1);
        WriteBytes((args.empty() ? std::string() : ToString(args[0])) + "\r\n");
        return {};
    }
    if (EqualsNoCase(name, "WriteBlankLines")) {
        RequireArgumentCount(args, 1, 1);
        const int32_t count = ToLong(args[0]);
        if (count < 0)
            Raise(errc::InvalidProcedureCall);
        if (count > (1 << 20))
            Raise(errc::OutOfMemory);
        std::string lines;
        for (int32_t i = 0; i < count; ++i)
            lines += "\r\n";
        WriteBytes(lines);
        return {};
    }
    if (EqualsNoCase(name, "Close")) {
        RequireArgumentCount(args, 0, 0);
        Close();
        return {};
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
