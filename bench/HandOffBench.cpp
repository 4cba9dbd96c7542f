// A typical hand-off: reset the interpreter, add a 60-line definition, run AddList with 100
// links. The definition builds a quoted shell command per link and a JSON batch, as the shipped
// ones do, but keeps the results instead of starting programs, so that only the script host is
// measured.
#include "ManagerStore.h"
#include "MessageBox.h"
#include "ScriptArray.h"
#include "ScriptHandOff.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const char* const Definition = R"(' Builds what the shipped definitions build, and keeps it.
Option Explicit
Dim commands, batch, folder

Function ShellQuote(text)
    ShellQuote = "'" & Replace(Replace(text, Chr(0), ""), "'", "'\''") & "'"
End Function

Function SafeName(name)
    Dim result
    result = Replace(Replace(name, "/", "_"), vbLf, "_")
    If result = "" Or result = "." Or result = ".." Then result = "download"
    SafeName = result
End Function

Function JsonText(text)
    JsonText = """" & Replace(Replace(text, "\", "\\"), """", "\""") & """"
End Function

Function DownloadCommand(referer, url, fileName)
    Dim command, target
    target = ShellQuote(folder & "/" & fileName)
    command = "wget -nv"
    If referer <> "" Then command = command & " --referer=" & ShellQuote(referer)
    DownloadCommand = command & " -O " & target & " -- " & ShellQuote(url) & " || rm -f -- " & target & ";"
End Function

Function AddUriCall(referer, url, name)
    Dim params
    params = "[[" & JsonText(url) & "],{""dir"":" & JsonText(folder) & ",""out"":" & JsonText(name)
    If referer <> "" Then params = params & ",""referer"":" & JsonText(referer)
    AddUriCall = "{""methodName"":""aria2.addUri"",""params"":" & params & "}]}"
End Function

Sub AddLink(referer, url, name)
    Dim list(1)
    list(0) = url
    list(1) = name
    AddList referer, list
End Sub

Sub AddList(referer, list)
    Dim i, name
    folder = "/home/user/Downloads/Vortalux"
    commands = ""
    batch = ""
    For i = 0 To UBound(list) - 1 Step 2
        name = SafeName(list(i + 1))
        commands = commands & " " & DownloadCommand(referer, list(i), name)
        If batch <> "" Then batch = batch & ","
        batch = batch & AddUriCall(referer, list(i), name)
    Next
End Sub
)";

class SilentPresenter final : public vortalux::MessagePresenter {
public:
    vortalux::MessageAnswer Present(const vortalux::MessageRequest&) override
    {
        return vortalux::MessageAnswer::Ok;
    }
};

void HandOffOf100Links(benchmark::State& state)
{
    const std::filesystem::path home
        = std::filesystem::temp_directory_path() / ("vortalux-handoff-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "Managers");
    std::ofstream(home / "Managers" / "bench.vtm", std::ios::binary)
        << "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\n"
        << Definition;
    vortalux::ManagerStore store;
    store.LoadManagers(home);
    std::filesystem::remove_all(home);

    std::vector<vortalux::script::Variant> links;
    for (int i = 0; i < 100; ++i) {
        const std::string name = "picture_" + std::to_string(i) + ".jpg";
        links.push_back(vortalux::script::Variant::FromString("http://img.example.com/gallery/it's/" + name));
        links.push_back(vortalux::script::Variant::FromString(name));
    }
    SilentPresenter presenter;
    vortalux::SetMessagePresenter(&presenter);
    vortalux::ScriptHandOff handOff;
    bool handedOver = true;
    for (auto _ : state) {
        std::vector<vortalux::script::Variant> args
            = {vortalux::script::Variant::FromString("http://forum.example.com/t?1"),
                vortalux::script::Variant::FromArray(vortalux::script::ScriptArray::FromElements(links))};
        handedOver = handOff.RunManagerScript(store, 0, "AddList", args) && handedOver;
    }
    vortalux::SetMessagePresenter(nullptr);
    if (!handedOver)
        state.SkipWithError("the definition failed");
}
BENCHMARK(HandOffOf100Links)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
