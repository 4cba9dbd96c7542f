#pragma once

#include "ScriptObject.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortalux::script {

// "WScript.Shell": starts programs and reads the environment.
//   Run(command [, windowStyle [, waitOnReturn]])   command goes to /bin/sh -c; the exit code
//                                                   when waiting, else 0 at once. A wait ends
//                                                   at the script's deadline: the command's
//                                                   process group is killed and the run stops
//                                                   with 9000 "Script timed out".
//   ExpandEnvironmentStrings(text)                  %NAME% replaced by the variable's value
//   Environment(["PROCESS"])                        EnvironmentObject; other kinds raise 5
//   CurrentDirectory                                read and write (ProcessContext); 76 when
//                                                   set to what is not a folder
//   Exec(command)                                   ExecObject: the command runs with pipes
//   Popup(text [, seconds [, title [, type]]])      through the one dialog interface; the
//                                                   button's number, -1 when it timed out
// Run, Exec and ExpandEnvironmentStrings see what a script set in Environment and
// CurrentDirectory; the engine's own process keeps its environment and directory.
class ShellObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "IWshShell3"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

    enum class RunMode {
        // In its own session, reaped by init: no child of ours is left behind as a zombie and
        // the caller never blocks on it. The answer is 0.
        Detached,
        // In its own process group, waited for until the running script's deadline
        // (RunBudget::Deadline). The answer is the exit code (128 + the signal number when a
        // signal ended it). Past the deadline the group gets SIGTERM, then SIGKILL after a
        // short grace; the child is reaped and 9000 "Script timed out" is raised.
        Wait,
    };

    // Runs `command` through /bin/sh -c with standard input from /dev/null.
    static int32_t RunCommand(const std::string& command, RunMode mode);

    // How long a timed-out command's process group has between SIGTERM and SIGKILL.
    static constexpr std::chrono::milliseconds TerminationGrace {200};

    // Replaces every %NAME% whose variable is set (exact name first, then any letter case, as
    // Windows names are); unknown names and lone "%" stay as written.
    static std::string ExpandEnvironmentStrings(std::string_view text);

private:
    static Variant Popup(std::vector<Variant>& args);
};

} // namespace vortalux::script
