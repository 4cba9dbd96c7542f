#include "FolderListObject.h"

#include "AsciiText.h"
#include "FileSystemObject.h"
#include "HostArguments.h"
#include "RunBudget.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace vortalux::script {

FolderListObject::FolderListObject(FileItemObject::Kind kind, std::string folder)
    : m_kind(kind)
    , m_folder(std::move(folder))
{
}

std::vector<std::string> FolderListObject::Names() const
{
    DIR* directory = ::opendir(m_folder.c_str());
    if (directory == nullptr)
        Raise(76);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat info { };
        if (::stat(FileSystemObject::BuildPath(m_folder, name).c_str(), &info) != 0)
            continue; // a dangling link is neither
        if (S_ISDIR(info.st_mode) == (m_kind == FileItemObject::Kind::Folder))
            names.push_back(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

Variant FolderListObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Count")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(Names().size()));
    }
    if (name.empty() || EqualsNoCase(name, "Item")) {
        RequireArgumentCount(args, 1, 1);
        const std::string wanted = ToString(args[0]);
        const std::vector<std::string> names = Names();
        if (wanted.find('/') != std::string::npos
            || std::find(names.begin(), names.end(), wanted) == names.end())
            Raise(m_kind == FileItemObject::Kind::File ? 53 : 76);
        return Variant::FromObject(
            std::make_shared<FileItemObject>(m_kind, FileSystemObject::BuildPath(m_folder, wanted)));
    }
    Raise(errc::NoSuchMember);
}

bool FolderListObject::Enumerate(std::vector<Variant>& items)
{
    for (const std::string& name : Names()) {
        RunBudget::CheckDeadline();
        items.push_back(Variant::FromObject(
            std::make_shared<FileItemObject>(m_kind, FileSystemObject::BuildPath(m_folder, name))));
    }
    return true;
}

} // namespace vortalux::script
