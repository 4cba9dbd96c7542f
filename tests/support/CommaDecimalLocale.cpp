#include "CommaDecimalLocale.h"

#include "TestSupport.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vortalux::test {

namespace {

struct LocaleName {
    const char* name; // as setlocale() and the folder know it
    const char* charmap; // localedef's -f
};

LocaleName NameOf(CommaDecimalLocale::Charset charset)
{
    return charset == CommaDecimalLocale::Charset::Latin1 ? LocaleName {"de_DE.ISO-8859-1", "ISO-8859-1"}
                                                          : LocaleName {"de_DE.UTF-8", "UTF-8"};
}

bool HasCommaDecimalMark()
{
    const lconv* conventions = std::localeconv();
    return conventions != nullptr && std::strcmp(conventions->decimal_point, ",") == 0;
}

// The folder to put in LOCPATH, or why there is none.
struct BuiltLocale {
    std::filesystem::path folder;
    std::string problem;
};

// Builds the locale with localedef once per machine and user: into a fresh temporary folder,
// then renamed into a folder under the temporary folder that later test programs find ready.
// A rename is all or nothing, so a program killed while building leaves no half locale behind.
BuiltLocale BuildLocale(const LocaleName& locale)
{
    BuiltLocale built;
    built.folder = std::filesystem::temp_directory_path() / ("vortalux-locales-" + std::to_string(getuid()));
    const std::filesystem::path ready = built.folder / locale.name;
    std::error_code error;
    if (std::filesystem::exists(ready / "LC_NUMERIC", error))
        return built;

    TempDir scratch;
    const std::string target = (scratch.Path() / locale.name).string();
    // -c writes the locale despite the warnings de_DE's sources give.
    const char* const argv[]
        = {"localedef", "-c", "-i", "de_DE", "-f", locale.charmap, target.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned
        = posix_spawnp(&child, "localedef", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        built.problem = "localedef could not be started (the Debian package \"locales\" provides it)";
        return built;
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!std::filesystem::exists(scratch.Path() / locale.name / "LC_NUMERIC", error)) {
        built.problem = std::string("localedef could not build ") + locale.name
            + " (the Debian package \"locales\" holds its sources)";
        return built;
    }
    std::filesystem::create_directories(built.folder, error);
    // Another test program may have won the race: its locale is as good as ours.
    std::filesystem::rename(scratch.Path() / locale.name, ready, error);
    if (!std::filesystem::exists(ready / "LC_NUMERIC", error))
        built.problem = "the built locale could not be moved to " + built.folder.string();
    return built;
}

const BuiltLocale& BuiltLocaleOnce(CommaDecimalLocale::Charset charset)
{
    static const BuiltLocale utf8 = BuildLocale(NameOf(CommaDecimalLocale::Charset::Utf8));
    if (charset == CommaDecimalLocale::Charset::Utf8)
        return utf8;
    static const BuiltLocale latin1 = BuildLocale(NameOf(CommaDecimalLocale::Charset::Latin1));
    return latin1;
}

} // namespace

CommaDecimalLocale::CommaDecimalLocale(Charset charset)
{
    const LocaleName locale = NameOf(charset);
    m_previousLocale = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, locale.name) != nullptr && HasCommaDecimalMark()) {
        m_active = true;
        return;
    }
    const BuiltLocale& built = BuiltLocaleOnce(charset);
    if (!built.problem.empty()) {
        m_problem = built.problem;
        std::setlocale(LC_ALL, m_previousLocale.c_str());
        return;
    }
    if (const char* locPath = std::getenv("LOCPATH"))
        m_previousLocPath = locPath;
    setenv("LOCPATH", built.folder.c_str(), 1);
    m_changedLocPath = true;
    if (std::setlocale(LC_ALL, locale.name) != nullptr && HasCommaDecimalMark()) {
        m_active = true;
        return;
    }
    m_problem = "the locale built with localedef does not write \",\" as its decimal mark";
    std::setlocale(LC_ALL, m_previousLocale.c_str());
}

CommaDecimalLocale::~CommaDecimalLocale()
{
    std::setlocale(LC_ALL, m_previousLocale.c_str());
    if (m_changedLocPath) {
        if (m_previousLocPath)
            setenv("LOCPATH", m_previousLocPath->c_str(), 1);
        else
            unsetenv("LOCPATH");
    }
}

} // namespace vortalux::test
