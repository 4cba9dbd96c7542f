#pragma once

#include "Cookie.h"

#include <string_view>
#include <vector>

namespace vortalux {

// Reads a Netscape "cookies.txt" file (as written by browser extensions, curl and wget): one
// cookie a line, seven fields separated by tabs (domain, include subdomains, path, secure,
// expiry, name, value). Lines starting with "#HttpOnly_" are cookies, other "#" lines comments.
// Lines that do not fit the format are skipped. The creation time of a cookie is its line number.
std::vector<Cookie> ParseNetscapeCookies(std::string_view text);

} // namespace vortalux
