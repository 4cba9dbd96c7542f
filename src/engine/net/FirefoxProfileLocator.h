#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace vortalux {

// Finds the cookie database of the user's default Firefox profile under a home folder. Firefox
// lists its profiles in "profiles.ini"; the profile an installation starts with is the Default of
// an [Install...] section, and older files mark it with Default=1 in its [Profile...] section.
// Paths are relative to the folder of "profiles.ini" unless they are absolute.
class FirefoxProfileLocator {
public:
    explicit FirefoxProfileLocator(std::filesystem::path home);

    // The default profile's "cookies.sqlite" when it exists.
    std::optional<std::filesystem::path> FindCookieDatabase() const;

    // The same for the profile list in one "profiles.ini".
    static std::optional<std::filesystem::path> FindCookieDatabaseIn(
        const std::filesystem::path& profilesIni);

private:
    std::filesystem::path m_home;
};

} // namespace vortalux
