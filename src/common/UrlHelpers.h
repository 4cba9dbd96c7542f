#pragma once

#include <string>
#include <string_view>

namespace vortalux {

// The address up to and including the first "/" at or after its 10th character: for
// "http://host:port/..." the scheme, host and port with the "/" that ends them. Empty when there
// is no such "/" (also for addresses shorter than 10 characters).
std::string ServerPart(std::string_view address);

// Splits an "http://", "https://" or "ftp://" address (scheme compared without regard to case).
// host: lower case, without port; port: the explicit one, else the scheme's (80, 443, 21);
// path: what follows the first "/" after the host, without that "/", case kept ("/" when the
// address has nothing after the host). False for other schemes and for a port that is not a
// number from 1 to 65535.
[[nodiscard]] bool SplitUrl(std::string_view address, std::string& host, int& port, std::string& path);

// The part after the last "/"; the whole address when that part is empty or there is no "/".
std::string UrlFileName(std::string_view address);

// The address up to and including its last "/" after the "://"; unchanged when it has no "://"
// or no "/" after it.
std::string UrlFolder(std::string_view address);

// True for addresses whose scheme is https (compared without regard to case).
bool IsHttpsUrl(std::string_view address);

} // namespace vortalux
