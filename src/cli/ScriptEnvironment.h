#pragma once

#include <QCoreApplication>

#include <memory>

namespace vortalux::script {
class ScriptHost;
}

namespace vortalux::cli {

// What the script-running commands share: the HTTP objects wait in Qt event loops, which need an
// application object. Keep the answer alive while scripts run; it is empty when the process
// already has an application (tests, or a caller that made one).
std::unique_ptr<QCoreApplication> EnsureApplication();

// Registers every host object a definition may create: the shell, the file system and HTTP.
void RegisterScriptObjects(script::ScriptHost& host);

} // namespace vortalux::cli
