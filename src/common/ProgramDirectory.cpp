#include "ProgramDirectory.h"

#include "AsciiText.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

fs::path& OverriddenDirectory()
{
    static fs::path directory;
    return directory;
}

// The file this code was linked into: the engine library when it is loaded by another program,
// the program itself otherwise.
fs::path ModuleDirectory()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) != 0 && info.dli_fname != nullptr) {
        std::error_code ec;
        fs::path module = fs::canonical(info.dli_fname, ec);
        if (!ec)
            return module.parent_path();
    }
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : exe.parent_path();
}

// A relative folder given by the user is taken from the working directory of the moment, once:
// the update list holds full paths, and programs started from here run in another directory.
fs::path Absolute(const fs::path& directory)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(directory, ec);
    return ec ? directory : absolute;
}

} // namespace

fs::path ProgramDirectory()
{
    if (!OverriddenDirectory().empty())
        return OverriddenDirectory();
    if (const char* home = std::getenv("VORTALUX_HOME"); home != nullptr && *home != '\0')
        return Absolute(home);
    static const fs::path moduleDirectory = ModuleDirectory();
    return moduleDirectory;
}

void SetProgramDirectory(const fs::path& directory)
{
    OverriddenDirectory() = directory.empty() ? directory : Absolute(directory);
}

std::vector<std::string> ListDirectory(const fs::path& directory, std::string_view extension)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (!EndsWithNoCase(name, extension))
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError) || !it->exists(typeError))
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int byCase = CompareNoCase(a, b);
        return byCase != 0 ? byCase < 0 : a < b;
    });
    return names;
}

fs::path ResolveCaseBlind(const fs::path& directory, std::string_view name)
{
    fs::path exact = directory / fs::path(std::string(name));
    std::error_code ec;
    if (fs::exists(exact, ec))
        return exact;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return exact;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        if (EqualsNoCase(it->path().filename().string(), name))
            return it->path();
    }
    return exact;
}

} // namespace vortalux
