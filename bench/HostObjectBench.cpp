// Speed of the host objects scripts lean on: Scripting.Dictionary with many keys (lookups must
// stay constant-time, so the time per key must not grow with the count), VBScript.RegExp over
// a 1 MiB page beside the same search made directly on the pattern layer, and RegExp given the
// same pattern again and again.
#include "Coercion.h"
#include "CompiledPattern.h"
#include "HostObjects.h"
#include "ScriptHost.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace vortalux;
using namespace vortalux::script;

namespace {

const char* const DictionaryScript = R"(Function Fill(n)
    Dim d, i, found
    Set d = CreateObject("Scripting.Dictionary")
    For i = 1 To n
        d.Add "key" & i, i
    Next
    For i = 1 To n
        If d.Exists("key" & i) Then found = found + d("key" & i)
    Next
    For i = 1 To n Step 2
        d.Remove "key" & i
    Next
    Fill = found + d.Count
End Function
)";

// Picks the picture addresses out of a page, as definitions do.
const char* const RegExpScript = R"vbs(Function Scan(page)
    Dim re, m, count
    Set re = CreateObject("VBScript.RegExp")
    re.Pattern = "<img src=""([^""]+)"""
    re.Global = True
    For Each m In re.Execute(page)
        If Len(m.SubMatches(0)) > 0 Then count = count + 1
    Next
    Scan = count
End Function

Function CountAll(page)
    Dim re
    Set re = CreateObject("VBScript.RegExp")
    re.Pattern = "<img src=""([^""]+)"""
    re.Global = True
    CountAll = re.Execute(page).Count
End Function
)vbs";

// The same patterns set again and again: a pattern assigned in a loop, and a RegExp made per call
// as a helper function does. Each pass tests one short address.
const char* const RepeatedPatternScript = R"vbs(Function SetInLoop(n)
    Dim re, i, found
    Set re = New RegExp
    For i = 1 To n
        re.Pattern = "^https?://(?:www\.)?example\.(?:com|org)/(?:img|pics?)/(\d+)_[a-z]+\.(?:jpe?g|png|gif)$"
        re.IgnoreCase = True
        If re.Test("http://example.com/img/" & i & "_thumb.jpg") Then found = found + 1
    Next
    SetInLoop = found
End Function

Function IsPicture(url)
    Dim re
    Set re = New RegExp
    re.Pattern = "^https?://(?:www\.)?example\.(?:com|org)/(?:img|pics?)/(\d+)_[a-z]+\.(?:jpe?g|png|gif)$"
    re.IgnoreCase = True
    IsPicture = re.Test(url)
End Function

Function NewPerCall(n)
    Dim i, found
    For i = 1 To n
        If IsPicture("http://example.com/img/" & i & "_thumb.jpg") Then found = found + 1
    Next
    NewPerCall = found
End Function
)vbs";

const char* const ImagePattern = "<img src=\"([^\"]+)\"";

std::string Page()
{
    std::string page;
    int i = 0;
    while (page.size() < (size_t(1) << 20)) {
        const std::string number = std::to_string(++i);
        page += "<a href=\"/p/" + number + "\"><img src=\"/t/" + number + ".png\"></a> ";
    }
    return page;
}

void DictionaryKeys(benchmark::State& state)
{
    ScriptHost host;
    RegisterHostObjects(host);
    if (!host.AddCode(DictionaryScript))
        state.SkipWithError(host.Error().description.c_str());
    for (auto _ : state) {
        std::vector<Variant> args = {Variant::FromLong(static_cast<int32_t>(state.range(0)))};
        Variant result;
        if (!host.Run("Fill", args, &result))
            state.SkipWithError(host.Error().description.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DictionaryKeys)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Runs `procedure` of RegExpScript over the page, once an iteration.
void RunOverPage(benchmark::State& state, const char* procedure)
{
    ScriptHost host;
    RegisterHostObjects(host);
    if (!host.AddCode(RegExpScript))
        state.SkipWithError(host.Error().description.c_str());
    std::vector<Variant> args = {Variant::FromString(Page())};
    for (auto _ : state) {
        Variant result;
        if (!host.Run(procedure, args, &result))
            state.SkipWithError(host.Error().description.c_str());
        benchmark::DoNotOptimize(result);
    }
}

void RegExpOverMebibyte(benchmark::State& state) { RunOverPage(state, "Scan"); }
BENCHMARK(RegExpOverMebibyte)->Unit(benchmark::kMillisecond);

// Execute and Count only: the object's own cost beside the pattern layer's, without the
// interpreter's per-match work.
void RegExpCountOverMebibyte(benchmark::State& state) { RunOverPage(state, "CountAll"); }
BENCHMARK(RegExpCountOverMebibyte)->Unit(benchmark::kMillisecond);

// 1000 passes of `procedure` of RepeatedPatternScript; every pass must find its picture.
void RunRepeatedPattern(benchmark::State& state, const char* procedure)
{
    constexpr int32_t Passes = 1000;
    ScriptHost host;
    RegisterHostObjects(host);
    if (!host.AddCode(RepeatedPatternScript))
        state.SkipWithError(host.Error().description.c_str());
    for (auto _ : state) {
        std::vector<Variant> args = {Variant::FromLong(Passes)};
        Variant result;
        if (!host.Run(procedure, args, &result) || ToLong(result) != Passes) {
            state.SkipWithError("the script did not find every picture");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Passes);
}

void RegExpPatternSetInLoop(benchmark::State& state) { RunRepeatedPattern(state, "SetInLoop"); }
BENCHMARK(RegExpPatternSetInLoop)->Unit(benchmark::kMillisecond);

void RegExpNewPerCall(benchmark::State& state) { RunRepeatedPattern(state, "NewPerCall"); }
BENCHMARK(RegExpNewPerCall)->Unit(benchmark::kMillisecond);

// The same search and the same reading of each match's group, without the script.
void PatternLayerOverMebibyte(benchmark::State& state)
{
    const std::string page = Page();
    const std::optional<CompiledPattern> pattern = CompiledPattern::Compile(ImagePattern);
    if (!pattern)
        state.SkipWithError("pattern refused");
    for (auto _ : state) {
        const MatchList matches = pattern->Execute(page, MatchScope::EveryMatch);
        size_t count = 0;
        for (size_t i = 0; i < matches.Count(); ++i)
            count += matches.SubMatch(i, 1).empty() ? 0 : 1;
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(PatternLayerOverMebibyte)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
