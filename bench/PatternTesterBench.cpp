// The pattern tester at the size the rule author meets: a 1 MiB page as the sample and a global
// pattern with 3,000 matches. The logic alone, and the window from a change of the pattern until
// the match list is filled and the sample repainted with its highlights (off screen); then a
// 20 MiB sample, loaded and typed at.
#include "frmRegExp.h"
#include "PatternTest.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <string>

using namespace vortalux;

namespace {

constexpr int Matches = 3000;
constexpr const char* Pattern = "src=\"([^\"]+)\"";
// The same matches through another pattern, so that each iteration is a change.
constexpr const char* OtherPattern = "src=\"([^\"]*)\"";

// About 1 MiB of markup with exactly 3,000 pictures spread through it.
const std::string& Page()
{
    static const std::string page = [] {
        const size_t size = size_t(1) << 20;
        std::string text;
        std::string filler;
        for (int i = 0; i < 4; ++i)
            filler += "<p>the pictures from our trip, taken at sunset near the harbour</p>\r\n";
        for (int i = 0; i < Matches; ++i) {
            text += "<a href=\"/v/" + std::to_string(i) + "\"><img src=\"http://img.example/t/"
                + std::to_string(i) + "_t.jpg\"></a>\r\n";
            while (text.size() < size * static_cast<size_t>(i + 1) / Matches)
                text += filler;
        }
        return text;
    }();
    return page;
}

void BM_PatternTestLogic(benchmark::State& state)
{
    PatternTest test;
    const PatternTest::Settings settings {Pattern, "", PatternTestMode::Search, MatchScope::EveryMatch};
    for (auto _ : state) {
        test.Run(settings, Page());
        benchmark::DoNotOptimize(test.RowCount());
    }
    if (test.MatchCount() != Matches)
        state.SkipWithError("wrong number of matches");
}
BENCHMARK(BM_PatternTestLogic)->Unit(benchmark::kMillisecond);

// From the keystroke (the pattern box changes) until the rows are in the list and the window has
// been painted with the highlights.
void BM_PatternTesterWindowFill(benchmark::State& state)
{
    frmRegExp window(frmRegExp::Use::SearchStep);
    window.SetGlobal(true);
    window.SetSample(Page());
    window.show();
    window.SetPattern(Pattern);
    QCoreApplication::processEvents();
    bool other = true;
    for (auto _ : state) {
        window.SetPattern(other ? OtherPattern : Pattern);
        other = !other;
        QCoreApplication::processEvents(); // the test runs, as after a keystroke
        window.repaint(); // the list's rows and the sample's highlights drawn
    }
    const auto* list = window.findChild<QTreeView*>(QStringLiteral("lv"));
    if (window.Test().MatchCount() != Matches || list->model()->rowCount() != 2 * Matches
        || window.Highlights().empty())
        state.SkipWithError("the window was not filled");
}
BENCHMARK(BM_PatternTesterWindowFill)->Unit(benchmark::kMillisecond);

// A sample of 20 MiB (the page above twenty times): loading it into the window, and a keystroke in
// the pattern box once it is there.
const std::string& LargeSample()
{
    static const std::string sample = [] {
        std::string text;
        for (int i = 0; i < 20; ++i)
            text += Page();
        return text;
    }();
    return sample;
}

void BM_PatternTesterLoad20MiBSample(benchmark::State& state)
{
    for (auto _ : state) {
        frmRegExp window(frmRegExp::Use::SearchStep);
        window.SetGlobal(true);
        window.SetPattern(Pattern);
        window.show();
        window.SetSample(LargeSample());
        QCoreApplication::processEvents();
        window.repaint();
        if (window.Test().MatchCount() != 20 * Matches)
            state.SkipWithError("wrong number of matches");
    }
}
BENCHMARK(BM_PatternTesterLoad20MiBSample)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PatternTesterKeystroke20MiBSample(benchmark::State& state)
{
    frmRegExp window(frmRegExp::Use::SearchStep);
    window.SetGlobal(true);
    window.SetSample(LargeSample());
    window.show();
    window.SetPattern(Pattern);
    QCoreApplication::processEvents();
    bool other = true;
    for (auto _ : state) {
        window.SetPattern(other ? OtherPattern : Pattern);
        other = !other;
        QCoreApplication::processEvents();
        window.repaint();
    }
}
BENCHMARK(BM_PatternTesterKeystroke20MiBSample)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
