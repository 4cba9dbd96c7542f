#pragma once

#include <string>
#include <string_view>

namespace vortalux::script {

// Path texts as FileSystemObject reads them, with Linux's "/" as the one separator. Trailing
// separators do not count ("a/b/" names "b"); none of these looks at the disk except
// AbsolutePath, which reads the current directory.

// The last component: "b" of "/a/b"; "" for "/" and "".
std::string FileNameOf(std::string_view path);
// Everything before the last component: "/a" of "/a/b", "/" of "/a", "" of "a" and "/".
std::string ParentOf(std::string_view path);
// `path` against the current directory, "." and ".." resolved as text, no trailing separator
// (but for "/"). The empty path names the current directory.
std::string AbsolutePath(std::string_view path);

// Whether a name holds the wildcards "*" (any run of bytes) or "?" (any one byte).
bool HasWildcards(std::string_view name);
// Whether `name` matches `pattern`. As on Windows, a pattern that ends in ".*" also matches
// names without an extension ("*.*" matches every name).
bool MatchesWildcards(std::string_view pattern, std::string_view name);

} // namespace vortalux::script
