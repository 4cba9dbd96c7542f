// The host objects that keep a script's data (RegExp's matches, Dictionary's entries) count it
// against the script's memory limit, and RegExp never passes a run it gave up on for no match.
#include "HostObjects.h"
#include "ScriptHost.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace vortalux::script;

namespace {

// A 1 MiB text and a RegExp with Global set: `text`, `re`.
const char* const Prelude = R"(Dim text, re, matches, m, n
text = String(1048576, "a")
Set re = CreateObject("VBScript.RegExp")
re.Global = True
)";

struct Outcome {
    int32_t number;
    std::string description;
};

Outcome RunWithLimit(const std::string& code, size_t memoryLimit)
{
    ScriptHost host;
    RegisterHostObjects(host);
    host.SetMemoryLimit(memoryLimit);
    // Room for a sanitizer build: these tests are about memory, not time.
    host.SetTimeLimit(std::chrono::seconds(120));
    if (host.AddCode(code))
        return {0, ""};
    return {host.Error().number, host.Error().description};
}

} // namespace

TEST(RegExpLimits, ManyMatchesOverAMebibyteAreChargedWhileKept)
{
    constexpr size_t MiB = size_t(1) << 20;
    // A million matches of one character keep 16 MiB of offsets.
    const std::string execute = std::string(Prelude) + "re.Pattern = \".\"\nSet matches = re.Execute(text)\n"
        + "If matches.Count <> 1048576 Then Err.Raise 1000\n";
    EXPECT_EQ(RunWithLimit(execute, 64 * MiB).number, 0);
    const Outcome small = RunWithLimit(execute, 12 * MiB);
    EXPECT_EQ(small.number, 7);
    EXPECT_EQ(small.description, "Out of memory");
    // For Each makes each Match object when it reaches it: a loop over 128 Ki matches holds one at
    // a time, while a script that keeps them all is charged 128 bytes for each (16 MiB).
    const std::string loop
        = std::string(Prelude) + "Dim kept(131072)\n" + "For Each m In re.Execute(Left(text, 131072))\n";
    const std::pair<const char*, int32_t> bodies[]
        = {{"n = n + 1", 0}, {"kept(n) = m.FirstIndex: n = n + 1", 0}, {"Set kept(n) = m: n = n + 1", 7}};
    for (const auto& [body, number] : bodies) {
        EXPECT_EQ(RunWithLimit(loop + body + "\nNext\n", 12 * MiB).number, number) << body;
        EXPECT_EQ(RunWithLimit(loop + body + "\nNext\n", 64 * MiB).number, 0) << body;
    }
    // A replacement that grows the text is a string like any other.
    const std::string replace
        = std::string(Prelude) + "re.Pattern = \"a\"\ntext = re.Replace(text, \"bbbbbbbbbbbbbbbb\")\n";
    EXPECT_EQ(RunWithLimit(replace, 12 * MiB).number, 7);
    EXPECT_EQ(RunWithLimit(replace, 64 * MiB).number, 0);
}

TEST(RegExpLimits, ARunCutShortRaisesInsteadOfFindingNothing)
{
    const std::string prelude = "Set re = CreateObject(\"VBScript.RegExp\")\nre.Pattern = \"(a+)+[bc]\"\n"
                                "text = String(30, \"a\")\n";
    for (const char* call :
        {"x = re.Test(text)", "Set x = re.Execute(text)", "x = re.Replace(text, \"-\")"}) {
        const Outcome outcome = RunWithLimit(prelude + call, ScriptHost::DefaultMemoryLimit);
        EXPECT_EQ(outcome.number, 28) << call;
        EXPECT_EQ(outcome.description, "Out of stack space") << call;
    }
}

TEST(DictionaryLimits, EntriesAreChargedAndFreedWithTheDictionary)
{
    constexpr size_t MiB = size_t(1) << 20;
    // Short keys and numbers: nothing the Variants would count themselves.
    const std::string fill = "Set d = CreateObject(\"Scripting.Dictionary\")\n"
                             "For i = 1 To 50000\nd.Add \"k\" & i, i\nNext\n";
    EXPECT_EQ(RunWithLimit(fill, 4 * MiB).number, 7);
    EXPECT_EQ(RunWithLimit(fill, 64 * MiB).number, 0);
    // What RemoveAll and a dropped dictionary give back can be taken again.
    const std::string refill = fill + "d.RemoveAll\n" + fill + "Set d = Nothing\n" + fill;
    EXPECT_EQ(RunWithLimit(refill, 16 * MiB).number, 0);
}
