// vtl's update check and install against the reference server (offscreen, loopback):
//   the check with 2,000 rules and 50 definitions published and installed, from the click on
//   "Check for updates..." until "Done.";
//   the install of 500 new rules, one exchange each, from the click on "Do the updates..." until
//   "Update done".
#include "BackgroundServer.h"
#include "BenchHome.h"
#include "ManagerStore.h"
#include "MessageBox.h"
#include "RuleStore.h"
#include "UpdatePanel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

namespace {

// Serves `root` on loopback, with program versions older than any build's.
std::unique_ptr<vortalux::server::BackgroundServer> Publish(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "core");
    std::ofstream(root / "core" / "versions.ini", std::ios::binary)
        << "[Main]\r\nengine=0.0.1\r\nprogram=0.0.1\r\n";
    vortalux::server::ServerSettings settings;
    settings.root = root;
    return std::make_unique<vortalux::server::BackgroundServer>(settings);
}

void BM_UpdateCheck2000Rules(benchmark::State& state)
{
    // One folder is both the published one and the installed one: every item is compared, none
    // is offered.
    const vortalux::bench::BenchHome home(2000, 50);
    const auto server = Publish(home.Path());
    if (server->Port() == 0) {
        state.SkipWithError(server->Error().c_str());
        return;
    }
    vortalux::ManagerStore managers;
    managers.LoadManagers(home.Path());
    vortalux::RuleStore rules;
    rules.LoadRules(home.Path());
    vortalux::UpdatePanel panel("http://127.0.0.1:" + std::to_string(server->Port()) + "/vtl.php", "0.0.1",
        home.Path(), managers, rules);
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

// Counts "Update done" instead of printing it.
class DoneCounter final : public vortalux::MessagePresenter {
public:
    vortalux::MessageAnswer Present(const vortalux::MessageRequest& request) override
    {
        if (request.text == "Update done")
            ++done;
        return vortalux::MessageAnswer::Ok;
    }
    int done = 0;
};

void BM_Install500Rules(benchmark::State& state)
{
    const vortalux::bench::BenchHome published(500, 0);
    const auto server = Publish(published.Path());
    if (server->Port() == 0) {
        state.SkipWithError(server->Error().c_str());
        return;
    }
    // The installed side has none of the rules: all 500 are offered as new.
    const vortalux::bench::BenchHome installed(0, 1);
    vortalux::ManagerStore managers;
    managers.LoadManagers(installed.Path());
    vortalux::RuleStore rules;
    rules.LoadRules(installed.Path());
    vortalux::UpdatePanel panel("http://127.0.0.1:" + std::to_string(server->Port()) + "/vtl.php", "0.0.1",
        installed.Path(), managers, rules);
    panel.show();
    panel.CheckForUpdates();
    if (panel.LastCheck().ruleUpdates.size() != 500) {
        state.SkipWithError("the check did not offer the 500 rules");
        return;
    }
    DoneCounter presenter;
    vortalux::MessagePresenter* previous = vortalux::SetMessagePresenter(&presenter);
    for (auto _ : state)
        panel.DoUpdates(); // the same downloads each time: the install reads the check, not the folder
    vortalux::SetMessagePresenter(previous);
    if (presenter.done != static_cast<int>(state.iterations()))
        state.SkipWithError("an install did not end with Update done");
    state.counters["rules"] = 500;
}
BENCHMARK(BM_Install500Rules)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

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
