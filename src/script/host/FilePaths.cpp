#include "FilePaths.h"

#include "ProcessContext.h"

#include <filesystem>

namespace vortalux::script {

namespace {

std::string_view WithoutTrailingSeparators(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

bool MatchFrom(std::string_view pattern, std::string_view name)
{
    // Iterative matching with one remembered star: linear in practice, never exponential.
    size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::string FileNameOf(std::string_view path)
{
    path = WithoutTrailingSeparators(path);
    if (path == "/")
        return {};
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ParentOf(std::string_view path)
{
    path = WithoutTrailingSeparators(path);
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || path == "/")
        return {};
    std::string_view parent = path.substr(0, slash);
    while (parent.size() > 1 && parent.back() == '/')
        parent.remove_suffix(1);
    return parent.empty() ? "/" : std::string(parent);
}

std::string AbsolutePath(std::string_view path)
{
    const std::filesystem::path full(ProcessContext::Resolve(path.empty() ? std::string_view(".") : path));
    std::string text = full.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool HasWildcards(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

bool MatchesWildcards(std::string_view pattern, std::string_view name)
{
    if (MatchFrom(pattern, name))
        return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*"
        && name.find('.') == std::string_view::npos)
        return MatchFrom(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

} // namespace vortalux::script
