#include "ExecStreamObject.h"

#include "AsciiText.h"
#include "HostArguments.h"

#include <utility>

namespace vortalux::script {

namespace {

constexpr int32_t BadFileMode = 54;
constexpr int32_t InputPastEnd = 62;

} // namespace

ExecStreamObject::ExecStreamObject(std::shared_ptr<ExecProcess> process, Which which)
    : m_process(std::move(process))
    , m_which(which)
{
}

ExecProcess::Stream ExecStreamObject::Stream() const
{
    if (m_which == Which::In)
        Raise(BadFileMode);
    return m_which == Which::Out ? ExecProcess::Stream::Out : ExecProcess::Stream::Err;
}

std::string ExecStreamObject::TakeLine()
{
    const ExecProcess::Stream stream = Stream();
    m_process->WaitUntil(
        stream, [](std::string_view unread) { return unread.find('\n') != std::string_view::npos; });
    const std::string_view unread = m_process->Unread(stream);
    if (unread.empty())
        Raise(InputPastEnd);
    const size_t end = unread.find('\n');
    std::string_view line = unread.substr(0, end);
    const size_t taken = end == std::string_view::npos ? unread.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::string text(line);
    m_process->Consume(stream, taken);
    return text;
}

Variant ExecStreamObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "AtEndOfStream")) {
        RequireArgumentCount(args, 0, 0);
        const ExecProcess::Stream stream = Stream();
        m_process->WaitUntil(stream, [](std::string_view unread) { return !unread.empty(); });
        return Variant::FromBool(m_process->Unread(stream).empty());
    }
    return CallMethod(name, args);
}

Variant ExecStreamObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "ReadAll")) {
        RequireArgumentCount(args, 0, 0);
        const ExecProcess::Stream stream = Stream();
        m_process->WaitUntil(stream, [](std::string_view) { return false; });
        std::string text(m_process->Unread(stream));
        m_process->Consume(stream, text.size());
        return Variant::FromString(std::move(text));
    }
    if (EqualsNoCase(name, "ReadLine")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromString(TakeLine());
    }
    if (EqualsNoCase(name, "SkipLine")) {
        RequireArgumentCount(args, 0, 0);
        TakeLine();
        return {};
    }
    if (EqualsNoCase(name, "Read")) {
        RequireArgumentCount(args, 1, 1);
        const int32_t count = ToLong(args[0]);
        if (count < 0)
            Raise(errc::InvalidProcedureCall);
        const ExecProcess::Stream stream = Stream();
        const auto wanted = static_cast<size_t>(count);
        m_process->WaitUntil(stream, [wanted](std::string_view unread) { return unread.size() >= wanted; });
        const std::string_view unread = m_process->Unread(stream);
        if (unread.empty() && wanted > 0)
            Raise(InputPastEnd);
        std::string text(unread.substr(0, wanted));
        m_process->Consume(stream, text.size());
        return Variant::FromString(std::move(text));
    }
    const bool writeLine = EqualsNoCase(name, "WriteLine");
    if (writeLine || EqualsNoCase(name, "Write")) {
        RequireArgumentCount(args, writeLine ? 0 : 1, 1);
        if (m_which != Which::In)
            Raise(BadFileMode);
        std::string text = args.empty() ? std::string() : ToString(args[0]);
        if (writeLine)
            text += "\n"; // the commands are Linux programs: LF, not the CR LF of files
        m_process->Write(text);
        return {};
    }
    if (EqualsNoCase(name, "Close")) {
        RequireArgumentCount(args, 0, 0);
        if (m_which == Which::In)
            m_process->CloseInput();
        return {};
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
