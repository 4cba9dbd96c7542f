// Loading the rule store: 2,000 rule files of the usual size, read from a warm folder.
#include "RuleStore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class RuleFolder {
public:
    explicit RuleFolder(int count)
    {
        std::string pattern = (fs::temp_directory_path() / "vortalux-bench-XXXXXX").string();
        m_home = ::mkdtemp(pattern.data());
        fs::create_directories(m_home / "Rules");
        for (int i = 0; i < count; ++i) {
            std::ofstream out(m_home / "Rules" / ("host" + std::to_string(i) + ".vtl"), std::ios::binary);
            const std::string host = "host" + std::to_string(i) + "\\.example";
            if (i % 2 == 0) {
                out << "[Main]\r\nver=3\r\nActive=" << (i % 7 == 0 ? 0 : 1) << "\r\nIdent=^https?://(www\\.)?"
                    << host
                    << "/img/\r\nType=0\r\nReferer=3\r\n\r\n[SR]\r\nnb=2\r\nsr1.1=_t\\.jpg$\r\nsr2.1=.jpg\r\n"
                    << "sr1.2=/img/\r\nsr2.2=/full/\r\n";
            } else {
                out << "[Main]\r\nver=3\r\nIdent=^https?://" << host
                    << "/view\\.php\\?id=\\d+\r\nType=1\r\nReferer=4\r\n\r\n[OS]\r\nnb=2\r\nregexp.1=<div "
                       "id=\"pic\">\r\n"
                    << "result.1=\r\nglobal.1=0\r\nregexp.2=<img "
                       "src=\"([^\"]+)\"\r\nresult.2=$SRV$1\r\nglobal.2=0\r\n"
                    << "\r\n[Referer]\r\nRegExp=^(.*)/view\r\nResult=$1/gallery\r\n";
            }
        }
    }
    ~RuleFolder() { fs::remove_all(m_home); }
    const fs::path& Home() const { return m_home; }

private:
    fs::path m_home;
};

void BM_LoadRules2000(benchmark::State& state)
{
    static const RuleFolder folder(2000);
    vortalux::RuleStore store;
    for (auto _ : state) {
        store.LoadRules(folder.Home());
        benchmark::DoNotOptimize(store.Rules().data());
    }
    state.counters["rules"] = static_cast<double>(store.Rules().size());
}
BENCHMARK(BM_LoadRules2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
