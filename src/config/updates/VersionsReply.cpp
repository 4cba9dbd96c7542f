#include "VersionsReply.h"

#include "AsciiText.h"

#include <algorithm>
#include <charconv>

namespace vortalux {

namespace {

std::vector<std::string_view> SplitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    while (true) {
        const size_t colon = text.find(':');
        fields.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos)
            return fields;
        text.remove_prefix(colon + 1);
    }
}

// A count: digits only. Nothing for anything else, or for a number too large for any reply.
std::optional<size_t> Count(std::string_view text)
{
    size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Reads the count at fields[at] and the pairs after it; `at` moves past them.
bool ReadItems(const std::vector<std::string_view>& fields, size_t& at, std::vector<OfferedItem>& items)
{
    if (at >= fields.size())
        return false;
    const std::optional<size_t> count = Count(fields[at]);
    ++at;
    if (!count || *count > (fields.size() - at) / 2)
        return false;
    items.reserve(*count);
    for (size_t k = 0; k < *count; ++k, at += 2) {
        if (!IsPlainFileName(fields[at]))
            return false;
        items.push_back({std::string(fields[at]), std::string(fields[at + 1])});
    }
    return true;
}

} // namespace

bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && std::none_of(name.begin(), name.end(), [](char c) {
        return c == '/' || c == '\\' || IsAsciiControl(c);
    });
}

std::optional<VersionsReply> VersionsReply::Read(std::string_view replyText)
{
    if (!replyText.starts_with("ok"))
        return std::nullopt;
    const std::vector<std::string_view> fields = SplitFields(replyText.substr(2));
    if (fields.size() < 3)
        return std::nullopt;
    VersionsReply reply;
    reply.engineVersion = fields[0];
    reply.programVersion = fields[1];
    size_t at = 2;
    if (!ReadItems(fields, at, reply.managers) || !ReadItems(fields, at, reply.rules))
        return std::nullopt;
    return reply;
}

} // namespace vortalux
