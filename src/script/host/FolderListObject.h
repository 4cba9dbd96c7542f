#pragma once

#include "FileItemObject.h"
#include "ScriptObject.h"

#include <string>

namespace vortalux::script {

// The Files or the SubFolders of a folder: Count, Item(name) (the default member) and For Each,
// each a File or Folder object, listed from the file system at each use.
class FolderListObject final : public ScriptObject {
public:
    FolderListObject(FileItemObject::Kind kind, std::string folder);

    std::string TypeName() const override
    {
        return m_kind == FileItemObject::Kind::File ? "Files" : "Folders";
    }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;

private:
    std::vector<std::string> Names() const;

    FileItemObject::Kind m_kind;
    std::string m_folder;
};

} // namespace vortalux::script
