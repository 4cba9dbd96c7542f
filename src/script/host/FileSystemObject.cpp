#include "FileSystemObject.h"

#include "AsciiText.h"
#include "FileErrors.h"
#include "HostArguments.h"
#include "TextStreamObject.h"

#include <cerrno>
#include <sys/stat.h>

namespace vortalux::script {

namespace {

enum class Kind { Missing, Folder, File };

Kind KindOf(const std::string& path)
{
    struct stat info { };
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return Kind::Missing;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::File;
}

TextStreamObject::Mode ModeOf(int32_t ioMode)
{
    switch (ioMode) {
    case 1:
        return TextStreamObject::Mode::Read;
    case 2:
        return TextStreamObject::Mode::Write;
    case 8:
        return TextStreamObject::Mode::Append;
    default:
        Raise(errc::InvalidProcedureCall);
    }
}

} // namespace

std::string FileSystemObject::BuildPath(const std::string& path, const std::string& name)
{
    if (path.empty())
        return name;
    const bool pathEnds = path.back() == '/';
    const bool nameStarts = !name.empty() && name.front() == '/';
    if (pathEnds && nameStarts)
        return path + name.substr(1);
    if (pathEnds || nameStarts)
        return path + name;
    return path + "/" + name;
}

Variant FileSystemObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    using Disposition = TextStreamObject::Disposition;
    if (EqualsNoCase(name, "OpenTextFile")) {
        RequireArgumentCount(args, 1, 4);
        const TextStreamObject::Mode mode = ModeOf(OptionalLong(args, 1, 1));
        const bool create = OptionalBool(args, 2, false);
        return Variant::FromObject(TextStreamObject::Open(
            ToString(args[0]), mode, create ? Disposition::CreateIfMissing : Disposition::OpenExisting));
    }
    if (EqualsNoCase(name, "CreateTextFile")) {
        RequireArgumentCount(args, 1, 3);
        const bool overwrite = OptionalBool(args, 1, true);
        return Variant::FromObject(TextStreamObject::Open(ToString(args[0]), TextStreamObject::Mode::Write,
            overwrite ? Disposition::CreateOrTruncate : Disposition::CreateNew));
    }
    if (EqualsNoCase(name, "FileExists")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromBool(KindOf(ToString(args[0])) == Kind::File);
    }
    if (EqualsNoCase(name, "FolderExists")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromBool(KindOf(ToString(args[0])) == Kind::Folder);
    }
    if (EqualsNoCase(name, "CreateFolder")) {
        RequireArgumentCount(args, 1, 1);
        const std::string path = ToString(args[0]);
        if (path.empty())
            Raise(errc::InvalidProcedureCall);
        if (::mkdir(path.c_str(), 0777) != 0)
            RaiseFileError(errno == ENOENT ? ENOTDIR : errno, path);
        return {};
    }
    if (EqualsNoCase(name, "BuildPath")) {
        RequireArgumentCount(args, 2, 2);
        return Variant::FromString(BuildPath(ToString(args[0]), ToString(args[1])));
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
