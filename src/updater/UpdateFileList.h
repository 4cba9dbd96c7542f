#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vortalux {

// "FileList.vtu", the list an install leaves beside the ".vtu" copies of the program files it
// fetched: each copy's full path followed by CR LF, in fetch order, nothing else. vtlupd reads it
// once the configuration program has ended and puts each copy in place of its program file.
class UpdateFileList {
public:
    static constexpr std::string_view FileName = "FileList.vtu";
    // A program is a handful of files: a list longer than this, or larger, is not one an install
    // wrote.
    static constexpr size_t MaxEntries = 256;
    static constexpr size_t MaxBytes = 256 * 1024;

    struct ReadResult {
        std::vector<std::string> paths; // in file order, without line ends
        std::string error; // empty when the list was read
        bool Ok() const { return error.empty(); }
    };

    // The file's bytes: every path followed by CR LF.
    static std::string Format(const std::vector<std::filesystem::path>& vtuPaths);

    // Writes `programDirectory`/FileList.vtu atomically (temporary file, then rename). Fails with
    // EINVAL, writing nothing, when a path is empty or holds a control byte (the file could not
    // say it), or when there are more than MaxEntries paths.
    [[nodiscard]] static bool Write(const std::filesystem::path& programDirectory,
        const std::vector<std::filesystem::path>& vtuPaths, std::error_code& error);

    // The strict reader: lines end in CR LF or LF, the last one too; no line is empty or holds a
    // control byte; at most MaxEntries lines and MaxBytes bytes. An empty file is an empty list.
    // What the paths name is checked by the updater, not here.
    static ReadResult Parse(std::string_view bytes);
    static ReadResult Read(const std::filesystem::path& file);
};

} // namespace vortalux
