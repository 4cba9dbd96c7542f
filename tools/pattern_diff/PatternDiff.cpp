// Reads cases from standard input, one a line: the pattern and the input in hexadecimal, separated
// by a blank. Writes one line a case: "invalid", "limit", or the first match and then every match,
// "first;all", each match as "index,length" followed by ",start:length" for every group ("u" for a
// group that did not take part), matches separated by "|" ("none" when there are none).
#include "CompiledPattern.h"

#include <iostream>
#include <string>
#include <string_view>

using namespace vortalux;

namespace {

bool FromHex(std::string_view hex, std::string& bytes)
{
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string Describe(const MatchList& matches)
{
    if (matches.Empty())
        return "none";
    std::string out;
    for (size_t m = 0; m < matches.Count(); ++m) {
        if (m > 0)
            out += '|';
        out += std::to_string(matches.FirstIndex(m)) + "," + std::to_string(matches.Length(m));
        for (size_t k = 1; k <= matches.GroupCount(); ++k) {
            out += ',';
            if (!matches.Participated(m, k)) {
                out += 'u';
                continue;
            }
            const std::string_view group = matches.SubMatch(m, k);
            out += std::to_string(static_cast<size_t>(group.data() - matches.Input().data())) + ":"
                + std::to_string(group.size());
        }
    }
    return out;
}

} // namespace

int main()
{
    std::string line;
    std::string pattern;
    std::string input;
    while (std::getline(std::cin, line)) {
        const size_t blank = line.find(' ');
        if (blank == std::string::npos || !FromHex(std::string_view(line).substr(0, blank), pattern)
            || !FromHex(std::string_view(line).substr(blank + 1), input)) {
            std::cerr << "pattern_diff: bad line: " << line << '\n';
            return 2;
        }
        const std::optional<CompiledPattern> compiled = CompiledPattern::Compile(pattern);
        if (!compiled) {
            std::cout << "invalid\n";
            continue;
        }
        const MatchList first = compiled->Execute(input, MatchScope::FirstMatch);
        const MatchList all = compiled->Execute(input, MatchScope::EveryMatch);
        if (first.LimitExceeded() || all.LimitExceeded()) {
            std::cout << "limit\n";
            continue;
        }
        std::cout << Describe(first) << ';' << Describe(all) << '\n';
    }
    return std::cout.good() ? 0 : 1;
}
