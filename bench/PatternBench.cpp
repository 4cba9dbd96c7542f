// Pattern steps at the sizes they meet in use: a page search over a 1 MiB forum page, and the
// identification of a page's links against a large rule set.
#include "ApplyPattern.h"
#include "PatternCache.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace vortalux;

namespace {

constexpr const char* ThumbPattern = "<img src=\"(http://[^\"]+_t\\.jpg)\"";

// About 1 MiB of forum markup: posts of filler text with linked thumbnails among them.
const std::string& ForumPage()
{
    static const std::string page = [] {
        std::string text = "<html><head><title>Gallery thread</title></head><body>\n";
        unsigned seed = 12345;
        const auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) & 0x7fff;
        };
        static const char* const words[] = {"the", "pictures", "from", "our", "trip", "were", "taken", "at",
            "sunset", "near", "harbour", "and", "<b>more</b>", "later", "thanks", "for", "sharing", "&amp;"};
        int id = 0;
        while (text.size() < (size_t(1) << 20)) {
            text += "<div class=\"post\"><p>";
            for (unsigned w = 0, count = 20 + next() % 60; w < count; ++w) {
                text += words[next() % (sizeof(words) / sizeof(words[0]))];
                text += ' ';
            }
            text += "</p>\n";
            for (unsigned t = 0, count = next() % 4; t < count; ++t, ++id) {
                const std::string host = "img" + std::to_string(id % 7) + ".host.example";
                text += "<a href=\"http://" + host + "/viewer.php?id=" + std::to_string(id)
                    + "\"><img src=\"http://" + host + "/thumbs/" + std::to_string(id) + "_t.jpg\"></a>\n";
            }
            text += "</div>\n";
        }
        return text + "</body></html>\n";
    }();
    return page;
}

void BM_ApplyPatternPageSearch(benchmark::State& state)
{
    const std::string& page = ForumPage();
    std::string result;
    for (auto _ : state) {
        PatternResult found = ApplyPattern(ThumbPattern, page, PatternMode::FillTemplate, "$1",
            MatchScope::EveryMatch, "http://forum.example/t/1");
        benchmark::DoNotOptimize(found.value);
        result = std::move(found.text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["links"] = static_cast<double>(std::count(result.begin(), result.end(), '\n') + 1);
}
BENCHMARK(BM_ApplyPatternPageSearch)->Unit(benchmark::kMillisecond);

// A search through PCRE2 alone: JIT, one match data, group 1 of every match collected.
void DirectPcre2Search(benchmark::State& state, const char* pattern, const std::string& page)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(
        reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error, &offset, nullptr);
    if (code == nullptr || pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0)
        throw std::runtime_error("PCRE2 refused the pattern");
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(page.data());
    size_t links = 0;
    for (auto _ : state) {
        std::vector<std::string> groups;
        size_t start = 0;
        while (pcre2_jit_match(code, subject, page.size(), start, 0, data, nullptr) > 0) {
            groups.emplace_back(page, ovector[2], ovector[3] - ovector[2]);
            start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
        }
        links = groups.size();
        benchmark::DoNotOptimize(groups.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["links"] = static_cast<double>(links);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

void BM_DirectPcre2PageSearch(benchmark::State& state)
{
    DirectPcre2Search(state, ThumbPattern, ForumPage());
}
BENCHMARK(BM_DirectPcre2PageSearch)->Unit(benchmark::kMillisecond);

// The text of every post, taken lazily: each match takes more steps than a start position may
// take unnoticed, so every match runs again on the call's budget.
constexpr const char* PostPattern = "<div class=\"post\"><p>(.*?)</p>";

void BM_ApplyPatternLongMatches(benchmark::State& state)
{
    const std::string& page = ForumPage();
    std::string result;
    for (auto _ : state) {
        PatternResult found
            = ApplyPattern(PostPattern, page, PatternMode::FillTemplate, "$1", MatchScope::EveryMatch);
        benchmark::DoNotOptimize(found.value);
        result = std::move(found.text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["links"] = static_cast<double>(std::count(result.begin(), result.end(), '\n') + 1);
}
BENCHMARK(BM_ApplyPatternLongMatches)->Unit(benchmark::kMillisecond);

void BM_DirectPcre2LongMatches(benchmark::State& state)
{
    DirectPcre2Search(state, PostPattern, ForumPage());
}
BENCHMARK(BM_DirectPcre2LongMatches)->Unit(benchmark::kMillisecond);

// A page of one line (as minified markup is) searched by a pattern anchored behind a look-ahead:
// tried at every start position, the look-ahead would scan the rest of the line each time.
const std::string& OneLinePage(bool gif)
{
    static const std::string jpg = [] {
        std::string text = ForumPage();
        std::replace(text.begin(), text.end(), '\n', ' ');
        return text;
    }();
    static const std::string withGif = jpg + "last.gif";
    static const std::string withJpg = jpg + "last.jpg";
    return gif ? withGif : withJpg;
}

void BM_ApplyPatternAnchoredOneLinePage(benchmark::State& state)
{
    const std::string& page = OneLinePage(state.range(0) != 0);
    int value = 0;
    for (auto _ : state) {
        const PatternResult found = ApplyPattern(
            "(?!.*\\.gif$)^.*\\.(\\w+)$", page, PatternMode::FillTemplate, "$1", MatchScope::EveryMatch);
        value = found.value;
        benchmark::DoNotOptimize(found.text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["found"] = value >= 0 ? 1 : 0;
}
BENCHMARK(BM_ApplyPatternAnchoredOneLinePage)->ArgName("gif")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StdRegexPageSearch(benchmark::State& state)
{
    const std::string& page = ForumPage();
    const std::regex pattern(ThumbPattern, std::regex::ECMAScript);
    size_t links = 0;
    for (auto _ : state) {
        std::vector<std::string> groups;
        for (std::sregex_iterator it(page.begin(), page.end(), pattern), end; it != end; ++it)
            groups.push_back((*it)[1].str());
        links = groups.size();
        benchmark::DoNotOptimize(groups.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["links"] = static_cast<double>(links);
}
BENCHMARK(BM_StdRegexPageSearch)->Unit(benchmark::kMillisecond);

struct RuleSet {
    std::vector<std::string> identPatterns;
    std::vector<std::string> links;
};

// 500 rules in the shapes rule files use, and 10,000 links of which about one in ten matches none.
const RuleSet& Rules()
{
    static const RuleSet rules = [] {
        RuleSet set;
        for (int i = 0; i < 500; ++i) {
            const std::string n = std::to_string(i);
            switch (i % 4) {
            case 0:
                set.identPatterns.push_back("^http://(www\\.)?host" + n + "\\.com/view\\.php\\?id=\\d+$");
                break;
            case 1:
                set.identPatterns.push_back("http://img[0-9]*\\.pics" + n + "\\.net/show/[a-z0-9]+\\.html");
                break;
            case 2:
                set.identPatterns.push_back(
                    "^http://[^/]+\\.share" + n + "\\.org/(?:i|img)/(\\w+)/(\\w+\\.jpe?g)$");
                break;
            default:
                set.identPatterns.push_back("board" + n + "\\.example/.*thumbs/\\d+_t\\.jpg");
                break;
            }
        }
        unsigned seed = 777;
        for (int j = 0; j < 10000; ++j) {
            seed = seed * 1103515245u + 12345u;
            const unsigned rule = (seed >> 8) % 550; // 500 and above: a link no rule knows
            const std::string n = std::to_string(rule);
            const std::string id = std::to_string(j);
            if (rule >= 500)
                set.links.push_back("http://unknown" + id + ".example/page/" + id + ".html");
            else if (rule % 4 == 0)
                set.links.push_back("http://www.host" + n + ".com/view.php?id=" + id);
            else if (rule % 4 == 1)
                set.links.push_back("http://img3.pics" + n + ".net/show/a" + id + ".html");
            else if (rule % 4 == 2)
                set.links.push_back("http://s1.share" + n + ".org/img/u" + id + "/p" + id + ".jpg");
            else
                set.links.push_back("http://board" + n + ".example/forum/thumbs/" + id + "_t.jpg");
        }
        return set;
    }();
    return rules;
}

// The first rule whose identification pattern matches each link, as the rule walk finds it.
size_t IdentifyAll(const RuleSet& rules)
{
    size_t identified = 0;
    for (const std::string& link : rules.links) {
        for (const std::string& ident : rules.identPatterns) {
            if (ApplyPattern(ident, link, PatternMode::Find, "1", MatchScope::FirstMatch).value >= 0) {
                ++identified;
                break;
            }
        }
    }
    return identified;
}

void BM_IdentifyLinks(benchmark::State& state)
{
    const RuleSet& rules = Rules();
    size_t identified = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(identified = IdentifyAll(rules));
    state.counters["identified"] = static_cast<double>(identified);
    state.counters["patterns_compiled"] = static_cast<double>(PatternCache::ForThisThread().CompileCount());
}
BENCHMARK(BM_IdentifyLinks)->Unit(benchmark::kMillisecond);

// The same on a fresh thread each time: its cache starts empty, so compiling the 500 patterns is
// part of the measured time.
void BM_IdentifyLinksColdCache(benchmark::State& state)
{
    const RuleSet& rules = Rules();
    size_t identified = 0;
    for (auto _ : state) {
        std::thread worker([&] { identified = IdentifyAll(rules); });
        worker.join();
    }
    state.counters["identified"] = static_cast<double>(identified);
}
BENCHMARK(BM_IdentifyLinksColdCache)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
