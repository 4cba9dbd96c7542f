#pragma once

namespace vortalux::script {
class ScriptHost;
}

namespace vortalux::cli {

// Registers every host object a definition may create: the shell, the file system and HTTP.
void RegisterScriptObjects(script::ScriptHost& host);

} // namespace vortalux::cli
