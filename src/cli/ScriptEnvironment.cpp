#include "ScriptEnvironment.h"

#include "HostObjects.h"
#include "HttpRequestObject.h"
#include "ScriptHost.h"

namespace vortalux::cli {

std::unique_ptr<QCoreApplication> EnsureApplication()
{
    if (QCoreApplication::instance() != nullptr)
        return nullptr;
    // Qt keeps references to argc and argv for the application's lifetime.
    static int argc = 1;
    static char programName[] = "vortalux";
    static char* argv[] = {programName, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

void RegisterScriptObjects(script::ScriptHost& host)
{
    script::RegisterHostObjects(host);
    RegisterHttpRequestObjects(host);
}

} // namespace vortalux::cli
