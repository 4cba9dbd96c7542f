#include "ScriptEnvironment.h"

#include "DefaultHandOff.h"
#include "HostObjects.h"
#include "ScriptHost.h"

namespace vortalux::cli {

void RegisterScriptObjects(script::ScriptHost& host)
{
    script::RegisterHostObjects(host);
    RegisterEngineObjects(host);
}

} // namespace vortalux::cli
