#include "UpdateJournal.h"

#include <sys/stat.h>

namespace vortalux {

namespace {

constexpr std::string_view Header = "vtlupd journal";
constexpr std::string_view ForwardLine = "forward";
constexpr std::string_view BackLine = "back";
constexpr std::string_view ReplacedPrefix = "replace ";
constexpr std::string_view AddedPrefix = "add ";
constexpr size_t MaxItems = 256;

} // namespace

bool IsPlainProgramFileName(std::string_view name)
{
    constexpr size_t MaxNameBytes = 200;
    if (name.empty() || name == "." || name == ".." || name.size() > MaxNameBytes)
        return false;
    for (const char c : name) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            return false;
    }
    return true;
}

std::string UpdateJournal::Format() const
{
    std::string bytes = std::string(Header) + "\r\n";
    bytes += std::string(direction == Direction::Forward ? ForwardLine : BackLine) + "\r\n";
    for (const Item& item : items)
        bytes += std::string(item.target == Target::Replaced ? ReplacedPrefix : AddedPrefix) + item.name
            + "\r\n";
    return bytes;
}

std::optional<UpdateJournal> UpdateJournal::Parse(std::string_view bytes, std::string& error)
{
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string_view::npos) {
            error = "the journal's last line is cut";
            return std::nullopt;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    if (lines.size() < 2 || lines[0] != Header || (lines[1] != ForwardLine && lines[1] != BackLine)) {
        error = "the journal does not start as vtlupd writes it";
        return std::nullopt;
    }
    if (lines.size() - 2 > MaxItems) {
        error = "the journal names too many files";
        return std::nullopt;
    }
    UpdateJournal journal;
    journal.direction = lines[1] == ForwardLine ? Direction::Forward : Direction::Back;
    for (size_t i = 2; i < lines.size(); ++i) {
        Item item;
        std::string_view name;
        if (lines[i].starts_with(ReplacedPrefix)) {
            name = lines[i].substr(ReplacedPrefix.size());
        } else if (lines[i].starts_with(AddedPrefix)) {
            name = lines[i].substr(AddedPrefix.size());
            item.target = Target::Added;
        } else {
            error = "journal line " + std::to_string(i + 1) + " is not a file entry";
            return std::nullopt;
        }
        if (!IsPlainProgramFileName(name)) {
            error
                = "journal line " + std::to_string(i + 1) + " does not name a file of the program directory";
            return std::nullopt;
        }
        item.name = std::string(name);
        journal.items.push_back(std::move(item));
    }
    return journal;
}

bool UpdateJournal::ExistsIn(const std::filesystem::path& programDirectory)
{
    struct stat info { };
    return ::lstat((programDirectory / std::string(FileName)).c_str(), &info) == 0;
}

} // namespace vortalux
