#include "ScriptEnvironment.h"

#include "HostObjects.h"
#include "HttpRequestObject.h"
#include "ScriptHost.h"

namespace vortalux::cli {

void RegisterScriptObjects(script::ScriptHost& host)
{
    script::RegisterHostObjects(host);
    RegisterHttpRequestObjects(host);
}

} // namespace vortalux::cli
