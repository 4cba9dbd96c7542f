#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::server {

// One name=value pair of a form body, decoded to the bytes the client meant.
struct FormField {
    std::string name;
    std::string value;

    bool operator==(const FormField&) const = default;
};

// Decodes an application/x-www-form-urlencoded body as the configuration program writes it:
// pairs joined by "&", each "name=value", "+" for a blank and "%HH" for any other byte (either
// case of hex digit is taken). The pairs keep their order and a name may repeat. An empty body
// has no pairs. Anything else is refused rather than guessed at (nullopt): an empty pair, a pair
// without "=", a "%" not followed by two hex digits, or more than `maxFields` pairs.
std::optional<std::vector<FormField>> DecodeFormBody(std::string_view body, size_t maxFields = 100000);

// The client's encoding of one name or value: ASCII letters and digits stay, a blank becomes "+",
// every other byte "%HH" with upper-case hex digits.
std::string EncodeFormText(std::string_view text);

// A whole body: the pairs encoded and joined by "&".
std::string EncodeFormBody(const std::vector<FormField>& fields);

} // namespace vortalux::server
