#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace vortalux {

// One failure report as the reports panel knows it.
struct ReportEntry {
    int number = 0; // the file's name without ".vtr"
    std::string ruleName; // Rule/"Name"
    std::string url; // Main/"URL"
    bool sent = false; // Main/"Sent" is 1
};

// The failure reports of a program directory ("N.vtr" files), loaded afresh each time.
class ReportList {
public:
    // Every report file of `programDirectory` whose "URL" is not empty, in the folder's order.
    // Files whose name is not a whole number are not reports and are left out.
    void LoadReports(const std::filesystem::path& programDirectory);

    const std::vector<ReportEntry>& Entries() const { return m_entries; }
    // The reports waiting to be sent: not sent and numbered above 0, as the panel lists them.
    std::vector<ReportEntry> Unsent() const;

    // The report file of `number`.
    static std::filesystem::path PathOf(const std::filesystem::path& programDirectory, int number);

    // The fields a "sendreport" request carries for `entry`, in the order the server expects:
    // "URL", the rule's keys, its steps numbered from 1, the custom referer.
    static std::vector<std::pair<std::string, std::string>> SendFields(
        const std::filesystem::path& programDirectory, const ReportEntry& entry);

    // Main/"Sent" = "1", written atomically; a report file that is gone is not made anew.
    [[nodiscard]] static std::error_code MarkSent(const std::filesystem::path& programDirectory, int number);

    // Removes the report file; a file that is gone is an error, so no deletion is reported
    // that did not happen.
    [[nodiscard]] static std::error_code Delete(const std::filesystem::path& programDirectory, int number);

private:
    std::vector<ReportEntry> m_entries;
};

} // namespace vortalux
