#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vortalux {

// One INI-style file, read and written the way the Windows profile functions do it, which every
// rule, definition, report and update file of the system was written for:
//  - section and key names compare without regard to ASCII case; the first matching section
//    counts, and the first matching key inside it;
//  - a value loses the blanks around it and one pair of matching enclosing quotes, and is cut
//    to 2047 characters;
//  - an absent key (or file) reads as the default, a key present with an empty value as the
//    empty text; a line without "=" is no value and also reads as the default;
//  - a write replaces one value in place, or adds the key at the end of its section, or adds
//    the section at the end of the file; every other line keeps its bytes, including lines that
//    are not key=value lines (a definition's script after its "[SCRIPT]" line).
// The file is read and parsed once when the object is made; reads are served from memory.
// Changes stay in memory until Save(), which replaces the file atomically.
class ProfileFile {
public:
    static constexpr size_t MaxValueLength = 2047;

    // An empty profile that Save() will write to `path`.
    explicit ProfileFile(std::filesystem::path path);
    // Reads and parses `path`; a missing or unreadable file (or a folder) is an empty profile.
    static ProfileFile Load(const std::filesystem::path& path);
    // Parses bytes already in memory.
    static ProfileFile FromBytes(std::filesystem::path path, std::string_view bytes);

    std::string Read(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // True when the key is present in the first matching section with an "=" (an empty value
    // counts as present).
    bool Contains(std::string_view section, std::string_view key) const;

    // Sets one value in memory. CR and LF in the value become blanks, so it stays on one line.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // Writes the file atomically: a temporary file in the same folder, then a rename over the
    // old one, so a reader or a crash sees either the old or the new file, never half of one.
    // False when the file could not be written (read-only folder, the path is a folder, ...).
    [[nodiscard]] bool Save() const;
    // The same, saying in `error` why the file could not be written.
    [[nodiscard]] bool Save(std::error_code& error) const;

    // The file's bytes as they stand, with the changes made so far.
    std::string Bytes() const;
    const std::filesystem::path& Path() const { return m_path; }

    // One-shot forms for a single key.
    static std::string ReadValue(const std::filesystem::path& path, std::string_view section,
        std::string_view key, std::string_view defaultValue);
    [[nodiscard]] static bool WriteValue(const std::filesystem::path& path, std::string_view section,
        std::string_view key, std::string_view value);

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        std::string text; // the line without its line break
        std::string lineBreak; // "\r\n", "\n" or "" (last line without a break)
        LineKind kind = LineKind::Other;
        std::string lowerName; // section or key name, trimmed and folded to lower case
        bool hasValue = false; // a key line with "="
        size_t valueOffset = 0; // where the value starts in `text` (after the "=")
    };

    void Parse(std::string_view bytes);
    static void Classify(Line& line, bool firstLine);
    // Index of the first section header named `lowerSection`, or npos.
    size_t FindSection(std::string_view lowerSection) const;
    // Index of the first key line `lowerKey` in the section starting at `sectionLine`, or npos.
    size_t FindKey(size_t sectionLine, std::string_view lowerKey) const;
    std::string NewLineBreak() const;

    std::filesystem::path m_path;
    std::vector<Line> m_lines;
};

// True when `path` names an existing file or folder.
bool FileExists(const std::filesystem::path& path);

// Replaces `path` atomically with `bytes` (temporary file in the same folder, then rename); the
// permissions of a file it replaces are kept. False when it could not be written.
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The same, with the system's reason in `error` (errno in the generic category) on failure.
[[nodiscard]] bool WriteFileAtomically(
    const std::filesystem::path& path, std::string_view bytes, std::error_code& error);
// The same, the new file with exactly `permissions` (a script the system runs: 0755).
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
    std::filesystem::perms permissions, std::error_code& error);

} // namespace vortalux
