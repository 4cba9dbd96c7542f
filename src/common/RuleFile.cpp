#include "RuleFile.h"

#include "ProfileFile.h"
#include "ProfileNumber.h"
#include "ProgramDirectory.h"

#include <cmath>
#include <string>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// Negative or not a number: no steps; huge: the cap.
int ReadCount(const ProfileFile& file, std::string_view section)
{
    const std::optional<double> count = ParseProfileNumber(file.Read(section, "nb", "0"));
    if (!count)
        return 0;
    const double rounded = std::nearbyint(*count);
    if (rounded <= 0)
        return 0;
    return rounded >= RuleFile::MaxSteps ? RuleFile::MaxSteps : static_cast<int>(rounded);
}

uint8_t ReadByte(const ProfileFile& file, std::string_view section, std::string_view key,
    std::string_view def, uint8_t outOfRange)
{
    return static_cast<uint8_t>(ProfileInteger(file.Read(section, key, def), 0, 255, outOfRange));
}

std::string Numbered(std::string_view base, int index) { return std::string(base) + std::to_string(index); }

} // namespace

fs::path RuleFile::PathOf(const fs::path& programDirectory, std::string_view name)
{
    return ResolveCaseBlind(programDirectory / "Rules", std::string(name) + ".vtl");
}

std::optional<Rule> RuleFile::Read(const ProfileFile& file, std::string_view name)
{
    Rule rule;
    rule.version = file.Read("Main", "ver", "");
    if (rule.version.empty())
        return std::nullopt;
    rule.name = name;
    const auto active = ParseProfileNumber(file.Read("Main", "Active", "1"));
    rule.active = active && *active == 1.0;
    rule.ident = file.Read("Main", "Ident", "");
    rule.type = static_cast<RuleType>(ReadByte(file, "Main", "Type", "0", FileValue(RuleType::Unknown)));

    const int replaceCount = ReadCount(file, "SR");
    rule.replaceSteps.reserve(static_cast<size_t>(replaceCount));
    for (int i = 1; i <= replaceCount; ++i)
        rule.replaceSteps.push_back(
            {file.Read("SR", Numbered("sr1.", i), ""), file.Read("SR", Numbered("sr2.", i), "")});

    const int searchCount = ReadCount(file, "OS");
    rule.searchSteps.reserve(static_cast<size_t>(searchCount));
    for (int i = 1; i <= searchCount; ++i) {
        SearchStep step;
        step.pattern = file.Read("OS", Numbered("regexp.", i), "");
        step.resultTemplate = file.Read("OS", Numbered("result.", i), "");
        step.global = static_cast<int16_t>(
            ProfileInteger(file.Read("OS", Numbered("global.", i), "0"), INT16_MIN, INT16_MAX, 0));
        rule.searchSteps.push_back(std::move(step));
    }

    // Out of range, the mode is one no rule knows, which leaves the incoming referer as it is.
    rule.refererMode = static_cast<RefererMode>(ReadByte(file, "Main", "Referer", "3", 255));
    rule.refererPattern = file.Read("Referer", "Regexp", "");
    rule.refererTemplate = file.Read("Referer", "Result", "");
    return rule;
}

bool RuleFile::Write(
    const fs::path& path, const Rule& rule, RefererModeKey refererModeKey, std::error_code& error)
{
    ProfileFile file(path);
    file.Write("Main", "ver", "0");
    file.Write("Main", "Ident", rule.ident);
    file.Write("Main", "Type", rule.type == RuleType::SearchPage ? "1" : "0");
    file.Write("SR", "nb", std::to_string(rule.replaceSteps.size()));
    for (size_t i = 0; i < rule.replaceSteps.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        file.Write("SR", Numbered("sr1.", index), rule.replaceSteps[i].pattern);
        file.Write("SR", Numbered("sr2.", index), rule.replaceSteps[i].replaceTemplate);
    }
    file.Write("OS", "nb", std::to_string(rule.searchSteps.size()));
    for (size_t i = 0; i < rule.searchSteps.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        file.Write("OS", Numbered("regexp.", index), rule.searchSteps[i].pattern);
        file.Write("OS", Numbered("result.", index), rule.searchSteps[i].resultTemplate);
        file.Write("OS", Numbered("global.", index), rule.searchSteps[i].global == 1 ? "1" : "0");
    }
    if (refererModeKey == RefererModeKey::Write)
        file.Write("Main", "Referer", std::to_string(FileValue(rule.refererMode)));
    file.Write("Referer", "RegExp", rule.refererPattern);
    file.Write("Referer", "Result", rule.refererTemplate);
    return file.Save(error);
}

bool RuleFile::WriteActive(const fs::path& programDirectory, std::string_view name, bool active)
{
    return ProfileFile::WriteValue(PathOf(programDirectory, name), "Main", "Active", active ? "1" : "0");
}

} // namespace vortalux
