#include "FirefoxCookieDatabase.h"

#include <sqlite3.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// Firefox stored expiry in seconds for a long time and now stores milliseconds; no expiry in
// seconds comes near this value (it lies thousands of years ahead).
constexpr std::int64_t MillisecondExpiryThreshold = 100'000'000'000;

class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "vortalux-cookies-XXXXXX").string();
        if (!ec && mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~PrivateTempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            fs::remove_all(m_path, ec);
    }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

struct FileStamp {
    std::uintmax_t size = 0;
    fs::file_time_type modified;
    bool exists = false;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const fs::path& path)
{
    std::error_code ec;
    FileStamp stamp;
    stamp.size = fs::file_size(path, ec);
    if (ec)
        return {};
    stamp.modified = fs::last_write_time(path, ec);
    stamp.exists = !ec;
    return stamp;
}

fs::path WithSuffix(const fs::path& path, const char* suffix) { return fs::path(path.string() + suffix); }

// Copies the database and its log. The browser may write while we copy; a copy during which
// either file changed is taken again, so database and log come from the same moment.
bool CopyDatabase(const fs::path& source, const fs::path& target)
{
    const fs::path sourceLog = WithSuffix(source, "-wal");
    const fs::path targetLog = WithSuffix(target, "-wal");
    for (int attempt = 0; attempt < 3; ++attempt) {
        const FileStamp before = StampOf(source);
        const FileStamp logBefore = StampOf(sourceLog);
        std::error_code ec;
        fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
        if (ec)
            return false;
        fs::remove(targetLog, ec);
        if (logBefore.exists) {
            fs::copy_file(sourceLog, targetLog, fs::copy_options::overwrite_existing, ec);
            if (ec)
                return false;
        }
        if (StampOf(source) == before && StampOf(sourceLog) == logBefore)
            return true;
    }
    // A browser that writes all the time: the last copy is still mostly sound.
    return true;
}

bool HasColumn(sqlite3* db, const char* table, const char* column)
{
    sqlite3_stmt* statement = nullptr;
    const std::string sql = std::string("PRAGMA table_info(") + table + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return false;
    bool found = false;
    while (!found && sqlite3_step(statement) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        found = name != nullptr && std::string_view(name) == column;
    }
    sqlite3_finalize(statement);
    return found;
}

std::string ColumnText(sqlite3_stmt* statement, int column)
{
    const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    return text == nullptr ? std::string() : std::string(text, static_cast<size_t>(size));
}

std::vector<Cookie> QueryCookies(sqlite3* db)
{
    std::vector<Cookie> cookies;
    std::string sql = "SELECT name, value, host, path, expiry, isSecure, ";
    sql += HasColumn(db, "moz_cookies", "creationTime") ? "creationTime" : "0";
    sql += " FROM moz_cookies";
    if (HasColumn(db, "moz_cookies", "originAttributes"))
        sql += " WHERE originAttributes = ''";
    sql += " ORDER BY rowid";

    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return cookies;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        Cookie cookie;
        cookie.name = ColumnText(statement, 0);
        cookie.value = ColumnText(statement, 1);
        cookie.host = ColumnText(statement, 2);
        cookie.path = ColumnText(statement, 3);
        cookie.expiry = sqlite3_column_int64(statement, 4);
        if (cookie.expiry > MillisecondExpiryThreshold)
            cookie.expiry /= 1000;
        cookie.secure = sqlite3_column_int64(statement, 5) != 0;
        cookie.creationTime = sqlite3_column_int64(statement, 6);
        cookies.push_back(std::move(cookie));
    }
    sqlite3_finalize(statement);
    return cookies;
}

} // namespace

std::vector<Cookie> ReadFirefoxCookies(const fs::path& database)
{
    const PrivateTempFolder folder;
    if (folder.Path().empty())
        return {};
    const fs::path copy = folder.Path() / "cookies.sqlite";
    if (!CopyDatabase(database, copy))
        return {};

    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<Cookie> cookies;
    if (opened == SQLITE_OK) {
        sqlite3_busy_timeout(db, 1000);
        cookies = QueryCookies(db);
    }
    sqlite3_close(db);
    return cookies;
}

} // namespace vortalux
