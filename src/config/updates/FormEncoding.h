#pragma once

#include <string>
#include <string_view>

namespace vortalux {

// The form encoding of one name or value of a request to the update server: the digits and the
// ASCII letters stay, a space becomes "+", every other byte becomes "%" and two upper-case hex
// digits ("/" gives "%2F", CR LF "%0D%0A", the byte 0xE9 "%E9"). So no byte of a value can
// reach the request as anything but these characters.
std::string UrlEncode(std::string_view text);

// Appends "name=value", both encoded, to a request body, after an "&" unless the body is empty.
void AddVarToBuffer(std::string& requestBody, std::string_view name, std::string_view value);

} // namespace vortalux
