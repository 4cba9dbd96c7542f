#include "FileOperations.h"

#include "FileErrors.h"
#include "FilePaths.h"
#include "FileSystemObject.h"
#include "RunBudget.h"
#include "ScriptError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vortalux::script {

namespace {

constexpr int32_t FileNotFound = 53;
constexpr int32_t FileAlreadyExists = 58;
constexpr int32_t PermissionDenied = 70;
constexpr int32_t PathNotFound = 76;

enum class Kind { Missing, Folder, File };

Kind KindOf(const std::string& path, struct stat* info = nullptr)
{
    struct stat local { };
    struct stat& used = info != nullptr ? *info : local;
    if (path.empty() || ::stat(path.c_str(), &used) != 0)
        return Kind::Missing;
    return S_ISDIR(used.st_mode) ? Kind::Folder : Kind::File;
}

bool EndsWithSeparator(const std::string& path) { return !path.empty() && path.back() == '/'; }

std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The paths `pathPattern` names: itself, or with wildcards in its last component every entry of the
// wanted kind in its folder that matches, by name.
std::vector<std::string> Expand(const std::string& pathPattern, Kind wanted)
{
    const std::string name = FileNameOf(pathPattern);
    if (!HasWildcards(name))
        return {pathPattern};
    const std::string folder = ParentOf(pathPattern);
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr)
        Raise(PathNotFound);
    std::vector<std::string> paths;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view entryName(entry->d_name);
        if (entryName == "." || entryName == ".." || !MatchesWildcards(name, entryName))
            continue;
        std::string path = folder.empty() ? std::string(entryName)
                                          : FileSystemObject::BuildPath(folder, std::string(entryName));
        if (KindOf(path) == wanted)
            paths.push_back(std::move(path));
    }
    ::closedir(directory);
    std::sort(paths.begin(), paths.end());
    if (paths.empty())
        Raise(wanted == Kind::File ? FileNotFound : PathNotFound);
    return paths;
}

// The files a copy or a move takes: each must be a file.
std::vector<std::string> SourceFiles(const std::string& source)
{
    std::vector<std::string> sources = Expand(source, Kind::File);
    if (sources.size() == 1 && !HasWildcards(FileNameOf(source))) {
        const Kind kind = KindOf(source);
        if (kind == Kind::Missing)
            RaiseFileError(ENOENT, source);
        if (kind == Kind::Folder)
            Raise(FileNotFound);
    }
    return sources;
}

// Where each source goes.
std::string TargetOf(const std::string& source, const std::string& sourceSpec, const std::string& destination)
{
    if (EndsWithSeparator(destination) || HasWildcards(FileNameOf(sourceSpec))) {
        if (KindOf(destination) != Kind::Folder)
            Raise(PathNotFound);
        return FileSystemObject::BuildPath(destination, FileNameOf(source));
    }
    return destination;
}

// Removes the temporary file of a copy unless the copy was completed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path)
        : m_path(std::move(path))
    {
    }
    ~TemporaryFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    void Keep() { m_path.clear(); }

private:
    std::string m_path;
};

class Descriptor {
public:
    explicit Descriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_descriptor; }

private:
    int m_descriptor;
};

void CopyContents(const std::string& from, const std::string& to)
{
    const Descriptor input(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.Get() < 0)
        RaiseFileError(errno, from);
    struct stat info { };
    if (::fstat(input.Get(), &info) != 0)
        RaiseFileError(errno, from);
    const std::string folder = ParentOf(to);
    std::string temporaryName = (folder.empty() ? std::string() : WithoutTrailingSeparators(folder) + "/")
        + "." + FileNameOf(to) + ".XXXXXX";
    if (folder == "/")
        temporaryName = "/." + FileNameOf(to) + ".XXXXXX";
    const Descriptor output(::mkostemp(temporaryName.data(), O_CLOEXEC));
    if (output.Get() < 0)
        RaiseFileError(errno, to);
    TemporaryFile temporary(temporaryName);
    std::array<char, 1 << 16> buffer {};
    for (;;) {
        RunBudget::CheckDeadline();
        const ssize_t got = ::read(input.Get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            RaiseFileError(errno, from);
        if (got == 0)
            break;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put
                = ::write(output.Get(), buffer.data() + written, static_cast<size_t>(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                RaiseFileError(errno, to);
            written += put;
        }
    }
    ::fchmod(output.Get(), info.st_mode & 07777);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(output.Get(), times);
    if (::fsync(output.Get()) != 0)
        RaiseFileError(errno, to);
    if (::rename(temporaryName.c_str(), to.c_str()) != 0)
        RaiseFileError(errno, to);
    temporary.Keep();
}

} // namespace

void DeleteFiles(const std::string& pathPattern, bool force)
{
    const bool wildcards = HasWildcards(FileNameOf(pathPattern));
    for (const std::string& path : Expand(pathPattern, Kind::File)) {
        struct stat info { };
        const Kind kind = KindOf(path, &info);
        if (!wildcards && kind == Kind::Missing)
            RaiseFileError(ENOENT, path);
        if (kind != Kind::File)
            Raise(FileNotFound);
        if (!force && (info.st_mode & S_IWUSR) == 0)
            Raise(PermissionDenied);
        if (::unlink(path.c_str()) != 0)
            RaiseFileError(errno, path);
    }
}

void DeleteFolders(const std::string& pathPattern)
{
    for (const std::string& path : Expand(WithoutTrailingSeparators(pathPattern), Kind::Folder)) {
        if (KindOf(path) != Kind::Folder)
            Raise(PathNotFound);
        std::error_code error;
        std::filesystem::remove_all(path, error);
        if (error)
            RaiseFileError(error.value(), path);
    }
}

void CopyFiles(const std::string& source, const std::string& destination, Overwrite overwrite)
{
    for (const std::string& from : SourceFiles(source)) {
        const std::string to = TargetOf(from, source, destination);
        const Kind existing = KindOf(to);
        if (existing == Kind::Folder)
            Raise(PermissionDenied);
        if (existing == Kind::File && overwrite == Overwrite::No)
            Raise(FileAlreadyExists);
        CopyContents(from, to);
    }
}

void MoveFiles(const std::string& source, const std::string& destination)
{
    for (const std::string& from : SourceFiles(source)) {
        const std::string to = TargetOf(from, source, destination);
        if (KindOf(to) != Kind::Missing)
            Raise(FileAlreadyExists);
        // NOREPLACE: a file that appears at the target meanwhile is not overwritten either.
        int moved = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        if (moved != 0 && errno == EINVAL)
            moved = ::rename(from.c_str(), to.c_str()); // a file system without NOREPLACE
        if (moved == 0)
            continue;
        if (errno != EXDEV)
            RaiseFileError(errno, to);
        CopyContents(from, to);
        if (::unlink(from.c_str()) != 0)
            RaiseFileError(errno, from);
    }
}

} // namespace vortalux::script
