// Reads the input as a Netscape cookie file (or, when it starts like one, as a SQLite cookie
// database) and asks for the cookies of an address named on its first line. Whatever the file
// holds, the answer must be one header value: no line break, no control byte.
#include "CookieStore.h"
#include "FirefoxCookieDatabase.h"
#include "NetscapeCookieFile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

using namespace vortalux;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<Cookie> ReadDatabase(std::string_view bytes)
{
    static const std::filesystem::path path
        = std::filesystem::temp_directory_path() / ("cookie-fuzz-" + std::to_string(getpid()) + ".sqlite");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<Cookie> cookies = ReadFirefoxCookies(path);
    std::filesystem::remove(path);
    return cookies;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view sqliteMagic {"SQLite format 3\0", 16};

    std::string url = "https://www.example.com/dir/";
    std::vector<Cookie> cookies;
    if (input.starts_with(sqliteMagic)) {
        cookies = ReadDatabase(input);
    } else {
        const size_t lineEnd = input.find('\n');
        if (lineEnd != std::string_view::npos && lineEnd < 200)
            url = std::string(input.substr(0, lineEnd));
        cookies = ParseNetscapeCookies(input);
    }
    const std::string header = CookieStore::CookieHeader(cookies, url, 1'700'000'000);
    for (const char c : header)
        Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    Check(header.empty() || !cookies.empty());
    return 0;
}
