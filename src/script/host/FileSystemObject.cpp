#include "FileSystemObject.h"

#include "AsciiText.h"
#include "FileErrors.h"
#include "FileItemObject.h"
#include "FileOperations.h"
#include "FilePaths.h"
#include "HostArguments.h"
#include "ProcessContext.h"
#include "TextStreamObject.h"

#include <cerrno>
#include <random>
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

// The last component split at its last ".".
std::pair<std::string, std::string> SplitExtension(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

std::string TempName()
{
    static thread_local std::mt19937 generator {std::random_device {}()};
    std::uniform_int_distribution<uint32_t> digits(0, 0xFFFFF);
    static constexpr char Hex[] = "0123456789ABCDEF";
    const uint32_t value = digits(generator);
    std::string name = "rad";
    for (int shift = 16; shift >= 0; shift -= 4)
        name += Hex[(value >> shift) & 0xF];
    return name + ".tmp";
}

std::string RequiredPath(const Variant& value)
{
    std::string path = ToString(value);
    if (path.empty())
        Raise(errc::InvalidProcedureCall);
    return ProcessContext::Resolve(path);
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
        return Variant::FromObject(TextStreamObject::Open(ProcessContext::Resolve(ToString(args[0])), mode,
            create ? Disposition::CreateIfMissing : Disposition::OpenExisting));
    }
    if (EqualsNoCase(name, "CreateTextFile")) {
        RequireArgumentCount(args, 1, 3);
        const bool overwrite = OptionalBool(args, 1, true);
        return Variant::FromObject(
            TextStreamObject::Open(ProcessContext::Resolve(ToString(args[0])), TextStreamObject::Mode::Write,
                overwrite ? Disposition::CreateOrTruncate : Disposition::CreateNew));
    }
    if (EqualsNoCase(name, "FileExists")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromBool(KindOf(ProcessContext::Resolve(ToString(args[0]))) == Kind::File);
    }
    if (EqualsNoCase(name, "FolderExists")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromBool(KindOf(ProcessContext::Resolve(ToString(args[0]))) == Kind::Folder);
    }
    if (EqualsNoCase(name, "CreateFolder")) {
        RequireArgumentCount(args, 1, 1);
        const std::string path = ProcessContext::Resolve(ToString(args[0]));
        if (path.empty())
            Raise(errc::InvalidProcedureCall);
        if (::mkdir(path.c_str(), 0777) != 0)
            RaiseFileError(errno == ENOENT ? ENOTDIR : errno, path);
        return {};
    }
    if (EqualsNoCase(name, "GetFileName") || EqualsNoCase(name, "GetBaseName")
        || EqualsNoCase(name, "GetExtensionName") || EqualsNoCase(name, "GetParentFolderName")
        || EqualsNoCase(name, "GetAbsolutePathName")) {
        RequireArgumentCount(args, 1, 1);
        const std::string path = ToString(args[0]);
        if (EqualsNoCase(name, "GetFileName"))
            return Variant::FromString(FileNameOf(path));
        if (EqualsNoCase(name, "GetBaseName"))
            return Variant::FromString(SplitExtension(path).first);
        if (EqualsNoCase(name, "GetExtensionName"))
            return Variant::FromString(SplitExtension(path).second);
        if (EqualsNoCase(name, "GetParentFolderName"))
            return Variant::FromString(ParentOf(path));
        return Variant::FromString(AbsolutePath(path));
    }
    if (EqualsNoCase(name, "GetTempName")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromString(TempName());
    }
    if (EqualsNoCase(name, "GetFile") || EqualsNoCase(name, "GetFolder")) {
        RequireArgumentCount(args, 1, 1);
        const bool file = EqualsNoCase(name, "GetFile");
        const std::string path = AbsolutePath(RequiredPath(args[0]));
        if (KindOf(path) != (file ? Kind::File : Kind::Folder))
            Raise(file ? 53 : 76);
        return Variant::FromObject(std::make_shared<FileItemObject>(
            file ? FileItemObject::Kind::File : FileItemObject::Kind::Folder, path));
    }
    if (EqualsNoCase(name, "DeleteFile")) {
        RequireArgumentCount(args, 1, 2);
        DeleteFiles(RequiredPath(args[0]), OptionalBool(args, 1, false));
        return {};
    }
    if (EqualsNoCase(name, "DeleteFolder")) {
        RequireArgumentCount(args, 1, 2);
        DeleteFolders(RequiredPath(args[0]));
        return {};
    }
    if (EqualsNoCase(name, "CopyFile")) {
        RequireArgumentCount(args, 2, 3);
        CopyFiles(RequiredPath(args[0]), RequiredPath(args[1]),
            OptionalBool(args, 2, true) ? Overwrite::Yes : Overwrite::No);
        return {};
    }
    if (EqualsNoCase(name, "MoveFile")) {
        RequireArgumentCount(args, 2, 2);
        MoveFiles(RequiredPath(args[0]), RequiredPath(args[1]));
        return {};
    }
    if (EqualsNoCase(name, "BuildPath")) {
        RequireArgumentCount(args, 2, 2);
        return Variant::FromString(BuildPath(ToString(args[0]), ToString(args[1])));
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
