#pragma once

#include "HandOff.h"

#include <memory>

namespace vortalux::script {
class ScriptHost;
}

namespace vortalux {

// The hand-off the engine uses when its caller names none.
std::unique_ptr<HandOff> CreateDefaultHandOff();

// Registers the objects definitions create beyond the script host's own: the HTTP requests
// ("MSXML2.XMLHTTP" and kin) and the browser's cookies ("Vortalux.Cookies").
void RegisterEngineObjects(script::ScriptHost& host);

} // namespace vortalux
