#include "ProcessContext.h"

#include "AsciiText.h"
#include "ScriptError.h"

#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

namespace vortalux::script {

namespace {

struct ThreadContext {
    std::string currentDirectory; // empty: the process's
    // Changed variables by exact name; nullopt marks a removed one.
    std::map<std::string, std::optional<std::string>, std::less<>> changes;
};

thread_local ThreadContext g_context;

std::string_view NameOf(std::string_view entry)
{
    const size_t equals = entry.find('=');
    return equals == std::string_view::npos ? entry : entry.substr(0, equals);
}

} // namespace

std::string ProcessContext::CurrentDirectory()
{
    if (!g_context.currentDirectory.empty())
        return g_context.currentDirectory;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string("/") : current.string();
}

std::string ProcessContext::Resolve(std::string_view path)
{
    if (path.empty() || path.front() == '/')
        return std::string(path);
    std::string base = CurrentDirectory();
    if (base.back() != '/')
        base += '/';
    return base + std::string(path);
}

void ProcessContext::SetCurrentDirectory(std::string_view path)
{
    const std::string full = std::filesystem::path(Resolve(path)).lexically_normal().string();
    struct stat info { };
    if (path.empty() || ::stat(full.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        Raise(76);
    std::string text = full;
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    g_context.currentDirectory = std::move(text);
}

std::optional<std::string> ProcessContext::Variable(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    if (const auto changed = g_context.changes.find(name); changed != g_context.changes.end())
        return changed->second;
    for (const auto& [changedName, value] : g_context.changes) {
        if (EqualsNoCase(changedName, name))
            return value;
    }
    const std::string exact(name);
    if (const char* value = ::getenv(exact.c_str()))
        return std::string(value);
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view line(*entry);
        if (EqualsNoCase(NameOf(line), name) && line.size() > name.size())
            return std::string(line.substr(name.size() + 1));
    }
    return std::nullopt;
}

void ProcessContext::SetVariable(std::string_view name, std::string_view value)
{
    // A name with "=" or a NUL could not be handed to a child as it was meant.
    if (name.empty() || name.find_first_of(std::string_view("=\0", 2)) != std::string_view::npos
        || value.find('\0') != std::string_view::npos)
        Raise(errc::InvalidProcedureCall);
    if (value.empty()) {
        RemoveVariable(name);
        return;
    }
    g_context.changes[std::string(name)] = std::string(value);
}

void ProcessContext::RemoveVariable(std::string_view name)
{
    if (name.empty())
        Raise(errc::InvalidProcedureCall);
    g_context.changes[std::string(name)] = std::nullopt;
}

std::vector<std::string> ProcessContext::Variables()
{
    std::vector<std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view line(*entry);
        const auto changed = g_context.changes.find(NameOf(line));
        if (changed == g_context.changes.end())
            variables.emplace_back(line);
        else if (changed->second)
            variables.push_back(changed->first + "=" + *changed->second);
    }
    for (const auto& [name, value] : g_context.changes) {
        if (!value)
            continue;
        bool inProcess = false;
        for (char** entry = environ; entry != nullptr && *entry != nullptr && !inProcess; ++entry)
            inProcess = NameOf(*entry) == name;
        if (!inProcess)
            variables.push_back(name + "=" + *value);
    }
    return variables;
}

} // namespace vortalux::script
