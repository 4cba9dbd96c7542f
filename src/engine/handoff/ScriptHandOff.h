#pragma once

#include "HandOff.h"
#include "ScriptHost.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// Hands links to a download manager by running its definition's script: every hand-off resets
// the interpreter, adds the script (its global statements run then) and calls AddLink or AddList
// with the arguments by reference. Any failure shows one message box, caption "Vortalux", no icon,
// OK: "Script Syntax Error : N: description at line L column C"; the caller goes on. A hand-off
// runs at most kTimeLimit in all (global statements and procedure together, whatever the script
// waits on), and its values hold at most the host's memory limit.
//
// "WScript.Shell" and "Scripting.FileSystemObject" are registered here. The HTTP objects live in
// the network library: whoever creates the hand-off adds them with
// RegisterHttpRequestObjects(handOff.Host()), so this class stays free of Qt.
class ScriptHandOff final : public HandOff {
public:
    static constexpr std::chrono::milliseconds TimeLimit {10000};

    ScriptHandOff();

    void AddLink(
        const ManagerStore& store, int position, const std::string& referer, const Link& link) override
    {
        static_cast<void>(RunAddLink(store, position, referer, link));
    }
    void AddList(const ManagerStore& store, int position, const std::string& referer,
        const std::vector<Link>& links) override
    {
        static_cast<void>(RunAddList(store, position, referer, links));
    }

    // The same, answering whether the script ran without error (see RunManagerScript).
    [[nodiscard]] bool RunAddLink(
        const ManagerStore& store, int position, const std::string& referer, const Link& link);
    [[nodiscard]] bool RunAddList(
        const ManagerStore& store, int position, const std::string& referer, const std::vector<Link>& links);

    // Runs `procedure` of the definition at `position` with `args` (bound by reference). Answers
    // true when the script ran without error; false after the message was shown (an invalid
    // position reports the message with zero and empty values). The engine's flows ignore the
    // answer; the command line turns it into its exit code.
    [[nodiscard]] bool RunManagerScript(const ManagerStore& store, int position, std::string_view procedure,
        std::vector<script::Variant>& args);

    // "Script Syntax Error : " + number + ": " + description + " at line " + line + " column " + column
    static std::string ErrorText(const script::ScriptErrorInfo& error);

    // For registering further host objects (factories survive every reset).
    script::ScriptHost& Host() { return m_host; }

private:
    script::ScriptHost m_host;
};

} // namespace vortalux
