#include "ExecObject.h"

#include "AsciiText.h"
#include "ExecStreamObject.h"
#include "HostArguments.h"

#include <utility>

namespace vortalux::script {

ExecObject::ExecObject(std::shared_ptr<ExecProcess> process)
    : m_process(std::move(process))
{
}

Variant ExecObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    using Which = ExecStreamObject::Which;
    RequireArgumentCount(args, 0, 0);
    if (EqualsNoCase(name, "StdOut"))
        return Variant::FromObject(std::make_shared<ExecStreamObject>(m_process, Which::Out));
    if (EqualsNoCase(name, "StdErr"))
        return Variant::FromObject(std::make_shared<ExecStreamObject>(m_process, Which::Err));
    if (EqualsNoCase(name, "StdIn"))
        return Variant::FromObject(std::make_shared<ExecStreamObject>(m_process, Which::In));
    if (EqualsNoCase(name, "Status"))
        return Variant::FromLong(m_process->Running() ? 0 : 1);
    if (EqualsNoCase(name, "ExitCode"))
        return Variant::FromLong(m_process->ExitCode());
    if (EqualsNoCase(name, "ProcessID"))
        return Variant::FromLong(static_cast<int32_t>(m_process->ProcessId()));
    return CallMethod(name, args);
}

Variant ExecObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Terminate")) {
        RequireArgumentCount(args, 0, 0);
        m_process->Terminate();
        return {};
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
