#pragma once

#include <string>

namespace vortalux::script {

// What FileSystemObject's DeleteFile, DeleteFolder, CopyFile and MoveFile do. The last component
// of a source may hold the wildcards "*" and "?" (FilePaths.h); a source that matches nothing
// raises 53 "File not found" for files, 76 "Path not found" for folders. Each stops at the first
// failure, as on Windows, with the error FileErrors.h maps.

// Files only. Without `force` a file without write permission (Windows' read-only) raises 70.
void DeleteFiles(const std::string& pathPattern, bool force);
// Folders and all they hold.
void DeleteFolders(const std::string& pathPattern);

enum class Overwrite { No, Yes };
// `destination` is a folder when it ends in "/" or the source has wildcards (it must exist:
// else 76), else the new file's name (an existing folder there raises 70). An existing file is
// replaced only with Overwrite::Yes, else 58. Each copy is written beside its target and renamed
// over it, so a copy cut short leaves the old file or the new one, never half of one; it keeps the
// source's permissions and modification time and stops at the script's deadline.
void CopyFiles(const std::string& source, const std::string& destination, Overwrite overwrite);
// As CopyFiles, but anything already at the target raises 58. A move between file systems is a
// copy, then a delete.
void MoveFiles(const std::string& source, const std::string& destination);

} // namespace vortalux::script
