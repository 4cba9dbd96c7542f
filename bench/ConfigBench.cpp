// The configuration program with 2,000 rules and 50 download-manager definitions: the whole
// start of vtl until its first panel is painted (a process of its own, offscreen), and the
// lists' refill inside a running program.
#include "BenchHome.h"
#include "frmMain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h> // environ

#include <string>
#include <vector>

namespace {

const vortalux::bench::BenchHome& Home()
{
    static const vortalux::bench::BenchHome home(2000, 50);
    return home;
}

// Real time from the start of vtl to its exit right after the About panel's first paint.
void BM_VtlStartToFirstPaint(benchmark::State& state)
{
    const std::string program = VORTALUX_PROGRAM_DIR "/vtl";
    std::vector<std::string> environment {"QT_QPA_PLATFORM=offscreen", "VORTALUX_QUIT_AFTER_FIRST_PAINT=1",
        "VORTALUX_HOME=" + Home().Path().string()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("VORTALUX_", 0) != 0)
            environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string argument0 = program;
    char* argv[] = {argument0.data(), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("vtl could not be started");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("vtl did not end normally");
            return;
        }
    }
}
BENCHMARK(BM_VtlStartToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_RefreshListe2000Rules(benchmark::State& state)
{
    vortalux::frmMain window({Home().Path(), "0.0.0", "", "", "", "http://127.0.0.1:9/vtl.php"});
    for (auto _ : state)
        window.RefreshListe();
    state.counters["rules"] = static_cast<double>(window.Rules().Rules().size());
}
BENCHMARK(BM_RefreshListe2000Rules)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
