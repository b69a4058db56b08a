#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <map>
#include <string>

namespace ado {

/// The engine over one SQLite ledger file.
class SqliteBackend : public Backend {
public:
    /// Opens the file at the absolute `path`, read-write, never creating it. A missing file,
    /// a file that is not an SQLite database or not a ledger, and a locked file are errors
    /// (E_FAIL naming the file); a foreign file is never written.
    explicit SqliteBackend(const std::string& path);
    ~SqliteBackend() override;

    const std::string& Location() const override { return m_path; }
    void Close() override;
    bool HasTable(const std::string& name) override;
    std::unique_ptr<BackendRows> OpenTable(const std::string& name) override;
    std::unique_ptr<BackendRows> Run(const std::string& sql,
                                     const BeforeWrite& beforeWrite) override;
    std::unique_ptr<BackendRows> Read(const std::string& sql,
                                      const BeforeWrite& beforeWrite) override;
    void Execute(const std::string& sql) override;
    std::int64_t Insert(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<Variant>& values) override;
    long Change(const std::string& table, std::int64_t key, const std::vector<std::string>& columns,
                const std::vector<Variant>& values) override;
    void Delete(const std::string& table, std::int64_t key) override;
    std::unique_ptr<BackendInserter>
    PrepareInsert(const std::string& table, const std::vector<std::string>& columns) override;
    void Begin() override;
    void Commit() override;
    void Rollback() override;

    /// The open database, for engine functions that work on the file as a whole.
    sqlite3* Handle() const;

private:
    void CheckIsSqliteFile() const;
    StatementPtr Prepare(const std::string& sql) const;
    /// A prepared statement for a write text, prepared once per connection and reset.
    sqlite3_stmt* CachedStatement(const std::string& sql);
    void StepWrite(sqlite3_stmt* statement);
    [[noreturn]] void ThrowError(int rc) const;

    std::string m_path;
    DatabasePtr m_db;
    std::map<std::string, StatementPtr> m_statements;
};

} // namespace ado
