#include "DefaultHandOff.h"

#include "CookiesObject.h"
#include "HttpRequestObject.h"
#include "ScriptHandOff.h"

namespace vortalux {

std::unique_ptr<HandOff> CreateDefaultHandOff()
{
    auto handOff = std::make_unique<ScriptHandOff>();
    RegisterEngineObjects(handOff->Host());
    return handOff;
}

void RegisterEngineObjects(script::ScriptHost& host)
{
    RegisterHttpRequestObjects(host);
    RegisterCookiesObject(host);
}

} // namespace vortalux
