#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::cli {

// Splits a command's arguments into flags ("--json"), options with a value ("--template T" or
// "--template=T") and positional arguments. "-" is positional (standard input), and "--" ends
// the options so that a pattern may start with "-".
class ArgumentParser {
public:
    ArgumentParser& Flag(std::string_view name);
    ArgumentParser& Option(std::string_view name);

    // False with a message in error() when an unknown option or a missing value is met.
    bool Parse(const std::vector<std::string>& args);

    bool Has(std::string_view flag) const { return m_setFlags.count(std::string(flag)) > 0; }
    std::optional<std::string> Value(std::string_view option) const;
    // Every value given for a repeatable option, in order.
    std::vector<std::string> Values(std::string_view option) const;
    const std::vector<std::string>& Positionals() const { return m_positionals; }
    const std::string& Error() const { return m_error; }

private:
    std::set<std::string, std::less<>> m_flags;
    std::set<std::string, std::less<>> m_options;
    std::set<std::string> m_setFlags;
    std::multimap<std::string, std::string> m_values;
    std::vector<std::string> m_positionals;
    std::string m_error;
};

} // namespace vortalux::cli
