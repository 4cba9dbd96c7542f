#pragma once

#include "FormBody.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vortalux::server {

// One failure report as it arrived.
struct StoredReport {
    int64_t id = 0;
    std::string received; // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::string address;
    std::vector<FormField> fields; // verbatim, in the order they were sent
};

// The reports a server received, in an SQLite database in WAL mode (readers never wait for the
// server, and a crash loses at most the report being written). Names and values are stored as
// blobs, so every byte comes back as it was sent.
class ReportStore {
public:
    enum class OpenMode { CreateIfMissing, ExistingOnly };

    ~ReportStore();
    ReportStore(const ReportStore&) = delete;
    ReportStore& operator=(const ReportStore&) = delete;

    // Nullptr with the reason in `error` when the database cannot be opened or set up.
    static std::unique_ptr<ReportStore> Open(
        const std::filesystem::path& path, OpenMode mode, std::string& error);

    // Stores one report in one transaction; false (nothing stored) on any database error.
    [[nodiscard]] bool Add(
        std::string_view received, std::string_view address, std::span<const FormField> fields);

    // Every report, oldest first; false with the reason in `error` on a database error.
    [[nodiscard]] bool All(std::vector<StoredReport>& reports, std::string& error) const;
    int64_t Count() const;

    // The current time in the form `received` has.
    static std::string UtcNow();

private:
    explicit ReportStore(sqlite3* db)
        : m_db(db)
    {
    }
    bool Execute(const char* sql) const;

    sqlite3* m_db;
    sqlite3_stmt* m_insertReport = nullptr;
    sqlite3_stmt* m_insertField = nullptr;
};

} // namespace vortalux::server
