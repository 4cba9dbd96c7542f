#include "TextStreamObject.h"

#include "AsciiText.h"
#include "FileErrors.h"
#include "HostArguments.h"
#include "RunBudget.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortalux::script {

namespace {

constexpr int32_t BadFileMode = 54;
constexpr int32_t InputPastEnd = 62;

int OpenFlags(TextStreamObject::Mode mode, TextStreamObject::Disposition disposition)
{
    using Disposition = TextStreamObject::Disposition;
    // Non-blocking, so that a FIFO or a device cannot hold the script past its deadline
    // (opening a FIFO would wait for the other end); see WaitUntilReady.
    int flags = O_CLOEXEC | O_NONBLOCK;
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

// Waits until `descriptor` can be read or written (`events`), at most until the running
// script's deadline; past it raises 9000 "Script timed out". Regular files are always ready.
void WaitUntilReady(int descriptor, short events)
{
    for (;;) {
        const auto deadline = RunBudget::Deadline();
        int timeout = -1;
        if (deadline != RunBudget::Clock::time_point::max()) {
            const auto left
                = std::chrono::ceil<std::chrono::milliseconds>(deadline - RunBudget::Clock::now());
            timeout = static_cast<int>(std::clamp<decltype(left.count())>(left.count(), 0, INT_MAX));
        }
        pollfd ready {descriptor, events, 0};
        const int answer = ::poll(&ready, 1, timeout);
        if (answer > 0)
            return;
        if (answer < 0 && errno != EINTR)
            return; // the read or write that follows reports the failure
        RunBudget::CheckDeadline();
    }
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
        // The whole file is held, and counted against the script's memory limit: a device that
        // never ends ("/dev/zero") fails with 7 instead of taking all memory.
        RunBudget::Reservation charge;
        char buffer[65536];
        try {
            for (;;) {
                const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0 && errno == EAGAIN) {
                    WaitUntilReady(descriptor, POLLIN);
                    continue;
                }
                if (got < 0)
                    RaiseFileError(errno, path);
                if (got == 0)
                    break;
                const size_t needed = text.size() + static_cast<size_t>(got);
                if (needed > text.capacity()) {
                    const size_t capacity = std::max(needed, 2 * text.capacity());
                    charge.Reserve(capacity);
                    text.reserve(capacity);
                }
                text.append(buffer, static_cast<size_t>(got));
            }
        } catch (...) {
            ::close(descriptor);
            throw;
        }
        ::close(descriptor);
        auto stream = std::shared_ptr<TextStreamObject>(new TextStreamObject(mode, -1, std::move(text)));
        stream->m_textCharge.Settle(charge.Bytes());
        charge.Settle(0);
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
    std::string().swap(m_text);
    m_textCharge.Settle(0);
    m_position = 0;
}

void TextStreamObject::RequireReading() const
{
    if (m_closed || m_mode != Mode::Read)
        Raise(BadFileMode);
}

void TextStreamObject::RequireWriting() const
{
    if (m_closed || m_mode == Mode::Read)
        Raise(BadFileMode);
}

void TextStreamObject::WriteBytes(const std::string& bytes)
{
    RequireWriting();
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(m_descriptor, bytes.data() + written, bytes.size() - written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && errno == EAGAIN) {
            WaitUntilReady(m_descriptor, POLLOUT);
            continue;
        }
        if (done < 0)
            RaiseFileError(errno, m_path);
        written += static_cast<size_t>(done);
    }
}

std::string TextStreamObject::TakeLine()
{
    if (m_position >= m_text.size())
        Raise(InputPastEnd);
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
            Raise(InputPastEnd);
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
            Raise(InputPastEnd);
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
