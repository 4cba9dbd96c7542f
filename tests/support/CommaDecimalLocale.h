#pragma once

#include <optional>
#include <string>

namespace vortalux::test {

// Puts the process under a locale whose decimal mark is "," (German), as a Qt application does
// for a user who has one, and restores the previous locale when it goes away. In its Latin-1
// form <cctype> also takes bytes above 0x7F for letters ("\xe9" is alphabetic). The locale is the
// system's own when installed, else built with localedef (from the Debian package "locales")
// into a folder under the temporary folder, named by LOCPATH, so that a fresh machine needs no
// generated locales; later test programs find it built.
//
//     CommaDecimalLocale locale;
//     if (!locale.Active())
//         GTEST_SKIP() << locale.Problem();
class CommaDecimalLocale {
public:
    enum class Charset { Utf8, Latin1 };

    explicit CommaDecimalLocale(Charset charset = Charset::Utf8);
    ~CommaDecimalLocale();
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    // True when the process locale now writes "," as its decimal mark (checked with
    // localeconv(), not assumed).
    bool Active() const { return m_active; }
    // Why the locale could not be made, when it could not.
    const std::string& Problem() const { return m_problem; }

private:
    bool m_active = false;
    std::string m_problem;
    std::string m_previousLocale;
    std::optional<std::string> m_previousLocPath;
    bool m_changedLocPath = false;
};

} // namespace vortalux::test
