// Converting links with replace rules: 1,000 links against a store of 100 rules, every link
// identified by one of them and rewritten in two steps.
#include "ConvertLink.h"
#include "RuleStore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class NoPages final : public vortalux::PageSource {
public:
    std::string OpenURL(const std::string&) override { return {}; }
    const std::string& FetchedUrl() const override { return m_none; }
    std::string LastFailure() const override { return {}; }

private:
    std::string m_none;
};

struct Fixture {
    fs::path home;
    vortalux::RuleStore store;
    std::vector<std::string> links;

    Fixture()
    {
        std::string pattern = (fs::temp_directory_path() / "vortalux-bench-XXXXXX").string();
        home = ::mkdtemp(pattern.data());
        fs::create_directories(home / "Rules");
        constexpr int Rules = 100;
        for (int i = 0; i < Rules; ++i) {
            std::ofstream(home / "Rules" / ("host" + std::to_string(i) + ".vtl"), std::ios::binary)
                << "[Main]\r\nver=1\r\nIdent=^https?://(www\\.)?host" << i
                << "\\.example/(thumbs|t)/\r\nType=0\r\nReferer=3\r\n[SR]\r\nnb=2\r\n"
                   "sr1.1=/(thumbs|t)/\r\nsr2.1=/full/\r\nsr1.2=_(t|thumb)\\.(jpe?g|png)$\r\nsr2.2=.$2\r\n";
        }
        store.LoadRules(home);
        for (int i = 0; i < 1000; ++i)
            links.push_back("http://host" + std::to_string(i % Rules) + ".example/thumbs/album"
                + std::to_string(i) + "/picture" + std::to_string(i) + "_t.jpg");
    }
    ~Fixture() { fs::remove_all(home); }
};

void BM_Convert1000LinksByReplaceRules(benchmark::State& state)
{
    static Fixture fixture;
    NoPages pages;
    size_t converted = 0;
    for (auto _ : state) {
        for (const std::string& link : fixture.links) {
            const vortalux::Conversion conversion
                = vortalux::ConvertLink(fixture.store, pages, fixture.home, link, "http://forum.example/t/1");
            converted += conversion.links[0].url.find("/full/") != std::string::npos ? 1 : 0;
        }
    }
    if (converted != fixture.links.size() * state.iterations())
        state.SkipWithError("a link was not converted");
}
BENCHMARK(BM_Convert1000LinksByReplaceRules)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
