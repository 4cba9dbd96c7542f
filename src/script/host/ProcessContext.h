#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::script {

// What a script changes of "its process" through WScript.Shell: the current directory and the
// process environment. The engine runs definitions on its own threads, so these are kept per
// thread beside the engine's own, never written to the real process: a change shows in what the
// script's later calls do (relative paths of FileSystemObject, the children of Run and Exec,
// Environment and ExpandEnvironmentStrings) and reaches neither the engine's other threads nor
// the programs the engine itself starts. Changes last for the thread's later scripts as well.
class ProcessContext {
public:
    // The current directory: the process's until a script sets one.
    static std::string CurrentDirectory();
    // Raises 76 "Path not found" unless `path` (relative to the current one) is a folder.
    static void SetCurrentDirectory(std::string_view path);
    // `path` against the current directory when it is relative; "" stays "".
    static std::string Resolve(std::string_view path);

    // The variable `name`: exact name first, then in any letter case, as Windows names are.
    static std::optional<std::string> Variable(std::string_view name);
    // An empty value removes the variable, as on Windows.
    static void SetVariable(std::string_view name, std::string_view value);
    static void RemoveVariable(std::string_view name);
    // Every variable as "NAME=value": the process's in their order, then those a script added.
    static std::vector<std::string> Variables();
};

} // namespace vortalux::script
