#include "DefaultHandOff.h"

#include "HttpRequestObject.h"
#include "ScriptHandOff.h"

namespace vortalux {

std::unique_ptr<HandOff> CreateDefaultHandOff()
{
    auto handOff = std::make_unique<ScriptHandOff>();
    RegisterHttpRequestObjects(handOff->Host());
    return handOff;
}

} // namespace vortalux
