#pragma once

#include "ScriptObject.h"

#include <string>

namespace vortalux::script {

// "Scripting.FileSystemObject", the part definitions use:
//   OpenTextFile(path [, iomode 1|2|8 [, create [, format]]])   a TextStream (1 read, 2 write,
//                                                              8 append); create defaults to False
//   CreateTextFile(path [, overwrite [, unicode]])             overwrite defaults to True
//   FileExists(path), FolderExists(path), CreateFolder(path), BuildPath(path, name)
//   GetFileName, GetBaseName, GetExtensionName, GetParentFolderName, GetAbsolutePathName
//                                                              path texts (FilePaths.h)
//   GetTempName                                                "radXXXXX.tmp", X a hex digit
//   GetFile(path), GetFolder(path)                             FileItemObject; 53 / 76 when
//                                                              missing
//   DeleteFile(pathPattern [, force]), DeleteFolder(pathPattern [, force]),
//   CopyFile(source, destination [, overwrite]), MoveFile(source, destination)
//                                                              FileOperations.h; overwrite
//                                                              defaults to True
// Text is bytes: the format and unicode arguments are accepted and do not change the encoding.
// Failures raise VBScript's file errors (53, 58, 62, 70, 76 ...).
class FileSystemObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "FileSystemObject"; }
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

    // `path` and `name` joined by exactly one "/".
    static std::string BuildPath(const std::string& path, const std::string& name);
};

} // namespace vortalux::script
