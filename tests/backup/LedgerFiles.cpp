#include "tests/backup/LedgerFiles.h"

#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace testing_support {
namespace {

ado::DatabasePtr Open(const std::string& path, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    ado::DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + path);
    sqlite3_busy_timeout(raw, 10000);
    return db;
}

std::vector<std::vector<std::string>> Rows(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db) + (": " + sql));
    const ado::StatementPtr statement(raw);
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(raw); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
            row.emplace_back(text ? text : "<NULL>");
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db) + (": " + sql));
    return rows;
}

} // namespace

std::string DumpLedger(const std::string& path) {
    const ado::DatabasePtr db = Open(path, SQLITE_OPEN_READONLY);
    std::string dump;
    for (const auto& table :
         Rows(db.get(), "SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
        dump += "== " + table[0] + ": " + table[1] + "\n";
        const std::string quoted = "\"" + table[0] + "\"";
        for (const auto& row : Rows(db.get(), "SELECT * FROM " + quoted + " ORDER BY rowid")) {
            for (const std::string& value : row)
                dump += value + "|";
            dump += "\n";
        }
    }
    for (const char* pragma : {"PRAGMA application_id", "PRAGMA user_version"})
        dump += std::string(pragma) + " " + Rows(db.get(), pragma)[0][0] + "\n";
    return dump;
}

void ExecOn(const std::string& path, const std::string& sql) {
    const ado::DatabasePtr db = Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    char* message = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(why + ": " + sql);
    }
}

std::string ScalarOn(const std::string& path, const std::string& sql) {
    const ado::DatabasePtr db = Open(path, SQLITE_OPEN_READONLY);
    const auto rows = Rows(db.get(), sql);
    return rows.empty() ? "<NULL>" : rows[0][0];
}

void AddRecords(const std::string& path, int count) {
    const std::string n = std::to_string(count);
    ExecOn(path,
           "BEGIN;"
           "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " +
               n +
               ") INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) "
               "SELECT '爸爸', i * 1.5, datetime('2020-01-01', '+' || (i % 2000) || ' days'), "
               "'工资', 'income ' || i FROM k;"
               "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " +
               n +
               ") INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
               "SELECT '妈妈', i * 0.5, datetime('2020-01-01', '+' || (i % 2000) || ' days'), "
               "'餐饮', NULL FROM k;"
               "COMMIT;");
}

void Scribble(const std::string& path, long offset, int length) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(offset);
    for (int i = 0; i < length; ++i)
        file.put(static_cast<char>(0xA5 ^ (i * 7)));
}

unsigned Mode(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

std::string Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names)
        text += name + "\n";
    return text;
}

} // namespace testing_support
