#include "ReportStore.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <sqlite3.h>

namespace vortalux::server {

namespace {

constexpr const char* Schema = R"(
CREATE TABLE IF NOT EXISTS reports (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    received TEXT NOT NULL,
    address TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS report_fields (
    report_id INTEGER NOT NULL REFERENCES reports(id),
    position INTEGER NOT NULL,
    name BLOB NOT NULL,
    value BLOB NOT NULL,
    PRIMARY KEY (report_id, position)
);
)";

std::string ColumnBytes(sqlite3_stmt* statement, int column)
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    return data ? std::string(data, static_cast<size_t>(size)) : std::string();
}

void AppendNumber(std::string& out, int value, int width)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    const auto length = static_cast<int>(result.ptr - digits);
    out.append(static_cast<size_t>(std::max(0, width - length)), '0');
    out.append(digits, result.ptr);
}

} // namespace

ReportStore::~ReportStore()
{
    sqlite3_finalize(m_insertReport);
    sqlite3_finalize(m_insertField);
    sqlite3_close(m_db);
}

bool ReportStore::Execute(const char* sql) const
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::unique_ptr<ReportStore> ReportStore::Open(
    const std::filesystem::path& path, OpenMode mode, std::string& error)
{
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX
        | (mode == OpenMode::CreateIfMissing ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<ReportStore> store(new ReportStore(db));
    sqlite3_busy_timeout(db, 5000);
    // WAL with NORMAL synchronisation: a commit survives a crash of the server; a power cut may
    // lose the last reports, never corrupt the database.
    if (!store->Execute("PRAGMA journal_mode=WAL") || !store->Execute("PRAGMA synchronous=NORMAL")
        || !store->Execute(Schema)
        || sqlite3_prepare_v2(db, "INSERT INTO reports (received, address) VALUES (?, ?)", -1,
               &store->m_insertReport, nullptr)
            != SQLITE_OK
        || sqlite3_prepare_v2(db,
               "INSERT INTO report_fields (report_id, position, name, value) VALUES (?, ?, ?, ?)", -1,
               &store->m_insertField, nullptr)
            != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return nullptr;
    }
    return store;
}

bool ReportStore::Add(std::string_view received, std::string_view address, std::span<const FormField> fields)
{
    if (!Execute("BEGIN IMMEDIATE"))
        return false;
    bool stored = true;
    sqlite3_bind_text(
        m_insertReport, 1, received.data(), static_cast<int>(received.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(m_insertReport, 2, address.data(), static_cast<int>(address.size()), SQLITE_TRANSIENT);
    stored = sqlite3_step(m_insertReport) == SQLITE_DONE;
    sqlite3_reset(m_insertReport);
    const sqlite3_int64 id = sqlite3_last_insert_rowid(m_db);
    for (size_t i = 0; stored && i < fields.size(); ++i) {
        const FormField& field = fields[i];
        sqlite3_bind_int64(m_insertField, 1, id);
        sqlite3_bind_int64(m_insertField, 2, static_cast<sqlite3_int64>(i + 1));
        // Empty blobs are bound as zero-length blobs, not NULL, which the columns refuse.
        sqlite3_bind_blob(
            m_insertField, 3, field.name.data(), static_cast<int>(field.name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(
            m_insertField, 4, field.value.data(), static_cast<int>(field.value.size()), SQLITE_TRANSIENT);
        stored = sqlite3_step(m_insertField) == SQLITE_DONE;
        sqlite3_reset(m_insertField);
    }
    if (stored && Execute("COMMIT"))
        return true;
    Execute("ROLLBACK");
    return false;
}

bool ReportStore::All(std::vector<StoredReport>& reports, std::string& error) const
{
    reports.clear();
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT r.id, r.received, r.address, f.name, f.value FROM reports r "
                      "LEFT JOIN report_fields f ON f.report_id = r.id ORDER BY r.id, f.position";
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        const int64_t id = sqlite3_column_int64(statement, 0);
        if (reports.empty() || reports.back().id != id) {
            StoredReport& report = reports.emplace_back();
            report.id = id;
            report.received = ColumnBytes(statement, 1);
            report.address = ColumnBytes(statement, 2);
        }
        if (sqlite3_column_type(statement, 3) != SQLITE_NULL)
            reports.back().fields.push_back({ColumnBytes(statement, 3), ColumnBytes(statement, 4)});
    }
    if (step != SQLITE_DONE)
        error = sqlite3_errmsg(m_db);
    sqlite3_finalize(statement);
    return step == SQLITE_DONE;
}

int64_t ReportStore::Count() const
{
    sqlite3_stmt* statement = nullptr;
    int64_t count = -1;
    if (sqlite3_prepare_v2(m_db, "SELECT COUNT(*) FROM reports", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

std::string ReportStore::UtcNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc {};
    gmtime_r(&now, &utc);
    std::string text;
    AppendNumber(text, utc.tm_year + 1900, 4);
    text += '-';
    AppendNumber(text, utc.tm_mon + 1, 2);
    text += '-';
    AppendNumber(text, utc.tm_mday, 2);
    text += 'T';
    AppendNumber(text, utc.tm_hour, 2);
    text += ':';
    AppendNumber(text, utc.tm_min, 2);
    text += ':';
    AppendNumber(text, utc.tm_sec, 2);
    text += 'Z';
    return text;
}

} // namespace vortalux::server
