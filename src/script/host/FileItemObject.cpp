#include "FileItemObject.h"

#include "AsciiText.h"
#include "FileDates.h"
#include "FileOperations.h"
#include "FilePaths.h"
#include "FolderListObject.h"
#include "HostArguments.h"
#include "RunBudget.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace vortalux::script {

namespace {

Variant SizeValue(uintmax_t bytes)
{
    if (bytes <= static_cast<uintmax_t>(INT32_MAX))
        return Variant::FromLong(static_cast<int32_t>(bytes));
    return Variant::FromDouble(static_cast<double>(bytes));
}

// All a folder holds, its sub-folders' files included; symbolic links count as themselves.
uintmax_t FolderSize(const std::string& path)
{
    uintmax_t total = 0;
    std::error_code error;
    auto entries = std::filesystem::recursive_directory_iterator(
        path, std::filesystem::directory_options::skip_permission_denied, error);
    for (const auto end = std::filesystem::recursive_directory_iterator(); !error && entries != end;
         entries.increment(error)) {
        RunBudget::CheckDeadline();
        std::error_code ignored;
        if (entries->is_regular_file(ignored) && !entries->is_symlink(ignored))
            total += entries->file_size(ignored);
    }
    return total;
}

} // namespace

FileItemObject::FileItemObject(Kind kind, std::string path)
    : m_kind(kind)
    , m_path(std::move(path))
{
}

void FileItemObject::RaiseGone() const { Raise(m_kind == Kind::File ? 53 : 76); }

Variant FileItemObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Files") || EqualsNoCase(name, "SubFolders")) {
        if (m_kind != Kind::Folder)
            Raise(errc::NoSuchMember);
        const Kind listed = EqualsNoCase(name, "Files") ? Kind::File : Kind::Folder;
        return ApplyToDefault(Variant::FromObject(std::make_shared<FolderListObject>(listed, m_path)), args);
    }
    if (EqualsNoCase(name, "ParentFolder")) {
        const std::string parent = ParentOf(m_path);
        if (parent.empty())
            return Variant::Nothing();
        return ApplyToDefault(
            Variant::FromObject(std::make_shared<FileItemObject>(Kind::Folder, parent)), args);
    }
    RequireArgumentCount(args, 0, 0);
    if (name.empty() || EqualsNoCase(name, "Path"))
        return Variant::FromString(m_path);
    if (EqualsNoCase(name, "Name"))
        return Variant::FromString(FileNameOf(m_path));
    if (EqualsNoCase(name, "IsRootFolder") && m_kind == Kind::Folder)
        return Variant::FromBool(m_path == "/");
    const bool size = EqualsNoCase(name, "Size");
    const bool modified = EqualsNoCase(name, "DateLastModified");
    const bool accessed = EqualsNoCase(name, "DateLastAccessed");
    if (size || modified || accessed) {
        struct stat info { };
        if (::stat(m_path.c_str(), &info) != 0 || S_ISDIR(info.st_mode) != (m_kind == Kind::Folder))
            RaiseGone();
        if (modified)
            return Variant::FromDate(LocalOleDate(info.st_mtime));
        if (accessed)
            return Variant::FromDate(LocalOleDate(info.st_atime));
        return SizeValue(m_kind == Kind::File ? static_cast<uintmax_t>(info.st_size) : FolderSize(m_path));
    }
    return CallMethod(name, args);
}

Variant FileItemObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Delete")) {
        RequireArgumentCount(args, 0, 1);
        if (m_kind == Kind::File)
            DeleteFiles(m_path, OptionalBool(args, 0, false));
        else
            DeleteFolders(m_path);
        return {};
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
