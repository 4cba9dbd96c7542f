#include "UpdateFileList.h"

#include "ProfileFile.h"

#include <fstream>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

bool IsControlByte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7f'; }

bool Writable(const fs::path& path)
{
    const std::string& text = path.native();
    if (text.empty())
        return false;
    for (const char c : text) {
        if (IsControlByte(c))
            return false;
    }
    return true;
}

} // namespace

std::string UpdateFileList::Format(const std::vector<fs::path>& vtuPaths)
{
    std::string bytes;
    for (const fs::path& path : vtuPaths)
        bytes += path.native() + "\r\n";
    return bytes;
}

bool UpdateFileList::Write(
    const fs::path& programDirectory, const std::vector<fs::path>& vtuPaths, std::error_code& error)
{
    if (vtuPaths.size() > MaxEntries) {
        error = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    for (const fs::path& path : vtuPaths) {
        if (!Writable(path)) {
            error = std::make_error_code(std::errc::invalid_argument);
            return false;
        }
    }
    return WriteFileAtomically(programDirectory / std::string(FileName), Format(vtuPaths), error);
}

UpdateFileList::ReadResult UpdateFileList::Parse(std::string_view bytes)
{
    ReadResult result;
    if (bytes.size() > MaxBytes) {
        result.error = "the list is larger than " + std::to_string(MaxBytes) + " bytes";
        return result;
    }
    size_t lineNumber = 0;
    for (size_t start = 0; start < bytes.size();) {
        ++lineNumber;
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            result.error = "line " + std::to_string(lineNumber) + " does not end with a line break";
            break;
        }
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;
        if (line.empty()) {
            result.error = "line " + std::to_string(lineNumber) + " is empty";
            break;
        }
        bool control = false;
        for (const char c : line)
            control = control || IsControlByte(c);
        if (control) {
            result.error = "line " + std::to_string(lineNumber) + " holds a control character";
            break;
        }
        if (result.paths.size() == MaxEntries) {
            result.error = "the list names more than " + std::to_string(MaxEntries) + " files";
            break;
        }
        result.paths.emplace_back(line);
    }
    if (!result.Ok())
        result.paths.clear();
    return result;
}

UpdateFileList::ReadResult UpdateFileList::Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        ReadResult result;
        result.error = "cannot open " + file.string();
        return result;
    }
    // One byte past the limit is enough to refuse a larger file without reading all of it.
    std::string bytes(MaxBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        ReadResult result;
        result.error = "cannot read " + file.string();
        return result;
    }
    bytes.resize(static_cast<size_t>(in.gcount()));
    return Parse(bytes);
}

} // namespace vortalux
