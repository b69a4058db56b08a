#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/PgSession.h"
#include "platform/ado/pg/ServerDialect.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ado {

/// The engine over a ledger on a PostgreSQL server. Results are fetched whole, rows are
/// changed by their table's integer primary key, a lost connection is reported once and the
/// next action connects again.
class PgBackend : public Backend {
public:
    /// What the engine knows of one table.
    struct Table {
        unsigned oid = 0;
        std::string name;
        std::string key; // the integer primary key column; empty when there is none
        int keyColumn = 0;
        std::vector<ColumnInfo> columns;
        std::vector<unsigned> types;
        std::vector<int> numbers; // each column's number on the server
    };
    using Params = PgSession::Params;

    /// Connects to `uri` (libpq's connection URI) and checks that the database holds a
    /// ledger; throws ComError saying what is wrong otherwise.
    explicit PgBackend(const std::string& uri);
    ~PgBackend() override;

    const std::string& Location() const override { return m_location; }
    void Close() override;
    bool HasTable(const std::string& name) override;
    std::unique_ptr<BackendRows> OpenTable(const std::string& name) override;
    std::unique_ptr<BackendRows> Run(const std::string& sql,
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

    /// Runs one statement with text parameters and gives its whole result; a statement the
    /// server refuses for a serialization failure or a deadlock is tried again a few times
    /// when no transaction is open. Throws ComError.
    PgResultPtr Query(const std::string& sql, const Params& params = {});
    /// The same through a statement prepared once per connection, for one sent many times.
    PgResultPtr Prepared(const std::string& sql, const Params& params);
    /// The same with the result in the server's binary form.
    PgResultPtr QueryBinary(const std::string& sql);
    /// The location with any password left out.
    static std::string Describe(const std::string& uri);

private:
    /// Replaces the plain passwords a ledger moved from an older file may hold by hashes.
    void HashPlainPasswords();
    /// Refuses a ledger carrying a trigger Coffer did not make.
    void CheckTriggers();
    /// Reads or sets the ledger's count of later tables, kept in the marker table.
    std::unique_ptr<BackendRows> RunCount(const ServerDialect::CountText& count,
                                          const BeforeWrite& beforeWrite);
    const Table* FindTable(const std::string& name);
    const Table* TableOf(unsigned oid);
    const Table& KeyedTable(const std::string& name);
    Params ParamsOf(const std::vector<Variant>& values) const;

    std::string m_location;
    PgSession m_session;
    std::set<std::string> m_quotedWords;
    std::map<std::string, Table> m_tables; // by folded name
};

} // namespace ado
