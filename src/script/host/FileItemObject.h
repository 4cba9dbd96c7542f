#pragma once

#include "ScriptObject.h"

#include <string>

namespace vortalux::script {

// A File or a Folder of Scripting.FileSystemObject (GetFile, GetFolder, the Files and
// SubFolders collections, ParentFolder), for the absolute path `path`:
//   Path (the default member), Name, Size, DateLastModified, DateLastAccessed, ParentFolder,
//   Delete([force])                                  both
//   Files, SubFolders, IsRootFolder                  folders
// Size is a Long, or a Double past 2 GiB; a folder's is the sum of all it holds. The dates are
// Dates in local time. The properties read the file system each time, as Windows does; a file
// gone meanwhile raises 53, a folder 76.
class FileItemObject final : public ScriptObject {
public:
    enum class Kind { File, Folder };

    FileItemObject(Kind kind, std::string path);

    std::string TypeName() const override { return m_kind == Kind::File ? "File" : "Folder"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    [[noreturn]] void RaiseGone() const;

    Kind m_kind;
    std::string m_path;
};

} // namespace vortalux::script
