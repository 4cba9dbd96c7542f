#pragma once

#include "ScriptObject.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vortalux::script {

// "WScript.Shell": starts programs and reads the environment.
//   Run(command [, windowStyle [, waitOnReturn]])   command goes to /bin/sh -c; the exit code
//                                                   when waiting, else 0 at once
//   ExpandEnvironmentStrings(text)                  %NAME% replaced by the variable's value
class ShellObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "IWshShell3"; }
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

    // Runs `command` through /bin/sh -c with standard input from /dev/null. With `wait` the
    // answer is the exit code (128 + the signal number when a signal ended it). Without, the
    // command runs detached in its own session, reaped by init, and the answer is 0: no child
    // of ours is left behind as a zombie and the caller never blocks on it.
    static int32_t RunCommand(const std::string& command, bool wait);

    // Replaces every %NAME% whose variable is set (exact name first, then any letter case, as
    // Windows names are); unknown names and lone "%" stay as written.
    static std::string ExpandEnvironmentStrings(std::string_view text);
};

} // namespace vortalux::script
