#include "LaunchDetached.h"

#include <spawn.h>
#include <unistd.h> // environ

#include <cstring>

namespace vortalux {

bool LaunchDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
    const std::filesystem::path& workingDirectory, std::string& error)
{
    std::vector<char*> argv;
    std::string programText = program.string();
    argv.push_back(programText.data());
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
    ::posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int result
        = ::posix_spawn(&child, programText.c_str(), &actions, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        error = programText + ": " + std::strerror(result);
        return false;
    }
    return true;
}

} // namespace vortalux
