#include "FirefoxProfileLocator.h"

#include "AsciiText.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;

    std::string Value(std::string_view key) const
    {
        for (const auto& [entryKey, value] : entries) {
            if (EqualsNoCase(entryKey, key))
                return value;
        }
        return {};
    }
};

std::vector<IniSection> ReadIni(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<IniSection> sections;
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = TrimAsciiBlanks(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back({std::string(line.substr(1, line.size() - 2)), {}});
        } else if (const size_t equals = line.find('=');
                   equals != std::string_view::npos && !sections.empty()) {
            sections.back().entries.emplace_back(std::string(TrimAsciiBlanks(line.substr(0, equals))),
                std::string(TrimAsciiBlanks(line.substr(equals + 1))));
        }
    }
    return sections;
}

std::optional<fs::path> CookiesOf(const fs::path& folder, const std::string& profilePath, bool relative)
{
    if (profilePath.empty())
        return std::nullopt;
    const fs::path profile = relative ? folder / profilePath : fs::path(profilePath);
    fs::path cookies = profile / "cookies.sqlite";
    std::error_code ec;
    if (fs::is_regular_file(cookies, ec))
        return cookies;
    return std::nullopt;
}

} // namespace

FirefoxProfileLocator::FirefoxProfileLocator(fs::path home)
    : m_home(std::move(home))
{
}

std::optional<fs::path> FirefoxProfileLocator::FindCookieDatabase() const
{
    // The Debian package first, then the Flatpak and Snap packagings.
    for (const char* folder : {".mozilla/firefox", ".var/app/org.mozilla.firefox/.mozilla/firefox",
             "snap/firefox/common/.mozilla/firefox"}) {
        const fs::path ini = m_home / folder / "profiles.ini";
        std::error_code ec;
        if (!fs::is_regular_file(ini, ec))
            continue;
        if (auto cookies = FindCookieDatabaseIn(ini))
            return cookies;
    }
    return std::nullopt;
}

std::optional<fs::path> FirefoxProfileLocator::FindCookieDatabaseIn(const fs::path& profilesIni)
{
    const fs::path folder = profilesIni.parent_path();
    const std::vector<IniSection> sections = ReadIni(profilesIni);
    for (const IniSection& section : sections) {
        if (!StartsWithNoCase(section.name, "Install"))
            continue;
        const std::string path = section.Value("Default");
        if (auto cookies = CookiesOf(folder, path, !fs::path(path).is_absolute()))
            return cookies;
    }
    for (const IniSection& section : sections) {
        if (!StartsWithNoCase(section.name, "Profile") || section.Value("Default") != "1")
            continue;
        const std::string path = section.Value("Path");
        const std::string relative = section.Value("IsRelative");
        const bool isRelative = relative.empty() ? !fs::path(path).is_absolute() : relative == "1";
        if (auto cookies = CookiesOf(folder, path, isRelative))
            return cookies;
    }
    return std::nullopt;
}

} // namespace vortalux
