#include "ReportList.h"

#include "ProfileFile.h"
#include "ProfileNumber.h"
#include "ProgramDirectory.h"
#include "RuleFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Extension = ".vtr";

// "12.vtr" -> 12; names that are not a whole number (digits only) are not reports.
std::optional<int> NumberOf(std::string_view fileName)
{
    const std::string_view stem = fileName.substr(0, fileName.size() - Extension.size());
    int number = 0;
    const auto [end, error] = std::from_chars(stem.data(), stem.data() + stem.size(), number);
    if (stem.empty() || error != std::errc() || end != stem.data() + stem.size())
        return std::nullopt;
    return number;
}

// A step count as the report holds it, read as a whole number; not a number counts no steps, and
// a huge count is read as the rule files' own cap.
int StepCount(const ProfileFile& report, std::string_view section)
{
    const int64_t count = ProfileInteger(report.Read(section, "nb", ""), 0, INT32_MAX, 0);
    return static_cast<int>(std::min<int64_t>(count, RuleFile::MaxSteps));
}

} // namespace

void ReportList::LoadReports(const fs::path& programDirectory)
{
    m_entries.clear();
    for (const std::string& fileName : ListDirectory(programDirectory, Extension)) {
        const std::optional<int> number = NumberOf(fileName);
        if (!number)
            continue;
        const ProfileFile report = ProfileFile::Load(programDirectory / fileName);
        ReportEntry entry;
        entry.url = report.Read("Main", "URL", "");
        if (entry.url.empty())
            continue;
        entry.number = *number;
        entry.ruleName = report.Read("Rule", "Name", "");
        const std::optional<double> sent = ParseProfileNumber(report.Read("Main", "Sent", "0"));
        entry.sent = sent && *sent == 1.0;
        m_entries.push_back(std::move(entry));
    }
}

std::vector<ReportEntry> ReportList::Unsent() const
{
    std::vector<ReportEntry> unsent;
    for (const ReportEntry& entry : m_entries)
        if (!entry.sent && entry.number > 0)
            unsent.push_back(entry);
    return unsent;
}

fs::path ReportList::PathOf(const fs::path& programDirectory, int number)
{
    return programDirectory / (std::to_string(number) + std::string(Extension));
}

std::vector<std::pair<std::string, std::string>> ReportList::SendFields(
    const fs::path& programDirectory, const ReportEntry& entry)
{
    const ProfileFile report = ProfileFile::Load(PathOf(programDirectory, entry.number));
    std::vector<std::pair<std::string, std::string>> fields {
        {"URL", entry.url},
        {"Rule", report.Read("Rule", "Name", "")},
        {"ver", report.Read("Rule", "ver", "")},
        {"Ident", report.Read("Rule", "Ident", "")},
        {"Type", report.Read("Rule", "Type", "")},
        {"Referer", report.Read("Rule", "Referer", "")},
    };
    const int replaceSteps = StepCount(report, "SR");
    fields.emplace_back("nbSR", std::to_string(replaceSteps));
    for (int j = 1; j <= replaceSteps; ++j) {
        const std::string n = std::to_string(j);
        fields.emplace_back("sr1_" + n, report.Read("SR", "sr1." + n, ""));
        fields.emplace_back("sr2_" + n, report.Read("SR", "sr2." + n, ""));
    }
    const int searchSteps = StepCount(report, "OS");
    fields.emplace_back("nbOS", std::to_string(searchSteps));
    for (int j = 1; j <= searchSteps; ++j) {
        const std::string n = std::to_string(j);
        fields.emplace_back("regexp_" + n, report.Read("OS", "regexp." + n, ""));
        fields.emplace_back("result_" + n, report.Read("OS", "result." + n, ""));
        fields.emplace_back("global_" + n, report.Read("OS", "global." + n, ""));
    }
    fields.emplace_back("Referer_Regexp", report.Read("Referer", "RegExp", ""));
    fields.emplace_back("Referer_Result", report.Read("Referer", "Result", ""));
    return fields;
}

std::error_code ReportList::MarkSent(const fs::path& programDirectory, int number)
{
    const fs::path path = PathOf(programDirectory, number);
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return error ? error : std::make_error_code(std::errc::no_such_file_or_directory);
    ProfileFile report = ProfileFile::Load(path);
    report.Write("Main", "Sent", "1");
    if (!report.Save(error) && !error)
        error = std::make_error_code(std::errc::io_error);
    return error;
}

std::error_code ReportList::Delete(const fs::path& programDirectory, int number)
{
    std::error_code error;
    if (!fs::remove(PathOf(programDirectory, number), error) && !error)
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    return error;
}

} // namespace vortalux
