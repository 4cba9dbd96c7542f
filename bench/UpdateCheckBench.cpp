// vtl's update check against the reference server with 2,000 rules and 50 definitions published
// and installed: from the click on "Check for updates..." until "Done." (offscreen, loopback).
#include "BackgroundServer.h"
#include "BenchHome.h"
#include "ManagerStore.h"
#include "RuleStore.h"
#include "UpdatePanel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

void BM_UpdateCheck2000Rules(benchmark::State& state)
{
    // One folder is both the published one and the installed one: every item is compared, none
    // is offered.
    const vortalux::bench::BenchHome home(2000, 50);
    std::filesystem::create_directories(home.Path() / "core");
    std::ofstream(home.Path() / "core" / "versions.ini", std::ios::binary)
        << "[Main]\r\nengine=0.0.1\r\nprogram=0.0.1\r\n";
    vortalux::server::ServerSettings settings;
    settings.root = home.Path();
    const vortalux::server::BackgroundServer server(settings);
    if (server.Port() == 0) {
        state.SkipWithError(server.Error().c_str());
        return;
    }
    vortalux::ManagerStore managers;
    managers.LoadManagers(home.Path());
    vortalux::RuleStore rules;
    rules.LoadRules(home.Path());
    vortalux::UpdatePanel panel(
        "http://127.0.0.1:" + std::to_string(server.Port()) + "/vtl.php", "0.0.1", managers, rules);
    panel.show();
    auto* check = panel.findChild<QPushButton*>(QStringLiteral("btnCheckUpdates"));
    const auto* status = panel.findChild<QLabel*>(QStringLiteral("lblUpd"));
    for (auto _ : state) {
        check->click(); // returns once the check has ended
        if (status->text() != QLatin1String("Done.")) {
            state.SkipWithError("the check did not end with Done.");
            return;
        }
    }
    state.counters["rules"] = static_cast<double>(rules.Rules().size());
}
BENCHMARK(BM_UpdateCheck2000Rules)->Unit(benchmark::kMillisecond)->UseRealTime();

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
