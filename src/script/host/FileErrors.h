#pragma once

#include <string>

namespace vortalux::script {

// Raises the VBScript error that matches the system error `error` met on `path`: 53 "File not
// found", 76 "Path not found" (the folder is missing), 70 "Permission denied", 58 "File already
// exists", 61 "Disk full", 67 "Too many files", 52 "Bad file name or number", else 57.
[[noreturn]] void RaiseFileError(int error, const std::string& path);

} // namespace vortalux::script
