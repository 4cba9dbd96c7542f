#pragma once

namespace vortalux::script {

class ScriptHost;

// Registers the host objects that need nothing but the system: "WScript.Shell",
// "Scripting.FileSystemObject", "Scripting.Dictionary" and "VBScript.RegExp" (which `New RegExp` makes). The
// HTTP objects come from the engine's network library.
void RegisterHostObjects(ScriptHost& host);

} // namespace vortalux::script
