#include "ProfileFile.h"

#include "AsciiText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c)
{
    // What the profile reader trims: the common blanks and, as the format has it, the old
    // end-of-file mark (Ctrl-Z).
    return IsAsciiBlank(c) || c == '\x1a';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

} // namespace

ProfileFile::ProfileFile(fs::path path)
    : m_path(std::move(path))
{
}

ProfileFile ProfileFile::Load(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return ProfileFile(path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ProfileFile(path);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return FromBytes(path, bytes);
}

ProfileFile ProfileFile::FromBytes(fs::path path, std::string_view bytes)
{
    ProfileFile file(std::move(path));
    file.Parse(bytes);
    return file;
}

void ProfileFile::Parse(std::string_view bytes)
{
    m_lines.clear();
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t newline = bytes.find('\n', start);
        Line line;
        if (newline == std::string_view::npos) {
            line.text = bytes.substr(start);
            start = bytes.size();
        } else {
            size_t end = newline;
            if (end > start && bytes[end - 1] == '\r')
                --end;
            line.text = bytes.substr(start, end - start);
            line.lineBreak = bytes.substr(end, newline + 1 - end);
            start = newline + 1;
        }
        Classify(line, m_lines.empty());
        m_lines.push_back(std::move(line));
    }
}

void ProfileFile::Classify(Line& line, bool firstLine)
{
    std::string_view text = line.text;
    if (firstLine && text.substr(0, Utf8Bom.size()) == Utf8Bom)
        text.remove_prefix(Utf8Bom.size());
    std::string_view trimmed = text;
    while (!trimmed.empty() && IsBlank(trimmed.front()))
        trimmed.remove_prefix(1);
    if (trimmed.empty())
        return;

    if (trimmed.front() == '[') {
        const size_t close = trimmed.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = LineKind::Section;
            line.lowerName = AsciiLowerCopy(trimmed.substr(1, close - 1));
            return;
        }
    }

    line.kind = LineKind::Key;
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        line.lowerName = AsciiLowerCopy(Trim(trimmed));
        return;
    }
    line.lowerName = AsciiLowerCopy(Trim(trimmed.substr(0, equals)));
    line.hasValue = true;
    line.valueOffset = static_cast<size_t>(trimmed.data() - line.text.data()) + equals + 1;
}

size_t ProfileFile::FindSection(std::string_view lowerSection) const
{
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Section && m_lines[i].lowerName == lowerSection)
            return i;
    }
    return std::string::npos;
}

size_t ProfileFile::FindKey(size_t sectionLine, std::string_view lowerKey) const
{
    for (size_t i = sectionLine + 1; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == LineKind::Section)
            break;
        if (line.kind == LineKind::Key && line.lowerName == lowerKey)
            return i;
    }
    return std::string::npos;
}

std::string ProfileFile::Read(
    std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const size_t sectionLine = FindSection(AsciiLowerCopy(section));
    if (sectionLine == std::string::npos)
        return std::string(defaultValue);
    const size_t keyLine = FindKey(sectionLine, AsciiLowerCopy(key));
    if (keyLine == std::string::npos || !m_lines[keyLine].hasValue)
        return std::string(defaultValue);

    const Line& line = m_lines[keyLine];
    std::string_view value = Trim(std::string_view(line.text).substr(line.valueOffset));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > MaxValueLength)
        value = value.substr(0, MaxValueLength);
    return std::string(value);
}

bool ProfileFile::Contains(std::string_view section, std::string_view key) const
{
    const size_t sectionLine = FindSection(AsciiLowerCopy(section));
    if (sectionLine == std::string::npos)
        return false;
    const size_t keyLine = FindKey(sectionLine, AsciiLowerCopy(key));
    return keyLine != std::string::npos && m_lines[keyLine].hasValue;
}

std::string ProfileFile::NewLineBreak() const
{
    // Files we start use CR LF; a file written with LF alone keeps its style.
    for (const Line& line : m_lines) {
        if (!line.lineBreak.empty())
            return line.lineBreak;
    }
    return "\r\n";
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    std::string oneLine(value);
    for (char& c : oneLine) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    const std::string lowerSection = AsciiLowerCopy(section);
    const std::string lowerKey = AsciiLowerCopy(key);
    const std::string lineBreak = NewLineBreak();

    auto makeKeyLine = [&](std::string_view name) {
        Line line;
        line.text = std::string(name) + "=" + oneLine;
        line.lineBreak = lineBreak;
        Classify(line, false);
        return line;
    };

    size_t sectionLine = FindSection(lowerSection);
    if (sectionLine == std::string::npos) {
        if (!m_lines.empty()) {
            if (m_lines.back().lineBreak.empty())
                m_lines.back().lineBreak = lineBreak;
            Line blank;
            blank.lineBreak = lineBreak;
            m_lines.push_back(std::move(blank));
        }
        Line header;
        header.text = "[" + std::string(section) + "]";
        header.lineBreak = lineBreak;
        Classify(header, false);
        m_lines.push_back(std::move(header));
        m_lines.push_back(makeKeyLine(key));
        return;
    }

    const size_t keyLine = FindKey(sectionLine, lowerKey);
    if (keyLine != std::string::npos) {
        Line& line = m_lines[keyLine];
        // Keep the key as the file spells it, with whatever stood before it on the line.
        const size_t equals = line.hasValue ? line.valueOffset - 1 : line.text.size();
        std::string head = line.text.substr(0, equals);
        while (!head.empty() && IsBlank(head.back()))
            head.pop_back();
        line.text = head + "=" + oneLine;
        if (line.lineBreak.empty() && keyLine + 1 < m_lines.size())
            line.lineBreak = lineBreak;
        Classify(line, keyLine == 0);
        return;
    }

    // A new key goes after the last non-blank line of its section.
    size_t insertAt = sectionLine + 1;
    for (size_t i = sectionLine + 1; i < m_lines.size() && m_lines[i].kind != LineKind::Section; ++i) {
        if (!Trim(m_lines[i].text).empty())
            insertAt = i + 1;
    }
    if (m_lines[insertAt - 1].lineBreak.empty())
        m_lines[insertAt - 1].lineBreak = lineBreak;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), makeKeyLine(key));
}

std::string ProfileFile::Bytes() const
{
    std::string bytes;
    for (const Line& line : m_lines) {
        bytes += line.text;
        bytes += line.lineBreak;
    }
    return bytes;
}

bool ProfileFile::Save() const { return WriteFileAtomically(m_path, Bytes()); }

bool ProfileFile::Save(std::error_code& error) const { return WriteFileAtomically(m_path, Bytes(), error); }

std::string ProfileFile::ReadValue(
    const fs::path& path, std::string_view section, std::string_view key, std::string_view defaultValue)
{
    return Load(path).Read(section, key, defaultValue);
}

bool ProfileFile::WriteValue(
    const fs::path& path, std::string_view section, std::string_view key, std::string_view value)
{
    ProfileFile file = Load(path);
    file.Write(section, key, value);
    return file.Save();
}

bool FileExists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes)
{
    std::error_code error;
    return WriteFileAtomically(path, bytes, error);
}

namespace {

// `permissions` empty: those of the file replaced, or the usual ones for a new file.
bool WriteAtomically(
    const fs::path& path, std::string_view bytes, std::optional<mode_t> permissions, std::error_code& error)
{
    error.clear();
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    // The temporary name must fit where the file's own name fits (255 bytes on the usual file
    // systems): a long name is shortened in it.
    constexpr size_t KeptNameBytes = 200;
    std::string temporary
        = (folder / ("." + path.filename().string().substr(0, KeptNameBytes) + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return false;
    }

    // The first failing call says why; later calls and the clean-up must not overwrite it.
    int failure = 0;
    const auto check = [&failure](bool ok) {
        if (!ok && failure == 0)
            failure = errno != 0 ? errno : EIO;
        return ok;
    };
    bool ok = true;
    for (size_t written = 0; ok && written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        ok = check(n > 0);
        if (ok)
            written += static_cast<size_t>(n);
    }
    // The new file takes the permissions asked for, else the old one's, else the usual ones for
    // a new file.
    struct stat old { };
    mode_t mode = 0;
    if (permissions) {
        mode = *permissions;
    } else if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ok = ok && check(::fchmod(fd, mode) == 0);
    ok = ok && check(::fsync(fd) == 0);
    ok = check(::close(fd) == 0) && ok;
    ok = ok && check(::rename(temporary.c_str(), path.c_str()) == 0);
    if (!ok) {
        ::unlink(temporary.c_str());
        error.assign(failure, std::generic_category());
    }
    return ok;
}

} // namespace

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::error_code& error)
{
    return WriteAtomically(path, bytes, std::nullopt, error);
}

bool WriteFileAtomically(
    const fs::path& path, std::string_view bytes, fs::perms permissions, std::error_code& error)
{
    return WriteAtomically(path, bytes, static_cast<mode_t>(permissions & fs::perms::mask), error);
}

} // namespace vortalux
