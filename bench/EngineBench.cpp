// The engine's windows and batch at page scale: 5,000 links against 300 rules in the list
// window, and a headless batch of 1,000 links through the vortalux program.

#include "frmSelectURLs.h"
#include "ManagerStore.h"
#include "MessageBox.h"
#include "PrintingHandOff.h"
#include "RuleStore.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace vortalux;

namespace {

constexpr int RuleCount = 300;

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A program directory with `rules` replace rules, one per picture host, and one manager.
fs::path MakeHome(const std::string& name, int rules)
{
    const fs::path home = fs::temp_directory_path() / ("vortalux-bench-" + name);
    fs::remove_all(home);
    for (int n = 0; n < rules; ++n) {
        WriteText(home / "Rules" / ("host" + std::to_string(n) + ".vtl"),
            "[Main]\r\nver=1\r\nActive=1\r\nIdent=^https?://host" + std::to_string(n)
                + "\\.example/\r\nType=0\r\nReferer=3\r\n[SR]\r\nnb=1\r\nsr1.1=_thumb\\.\r\nsr2.1=.\r\n");
    }
    WriteText(home / "Managers" / "Wget.vtm", "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\n");
    return home;
}

// A page of `links` links over more hosts than there are rules, so some links match none.
std::vector<std::string> PageLinks(int links, int hosts)
{
    std::vector<std::string> list {"http://forum.example/thread/1"};
    unsigned state = 12345;
    for (int i = 0; i < links; ++i) {
        state = state * 1103515245u + 12345u;
        const int host = static_cast<int>((state >> 8) % static_cast<unsigned>(hosts));
        list.push_back(
            "http://host" + std::to_string(host) + ".example/p/" + std::to_string(i) + "_thumb.jpg");
        list.push_back(i % 3 == 0 ? std::string() : "Picture " + std::to_string(i));
    }
    return list;
}

class SilentPresenter final : public MessagePresenter {
public:
    MessageAnswer Present(const MessageRequest& request) override { return DefaultAnswer(request); }
};

struct ListWindowFixture {
    fs::path home = MakeHome("window", RuleCount);
    RuleStore rules;
    ManagerStore managers;
    std::vector<std::string> links = PageLinks(5000, 350);
    std::ostringstream handedOver;

    ListWindowFixture()
    {
        rules.LoadRules(home);
        managers.LoadManagers(home);
    }
};

// AddUrlList up to the window on screen: both stores reloaded, the window built and filled.
void BM_ListWindowFilledAndShown(benchmark::State& state)
{
    ListWindowFixture fixture;
    for (auto _ : state) {
        fixture.rules.LoadRules(fixture.home);
        fixture.managers.LoadManagers(fixture.home);
        frmSelectURLs window(fixture.rules, fixture.managers,
            std::make_unique<PrintingHandOff>(fixture.handedOver), fixture.home);
        window.FillList(fixture.links);
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.List().Size());
    }
    state.counters["rows"] = 5000;
}
BENCHMARK(BM_ListWindowFilledAndShown)->Unit(benchmark::kMillisecond)->UseRealTime();

// A header click on the filled window, including the repaint.
void BM_ListWindowSortByColumn(benchmark::State& state)
{
    ListWindowFixture fixture;
    frmSelectURLs window(
        fixture.rules, fixture.managers, std::make_unique<PrintingHandOff>(fixture.handedOver), fixture.home);
    window.FillList(fixture.links);
    window.show();
    QApplication::processEvents();
    QHeaderView* header = window.findChild<QTreeView*>(QStringLiteral("lv"))->header();
    int column = 0;
    for (auto _ : state) {
        emit header->sectionClicked(column);
        QApplication::processEvents();
        column = (column + 1) % 3;
    }
}
BENCHMARK(BM_ListWindowSortByColumn)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole vortalux process: 1,000 links read from a file, converted by replace rules and
// handed over once, without windows.
void BM_HeadlessBatchWholeProcess(benchmark::State& state)
{
    const fs::path home = MakeHome("batch", RuleCount);
    const fs::path links = home / "links.txt";
    {
        std::ofstream file(links, std::ios::binary);
        for (int i = 0; i < 1000; ++i)
            file << "http://host7.example/p/" << i << "_thumb.jpg\tPicture " << i << "\n";
    }
    const fs::path handedOver = home / "handed-over.txt";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" VORTALUX_PROGRAM_DIR
                                "/vortalux' --home '"
        + home.string() + "' add-url-list --batch --print --from '" + links.string()
        + "' http://forum.example/thread/1 >'" + handedOver.string() + "' 2>/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("vortalux failed");
            break;
        }
    }
    std::ifstream result(handedOver);
    std::string first;
    std::getline(result, first);
    if (first != "AddList\thttp://host7.example/\t1000")
        state.SkipWithError(("unexpected hand-off: " + first).c_str());
}
BENCHMARK(BM_HeadlessBatchWholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetMessagePresenter(nullptr);
    return 0;
}
