#include "FileErrors.h"

#include "ScriptError.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vortalux::script {

void RaiseFileError(int error, const std::string& path)
{
    switch (error) {
    case ENOENT: {
        // Windows tells a missing file from a missing folder on the way to it.
        std::error_code ignored;
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (parent.empty() || std::filesystem::is_directory(parent, ignored))
            Raise(53);
        Raise(76);
    }
    case ENOTDIR:
        Raise(76);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        Raise(70);
    case EEXIST:
        Raise(58);
    case ENOSPC:
    case EDQUOT:
        Raise(61);
    case EMFILE:
    case ENFILE:
        Raise(67);
    case ENAMETOOLONG:
    case EINVAL:
        Raise(52);
    default:
        Raise(57);
    }
}

} // namespace vortalux::script
