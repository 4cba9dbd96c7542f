// Five scripts, each beside the same work in Lua 5.4 in the same run: an arithmetic loop, calls
// of a class's methods and properties, string building, array work and RegExp over 1 MiB of
// page text. Each pair reports processor time for the work alone: the VBScript procedure `Work`
// run by the host, and the Lua function `work` timed by os.clock inside its own process (its
// start and the making of its input are left out). The RegExp pair is also set beside the
// engine's pattern layer doing the same search directly.
//   build/bench/language_suite_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include "Coercion.h"
#include "CompiledPattern.h"
#include "HostObjects.h"
#include "ScriptHost.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

using namespace vortalux;
using namespace vortalux::script;

namespace {

struct ScriptPair {
    const char* vbscript;
    const char* lua;
};

// The page both languages search: 1 MiB of markup with a thumbnail link every ~45 bytes.
const char* const PageMakerVbs = R"(Function MakePage()
    Dim parts(), i, n
    n = 23000
    ReDim parts(n)
    For i = 0 To n
        parts(i) = "<a href=""/v/" & i & ".html""><img src=""/t/" & (i * 37 Mod 100000) & "_t.jpg""></a>"
    Next
    MakePage = Left(Join(parts, vbLf), 1048576)
End Function
)";
const char* const PageMakerLua = R"(local function makePage()
    local parts = {}
    for i = 0, 23000 do
        parts[#parts + 1] = '<a href="/v/' .. i .. '.html"><img src="/t/' .. (i * 37 % 100000) .. '_t.jpg"></a>'
    end
    return string.sub(table.concat(parts, "\n"), 1, 1048576)
end
)";

const ScriptPair Arithmetic = {R"(Function Work()
    Dim i, total
    total = 0
    For i = 1 To 1000000
        total = total + (i Mod 7) * 3 - i \ 1000
    Next
    Work = total
End Function
)",
    R"(local function work()
    local total = 0
    for i = 1, 1000000 do
        total = total + (i % 7) * 3 - i // 1000
    end
    return total
end
)"};

const ScriptPair Calls = {R"(Class Point
    Private m_x
    Public Property Get X()
        X = m_x
    End Property
    Public Property Let X(value)
        m_x = value
    End Property
    Public Function Moved(distance)
        Moved = m_x + distance
    End Function
End Class

Function Work()
    Dim p, i, total
    Set p = New Point
    p.X = 0
    total = 0
    For i = 1 To 200000
        p.X = p.Moved(1)
        total = total + p.X
    Next
    Work = total
End Function
)",
    R"(local Point = {}
Point.__index = Point
function Point.new() return setmetatable({x = 0}, Point) end
function Point:getX() return self.x end
function Point:setX(value) self.x = value end
function Point:moved(distance) return self.x + distance end

local function work()
    local p = Point.new()
    local total = 0
    for i = 1, 200000 do
        p:setX(p:moved(1))
        total = total + p:getX()
    end
    return total
end
)"};

const ScriptPair Strings = {R"(Function Work()
    Dim i, s
    s = ""
    For i = 1 To 100000
        s = s & "<li>item " & i & "</li>"
    Next
    Work = Len(s) + Len(Replace(UCase(Left(s, 100000)), "ITEM", "x"))
End Function
)",
    R"(local function work()
    local parts = {}
    for i = 1, 100000 do
        parts[#parts + 1] = "<li>item " .. i .. "</li>"
    end
    local s = table.concat(parts)
    return #s + #(string.gsub(string.upper(string.sub(s, 1, 100000)), "ITEM", "x"))
end
)"};

const ScriptPair Arrays = {R"(Function Work()
    Dim a(99999), i, t, total, round
    For i = 0 To 99999
        a(i) = (i * 7) Mod 1000
    Next
    total = 0
    For round = 1 To 3
        For i = 0 To 49999
            t = a(i)
            a(i) = a(99999 - i)
            a(99999 - i) = t
        Next
        For i = 0 To 99999
            total = total + a(i)
        Next
    Next
    Work = total + UBound(a)
End Function
)",
    R"(local function work()
    local a = {}
    for i = 0, 99999 do
        a[i] = (i * 7) % 1000
    end
    local total = 0
    for round = 1, 3 do
        for i = 0, 49999 do
            a[i], a[99999 - i] = a[99999 - i], a[i]
        end
        for i = 0, 99999 do
            total = total + a[i]
        end
    end
    return total + 99999
end
)"};

const ScriptPair RegExpSearch = {R"(Dim gPage
gPage = MakePage()

Function Work()
    Dim re, m, total
    Set re = New RegExp
    re.Pattern = "(\d+)_t\.jpg"
    re.Global = True
    total = 0
    For Each m In re.Execute(gPage)
        total = total + Len(m.SubMatches(0))
    Next
    Work = total
End Function
)",
    R"(local page = makePage()

local function work()
    local total = 0
    for digits in string.gmatch(page, "(%d+)_t%.jpg") do
        total = total + #digits
    end
    return total
end
)"};

// The RegExp script's loop without RegExp: the same 23,000 passes adding the same lengths, over
// an array of the digits its matches hold. What is left of RegExpVbs beside this and
// RegExpPatternLayer is the cost of the RegExp objects.
const ScriptPair RegExpLoopAlone = {R"(Dim gDigits
gDigits = Digits(MakePage())

Function Digits(page)
    Dim re, matches, list(), i
    Set re = New RegExp
    re.Pattern = "(\d+)_t\.jpg"
    re.Global = True
    Set matches = re.Execute(page)
    ReDim list(matches.Count - 1)
    For i = 0 To matches.Count - 1
        list(i) = matches(i).SubMatches(0)
    Next
    Digits = list
End Function

Function Work()
    Dim s, total
    total = 0
    For Each s In gDigits
        total = total + Len(s)
    Next
    Work = total
End Function
)",
    nullptr};

double ParseSeconds(const std::string& text)
{
    double seconds = -1;
    std::from_chars(text.data(), text.data() + text.size(), seconds);
    return seconds;
}

// The host with the pair's VBScript compiled, or a skipped benchmark.
bool PrepareVbs(benchmark::State& state, ScriptHost& host, const ScriptPair& pair, bool withPage)
{
    RegisterHostObjects(host);
    host.SetTimeLimit(std::chrono::minutes(1));
    const std::string code
        = withPage ? std::string(PageMakerVbs) + pair.vbscript : std::string(pair.vbscript);
    if (host.AddCode(code))
        return true;
    state.SkipWithError(host.Error().description.c_str());
    return false;
}

void RunVbs(benchmark::State& state, const ScriptPair& pair, bool withPage)
{
    ScriptHost host;
    if (!PrepareVbs(state, host, pair, withPage))
        return;
    for (auto _ : state) {
        std::vector<Variant> args;
        Variant result;
        if (!host.Run("Work", args, &result)) {
            state.SkipWithError(host.Error().description.c_str());
            break;
        }
        benchmark::DoNotOptimize(result);
    }
}

// The Lua process prints how long `work` took (os.clock, processor time) and its result, which
// must be the VBScript's: the two do the same work.
void RunLua(benchmark::State& state, const ScriptPair& pair, bool withPage, const char* name)
{
    if (std::system("lua5.4 -v >/dev/null 2>&1") != 0) {
        state.SkipWithError("lua5.4 is not installed (scripts/install-deps)");
        return;
    }
    ScriptHost host;
    if (!PrepareVbs(state, host, pair, withPage))
        return;
    std::vector<Variant> noArgs;
    Variant vbsResult;
    if (!host.Run("Work", noArgs, &vbsResult)) {
        state.SkipWithError(host.Error().description.c_str());
        return;
    }
    const std::string expected = ToString(vbsResult);
    const std::filesystem::path script
        = std::filesystem::temp_directory_path() / (std::string("vortalux-suite-") + name + ".lua");
    std::ofstream(script) << (withPage ? PageMakerLua : "") << pair.lua
                          << "\nlocal start = os.clock()\nlocal result = work()\n"
                             "io.write(string.format('%.9f %d', os.clock() - start, result))\n";
    const std::string command = "lua5.4 " + script.string() + " 2>/dev/null";
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char buffer[64];
        while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        const bool ran = pipe != nullptr && pclose(pipe) == 0;
        const double seconds = ParseSeconds(output);
        if (!ran || seconds < 0) {
            state.SkipWithError("the Lua script failed");
            break;
        }
        if (output.substr(output.find(' ') + 1) != expected) {
            state.SkipWithError(
                ("Lua's result differs from the VBScript's " + expected + ": " + output).c_str());
            break;
        }
        state.SetIterationTime(seconds);
    }
    std::filesystem::remove(script);
}

#define VORTALUX_SCRIPT_PAIR(NAME, PAIR, WITH_PAGE)                                                          \
    void NAME##Vbs(benchmark::State& state) { RunVbs(state, PAIR, WITH_PAGE); }                              \
    void NAME##Lua(benchmark::State& state) { RunLua(state, PAIR, WITH_PAGE, #NAME); }                       \
    BENCHMARK(NAME##Vbs)->Unit(benchmark::kMillisecond);                                                     \
    BENCHMARK(NAME##Lua)->Unit(benchmark::kMillisecond)->UseManualTime();

VORTALUX_SCRIPT_PAIR(Arithmetic, Arithmetic, false)
VORTALUX_SCRIPT_PAIR(Calls, Calls, false)
VORTALUX_SCRIPT_PAIR(Strings, Strings, false)
VORTALUX_SCRIPT_PAIR(Arrays, Arrays, false)
VORTALUX_SCRIPT_PAIR(RegExp, RegExpSearch, true)

void RegExpLoopAloneVbs(benchmark::State& state) { RunVbs(state, RegExpLoopAlone, true); }
BENCHMARK(RegExpLoopAloneVbs)->Unit(benchmark::kMillisecond);

// The RegExp script's search done by the pattern layer directly: the same page, pattern and
// reading of each match's group.
void RegExpPatternLayer(benchmark::State& state)
{
    ScriptHost host;
    if (!host.AddCode(std::string(PageMakerVbs) + "Function Page()\nPage = MakePage()\nEnd Function\n")) {
        state.SkipWithError(host.Error().description.c_str());
        return;
    }
    std::vector<Variant> args;
    Variant page;
    if (!host.Run("Page", args, &page)) {
        state.SkipWithError(host.Error().description.c_str());
        return;
    }
    const std::string text = page.AsString();
    const std::optional<CompiledPattern> pattern = CompiledPattern::Compile(R"((\d+)_t\.jpg)");
    if (!pattern) {
        state.SkipWithError("pattern refused");
        return;
    }
    for (auto _ : state) {
        const MatchList matches = pattern->Execute(text, MatchScope::EveryMatch);
        size_t total = 0;
        for (size_t i = 0; i < matches.Count(); ++i)
            total += matches.SubMatch(i, 1).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(RegExpPatternLayer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
