// Speed of the VBScript interpreter: a loop-heavy script beside the same work in Lua 5.4
// (run as a subprocess in the same benchmark run), a script that makes, copies and drops long
// strings (every such string is counted against the memory limit), and a typical hand-off
// (Reset, AddCode of a definition script, Run "AddList" with 100 links).
#include "ScriptArray.h"
#include "ScriptHost.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

using namespace vortalux::script;

namespace {

const char* const LoopScriptText = R"(Dim i, total, s, parts(999)
total = 0
For i = 1 To 1000000
    total = total + (i Mod 7) * 3
    s = "item" & i
    parts(i Mod 1000) = s
Next
If total <> 8999994 Then Err.Raise 5
)";

// Strings too long to live inside the string object: each one made, copied into an array and
// freed again is counted against the memory limit.
const char* const TextScript = R"(Dim i, s, keep(99), total
s = String(200, "x")
For i = 1 To 200000
    keep(i Mod 100) = s & i
    total = total + Len(keep((i + 1) Mod 100))
Next
If total = 0 Then Err.Raise 5
)";

const char* const LoopLuaText = R"(local total = 0
local s
local parts = {}
for i = 1, 1000000 do
    total = total + (i % 7) * 3
    s = "item" .. i
    parts[i % 1000] = s
end
assert(total == 8999994)
)";

// A definition script of the usual shape and size: helpers, AddLink and AddList.
const char* const DefinitionScript = R"(Option Explicit
Const ManagerTitle = "Example Manager"
Const FieldSeparator = "|"
Dim gSent, gLastReferer

Function CleanField(text)
    Dim result
    result = Replace(text, vbCr, " ")
    result = Replace(result, vbLf, " ")
    result = Replace(result, FieldSeparator, "%7C")
    CleanField = Trim(result)
End Function

Function FileNameOf(url)
    Dim position
    position = InStrRev(url, "/")
    If position > 0 Then
        FileNameOf = Mid(url, position + 1)
    Else
        FileNameOf = url
    End If
    If Len(FileNameOf) = 0 Then FileNameOf = url
End Function

Function BuildLine(referer, url, name)
    If Len(name) = 0 Then name = FileNameOf(url)
    BuildLine = CleanField(url) & FieldSeparator & CleanField(name) & FieldSeparator & CleanField(referer)
End Function

Sub AddLink(referer, url, name)
    Dim line
    line = BuildLine(referer, url, name)
    gSent = gSent + 1
    gLastReferer = referer
End Sub

Sub AddList(referer, list)
    Dim i, count, lines(), text
    If Not IsArray(list) Then Exit Sub
    count = (UBound(list) + 1) \ 2
    If count = 0 Then Exit Sub
    ReDim lines(count - 1)
    For i = 0 To count - 1
        lines(i) = BuildLine(referer, list(2 * i), list(2 * i + 1))
    Next
    text = Join(lines, vbCrLf)
    Select Case True
        Case Len(text) = 0
            Err.Raise 5
        Case count > 1000
            text = Left(text, 65535)
        Case Else
            gSent = gSent + count
    End Select
    gLastReferer = referer
End Sub

gSent = 0
)";

double ChildProcessorSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void LoopScript(benchmark::State& state)
{
    for (auto _ : state) {
        ScriptHost host;
        if (!host.AddCode(LoopScriptText))
            state.SkipWithError(host.Error().description.c_str());
    }
}
BENCHMARK(LoopScript)->Unit(benchmark::kMillisecond);

void TextScriptRun(benchmark::State& state)
{
    for (auto _ : state) {
        ScriptHost host;
        if (!host.AddCode(TextScript))
            state.SkipWithError(host.Error().description.c_str());
    }
}
BENCHMARK(TextScriptRun)->Name("TextScript")->Unit(benchmark::kMillisecond);

void LoopLua(benchmark::State& state)
{
    const std::filesystem::path script = std::filesystem::temp_directory_path() / "vortalux-bench-loop.lua";
    std::ofstream(script) << LoopLuaText;
    const std::string command = "lua5.4 " + script.string() + " >/dev/null 2>&1";
    if (std::system("lua5.4 -v >/dev/null 2>&1") != 0)
        state.SkipWithError("lua5.4 is not installed (scripts/install-deps)");
    for (auto _ : state) {
        // The work happens in the child: report the processor time it used, comparable with
        // the CPU column of LoopScript on a loaded machine.
        const double before = ChildProcessorSeconds();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the Lua script failed");
            break;
        }
        state.SetIterationTime(ChildProcessorSeconds() - before);
    }
    std::filesystem::remove(script);
}
BENCHMARK(LoopLua)->Unit(benchmark::kMillisecond)->UseManualTime();

void HandOff(benchmark::State& state)
{
    std::vector<Variant> list;
    for (int i = 0; i < 100; ++i) {
        list.push_back(
            Variant::FromString("http://images.example.com/gallery/" + std::to_string(i) + ".jpg"));
        list.push_back(Variant::FromString(std::to_string(i) + ".jpg"));
    }
    const Variant links = Variant::FromArray(ScriptArray::FromElements(list));
    ScriptHost host;
    for (auto _ : state) {
        host.Reset();
        std::vector<Variant> args = {Variant::FromString("http://forum.example.com/thread/1"), links};
        if (!host.AddCode(DefinitionScript) || !host.Run("AddList", args))
            state.SkipWithError(host.Error().description.c_str());
    }
}
BENCHMARK(HandOff)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
