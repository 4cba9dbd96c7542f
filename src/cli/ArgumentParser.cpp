#include "ArgumentParser.h"

namespace vortalux::cli {

ArgumentParser& ArgumentParser::Flag(std::string_view name)
{
    m_flags.emplace(name);
    return *this;
}

ArgumentParser& ArgumentParser::Option(std::string_view name)
{
    m_options.emplace(name);
    return *this;
}

bool ArgumentParser::Parse(const std::vector<std::string>& args)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.size() < 2 || arg[0] != '-') {
            m_positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (m_flags.count(name) > 0 && equals == std::string::npos) {
            m_setFlags.insert(name);
        } else if (m_options.count(name) > 0) {
            if (equals != std::string::npos) {
                m_values.emplace(name, arg.substr(equals + 1));
            } else if (i + 1 < args.size()) {
                m_values.emplace(name, args[++i]);
            } else {
                m_error = "option " + name + " needs a value";
                return false;
            }
        } else {
            m_error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

std::optional<std::string> ArgumentParser::Value(std::string_view option) const
{
    const auto range = m_values.equal_range(std::string(option));
    if (range.first == range.second)
        return std::nullopt;
    return std::prev(range.second)->second;
}

std::vector<std::string> ArgumentParser::Values(std::string_view option) const
{
    std::vector<std::string> values;
    const auto range = m_values.equal_range(std::string(option));
    for (auto it = range.first; it != range.second; ++it)
        values.push_back(it->second);
    return values;
}

} // namespace vortalux::cli
