#include "tests/support/TestDb.h"

#include "data/StarterDatabase.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <stdexcept>

namespace testing_support {
namespace {

ado::DatabasePtr OpenFile(const std::filesystem::path& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    ado::DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.string());
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

} // namespace

TestDb::TestDb() {
    std::string error;
    if (!CreateStarterDatabase(FilePath().string(), error))
        throw std::runtime_error(error);
}

std::vector<std::vector<std::string>> TestDb::Query(const std::string& sql) const {
    const ado::DatabasePtr db = OpenFile(FilePath());
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db.get()) + (": " + sql));
    const ado::StatementPtr statement(raw);
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(raw); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
            row.emplace_back(text ? text : kNull);
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db.get()) + (": " + sql));
    return rows;
}

std::string TestDb::Scalar(const std::string& sql) const {
    const auto rows = Query(sql);
    return rows.empty() || rows.front().empty() ? kNull : rows.front().front();
}

void TestDb::Exec(const std::string& sql) const {
    const ado::DatabasePtr db = OpenFile(FilePath());
    char* message = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(why + ": " + sql);
    }
}

} // namespace testing_support
