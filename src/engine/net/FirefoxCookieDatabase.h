#pragma once

#include "Cookie.h"

#include <filesystem>
#include <vector>

namespace vortalux {

// Reads the cookies of a Firefox profile's "cookies.sqlite". A running browser keeps that
// database locked and part of its content in the "-wal" log beside it, so the database and its
// log are copied into a private temporary folder first and the copy is opened read-only; SQLite
// rebuilds the log's index from the log itself. Only the cookies of ordinary browsing are taken
// (no container, private-window or partitioned cookies). Any failure gives no cookies.
std::vector<Cookie> ReadFirefoxCookies(const std::filesystem::path& database);

} // namespace vortalux
