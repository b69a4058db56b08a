#include "platform/ado/pg/PgBackend.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/PasswordStore.h"
#include "platform/ado/pg/PgError.h"
#include "platform/ado/pg/PgInserter.h"
#include "platform/ado/pg/PgRows.h"
#include "platform/ado/pg/PgTypes.h"
#include "platform/ado/pg/PgValues.h"
#include "platform/ado/pg/ServerDialect.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/ado/pg/ServerTriggers.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace ado {
namespace {

// The tables of a ledger made before the marker table existed.
const char* const kLedgerTables[] = {"normalincome", "normalpay", "家庭成员", "收入类型",
                                     "支出类型",     "basedata",  "tbuser"};

constexpr const char* kTableColumns =
    "SELECT c.oid, c.relname, a.attnum, a.attname, a.atttypid, "
    "COALESCE((SELECT i.indkey[0] FROM pg_catalog.pg_index i WHERE i.indrelid = c.oid "
    "AND i.indisprimary AND i.indnatts = 1), 0) "
    "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
    "WHERE c.relkind IN ('r', 'p', 'v') AND pg_catalog.pg_table_is_visible(c.oid) "
    "AND a.attnum > 0 AND NOT a.attisdropped AND ";

bool IsIntegerType(unsigned oid) {
    using namespace pg_types;
    return oid == kInt8 || oid == kInt2 || oid == kInt4;
}

} // namespace

PgBackend::PgBackend(const std::string& uri)
    : m_location(Describe(uri)), m_session(uri, m_location) {
    // The tables and columns there are: whether this is a ledger, and which column names
    // need quoting.
    PgResultPtr result =
        Query("SELECT c.relname, a.attname FROM pg_catalog.pg_class c "
              "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
              "WHERE c.relkind IN ('r', 'p') AND pg_catalog.pg_table_is_visible(c.oid) "
              "AND c.relnamespace <> 'pg_catalog'::regnamespace AND a.attnum > 0 "
              "AND NOT a.attisdropped");
    std::set<std::string> tables;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        tables.insert(PQgetvalue(result.get(), row, 0));
        const std::string column = PQgetvalue(result.get(), row, 1);
        if (ServerDialect::IsReserved(column))
            m_quotedWords.insert(column);
    }
    bool ledger = tables.count(ServerDialect::kMarkerTable) > 0;
    if (!ledger) {
        ledger = true;
        for (const char* table : kLedgerTables)
            ledger = ledger && tables.count(table);
    }
    if (!ledger)
        throw PgError::Make(E_FAIL, std::string(ServerLedger::Explain(
                                        ServerLedger::Check::NotLedger)) +
                                        "（" + m_location + "）");
    CheckTriggers();
    if (tables.count("tbuser"))
        HashPlainPasswords();
}

void PgBackend::CheckTriggers() {
    // As with a ledger file: a trigger acts on every write, and only Coffer's own are let run.
    const PgResultPtr result =
        Query("SELECT t.tgname, c.relname, p.proname, p.prosrc FROM pg_catalog.pg_trigger t "
              "JOIN pg_catalog.pg_class c ON c.oid = t.tgrelid "
              "JOIN pg_catalog.pg_proc p ON p.oid = t.tgfoid "
              "WHERE NOT t.tgisinternal AND pg_catalog.pg_table_is_visible(c.oid)");
    std::vector<ServerTrigger> found;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        found.push_back({PQgetvalue(result.get(), row, 0), PQgetvalue(result.get(), row, 1),
                         PQgetvalue(result.get(), row, 2), PQgetvalue(result.get(), row, 3)});
    if (const std::string name = ForeignServerTrigger(found); !name.empty())
        throw PgError::Make(E_FAIL, "账本服务器上的账本里有一个不是银匣建的触发器“" + name +
                                        "”，它会在每次记账时暗中改动记录，所以没有打开这个账本。"
                                        "请让管理服务器的人删掉这个触发器。（" +
                                        m_location + "）");
}

void PgBackend::HashPlainPasswords() {
    // Every member can read the table on a shared server. A server that refuses the change
    // (a member without the right to write) still opens; the next open tries again.
    try {
        const PgResultPtr plain =
            Query("SELECT id, password FROM tbuser WHERE password NOT LIKE '$argon2%'");
        for (int row = 0; row < PQntuples(plain.get()); ++row) {
            const std::string password = PQgetvalue(plain.get(), row, 1);
            Query("UPDATE tbuser SET password = $1 WHERE id = $2 AND password = $3",
                  {password_store::Hash(password), std::string(PQgetvalue(plain.get(), row, 0)),
                   password});
        }
    } catch (const std::exception&) {
    }
}

PgBackend::~PgBackend() {
    Close();
}

std::string PgBackend::Describe(const std::string& uri) {
    std::string text = uri;
    const size_t scheme = text.find("://");
    if (scheme != std::string::npos) {
        const size_t start = scheme + 3;
        const size_t end = std::min(text.find_first_of("/?", start), text.size());
        const size_t at = text.rfind('@', end);
        if (at != std::string::npos && at >= start) {
            const size_t colon = text.find(':', start);
            if (colon != std::string::npos && colon < at)
                text.erase(colon, at - colon);
        }
    }
    // A password given as a parameter goes too.
    for (size_t at; (at = text.find("password=")) != std::string::npos;) {
        size_t end = text.find_first_of("& ", at);
        end = end == std::string::npos ? text.size() : end + 1;
        if (at > 0 && (text[at - 1] == '&' || text[at - 1] == ' ') && end == text.size())
            --at;
        text.erase(at, end - at);
    }
    return text;
}

const PgBackend::Table* PgBackend::FindTable(const std::string& name) {
    const std::string folded = JetSql::FoldAscii(name);
    if (auto found = m_tables.find(folded); found != m_tables.end())
        return &found->second;
    PgResultPtr result =
        Query(std::string(kTableColumns) + "c.relname = $1 ORDER BY a.attnum", {folded});
    pg_result* raw = result.get();
    if (PQntuples(raw) == 0)
        return nullptr;
    Table table;
    table.oid = static_cast<unsigned>(std::strtoul(PQgetvalue(raw, 0, 0), nullptr, 10));
    table.name = PQgetvalue(raw, 0, 1);
    const int key = std::atoi(PQgetvalue(raw, 0, 5));
    for (int row = 0; row < PQntuples(raw); ++row) {
        ColumnInfo column;
        column.name = column.originName = PQgetvalue(raw, row, 3);
        const auto type = static_cast<unsigned>(std::strtoul(PQgetvalue(raw, row, 4), nullptr, 10));
        column.hasDeclaredKind = PgValues::KindOfType(type, column.kind);
        const int number = std::atoi(PQgetvalue(raw, row, 2));
        column.isKey = number == key && IsIntegerType(type);
        if (column.isKey) {
            table.key = column.name;
            table.keyColumn = number;
        }
        table.columns.push_back(std::move(column));
        table.types.push_back(type);
        table.numbers.push_back(number);
    }
    return &m_tables.emplace(folded, std::move(table)).first->second;
}

const PgBackend::Table* PgBackend::TableOf(unsigned oid) {
    for (const auto& [name, table] : m_tables)
        if (table.oid == oid)
            return &table;
    PgResultPtr result =
        Query("SELECT relname FROM pg_catalog.pg_class WHERE oid = $1", {std::to_string(oid)});
    return PQntuples(result.get()) ? FindTable(PQgetvalue(result.get(), 0, 0)) : nullptr;
}

const PgBackend::Table& PgBackend::KeyedTable(const std::string& name) {
    const Table* table = FindTable(name);
    if (!table || table->key.empty())
        throw PgError::Make(ADO_E_NOTUPDATABLE, "The rows of '" + name +
                                                    "' cannot be changed: the table has no "
                                                    "integer key on the server.");
    return *table;
}

bool PgBackend::HasTable(const std::string& name) {
    return FindTable(name) != nullptr;
}

std::unique_ptr<BackendRows> PgBackend::OpenTable(const std::string& name) {
    const Table* table = FindTable(name);
    if (!table)
        throw PgError::Make(DB_E_NOTABLE, "The engine cannot find the table (relation \"" + name +
                                              "\" does not exist).");
    const std::string quoted = JetSql::QuoteFolded(table->name);
    if (table->key.empty())
        return std::make_unique<PgRows>(*this, "SELECT * FROM " + quoted, table->columns,
                                        table->types, std::string());
    m_session.LockForTransaction(table->name);
    const std::string key = JetSql::QuoteFolded(table->key);
    return std::make_unique<PgRows>(*this,
                                    "SELECT " + key + ", * FROM " + quoted + " ORDER BY " + key,
                                    table->columns, table->types, table->name);
}

std::unique_ptr<BackendRows> PgBackend::Run(const std::string& sql,
                                            const BeforeWrite& beforeWrite) {
    if (const auto count = ServerDialect::Count(sql))
        return RunCount(*count, beforeWrite);
    if (ServerDialect::IsCreateTable(sql)) {
        if (beforeWrite)
            beforeWrite();
        // Two copies adding the same tables at once take turns: the second then finds them.
        if (HasTable(ServerDialect::kMarkerTable))
            m_session.LockForTransaction(ServerDialect::kMarkerTable);
        Query(JetSql::ForServer(ServerDialect::WithIdentities(sql), m_quotedWords));
        return nullptr;
    }
    const std::string text = JetSql::ForServer(sql, m_quotedWords);
    const PgResultPtr description = m_session.DescribeStatement(text);
    pg_result* raw = description.get();
    const int count = PQnfields(raw);
    if (count == 0) {
        if (beforeWrite)
            beforeWrite();
        if (const std::string table = JetSql::WrittenTable(sql); !table.empty())
            m_session.LockForTransaction(table);
        Query(text);
        return nullptr;
    }
    const unsigned oid = PQftable(raw, 0);
    const Table* table = oid != InvalidOid ? TableOf(oid) : nullptr;
    std::vector<ColumnInfo> columns(static_cast<size_t>(count));
    std::vector<unsigned> types(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ColumnInfo& column = columns[static_cast<size_t>(i)];
        types[static_cast<size_t>(i)] = PQftype(raw, i);
        column.name = PQfname(raw, i);
        column.hasDeclaredKind = PgValues::KindOfType(PQftype(raw, i), column.kind);
        if (PQftable(raw, i) != oid)
            table = nullptr;
        if (table && PQftablecol(raw, i) > 0) {
            for (size_t j = 0; j < table->numbers.size(); ++j)
                if (table->numbers[j] == PQftablecol(raw, i))
                    column.originName = table->columns[j].name;
            column.isKey = PQftablecol(raw, i) == table->keyColumn;
        }
    }
    if (table && !table->key.empty())
        if (const auto keyed = JetSql::WithKey(text, JetSql::QuoteFolded(table->key))) {
            m_session.LockForTransaction(table->name);
            return std::make_unique<PgRows>(*this, *keyed, std::move(columns), std::move(types),
                                            table->name);
        }
    // What a transaction reads it reads under the same lock as its writes, as on the file:
    // a row another copy adds meanwhile is then seen, not written a second time.
    if (table)
        m_session.LockForTransaction(table->name);
    for (ColumnInfo& column : columns)
        column.isKey = false;
    return std::make_unique<PgRows>(*this, text, std::move(columns), std::move(types),
                                    std::string());
}

std::unique_ptr<BackendRows> PgBackend::RunCount(const ServerDialect::CountText& count,
                                                 const BeforeWrite& beforeWrite) {
    const std::string marker = ServerDialect::kMarkerTable;
    // A ledger made before the marker table existed holds none of the later tables.
    const bool marked = HasTable(marker);
    if (!count.write)
        return Run(marked ? "SELECT user_version FROM " + marker : "SELECT 0 AS user_version",
                   beforeWrite);
    if (beforeWrite)
        beforeWrite();
    const std::string value = std::to_string(count.value);
    if (marked) {
        m_session.LockForTransaction(marker);
        Query("UPDATE " + marker + " SET user_version = " + value);
    } else {
        Query(ServerDialect::CreateMarkerText());
        Query("INSERT INTO " + marker + " VALUES (" + std::to_string(kLedgerApplicationId) + ", " +
              value + ")");
    }
    return nullptr;
}

void PgBackend::Close() {
    m_session.Close();
}

PgResultPtr PgBackend::Query(const std::string& sql, const Params& params) {
    return m_session.Query(sql, params);
}

PgResultPtr PgBackend::Prepared(const std::string& sql, const Params& params) {
    return m_session.Prepared(sql, params);
}

PgResultPtr PgBackend::QueryBinary(const std::string& sql) {
    return m_session.QueryBinary(sql);
}

void PgBackend::Begin() {
    m_session.Begin();
}

void PgBackend::Commit() {
    m_session.Commit();
}

void PgBackend::Rollback() {
    m_session.Rollback();
}

void PgBackend::Execute(const std::string& sql) {
    Query(sql);
}

PgBackend::Params PgBackend::ParamsOf(const std::vector<Variant>& values) const {
    Params params;
    for (const Variant& value : values)
        params.push_back(PgValues::TextOf(value));
    return params;
}

std::int64_t PgBackend::Insert(const std::string& table, const std::vector<std::string>& columns,
                               const std::vector<Variant>& values) {
    const Table& target = KeyedTable(table);
    m_session.LockForTransaction(target.name);
    std::string names;
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        names += (i ? ", " : "") + JetSql::QuoteFolded(columns[i]);
        marks += (i ? ", $" : "$") + std::to_string(i + 1);
    }
    const std::string quoted = JetSql::QuoteFolded(target.name);
    PgResultPtr result = m_session.Prepared(
        (names.empty() ? "INSERT INTO " + quoted + " DEFAULT VALUES"
                       : "INSERT INTO " + quoted + " (" + names + ") VALUES (" + marks + ")") +
            " RETURNING " + JetSql::QuoteFolded(target.key),
        ParamsOf(values));
    return std::strtoll(PQgetvalue(result.get(), 0, 0), nullptr, 10);
}

std::unique_ptr<BackendInserter> PgBackend::PrepareInsert(const std::string& table,
                                                          const std::vector<std::string>& columns) {
    // Rows added in a batch are not changed by key afterwards: a table keyed otherwise (by
    // several columns) takes them too.
    const Table* target = FindTable(table);
    if (!target)
        throw PgError::Make(DB_E_NOTABLE, "The engine cannot find the table (relation \"" + table +
                                              "\" does not exist).");
    m_session.LockForTransaction(target->name);
    std::vector<std::string> quoted;
    for (const std::string& column : columns)
        quoted.push_back(JetSql::QuoteFolded(column));
    return std::make_unique<PgInserter>(
        *this, JetSql::QuoteFolded(target->name), std::move(quoted),
        target->key.empty() ? std::string() : JetSql::QuoteFolded(target->key));
}

long PgBackend::Change(const std::string& table, std::int64_t key,
                       const std::vector<std::string>& columns,
                       const std::vector<Variant>& values) {
    const Table& target = KeyedTable(table);
    m_session.LockForTransaction(target.name);
    std::string assignments;
    for (size_t i = 0; i < columns.size(); ++i)
        assignments +=
            (i ? ", " : "") + JetSql::QuoteFolded(columns[i]) + " = $" + std::to_string(i + 1);
    Params params = ParamsOf(values);
    params.push_back(std::to_string(key));
    PgResultPtr result = m_session.Prepared(
        "UPDATE " + JetSql::QuoteFolded(target.name) + " SET " + assignments + " WHERE " +
            JetSql::QuoteFolded(target.key) + " = $" + std::to_string(columns.size() + 1),
        params);
    return std::atol(PQcmdTuples(result.get()));
}

void PgBackend::Delete(const std::string& table, std::int64_t key) {
    const Table& target = KeyedTable(table);
    m_session.LockForTransaction(target.name);
    m_session.Prepared("DELETE FROM " + JetSql::QuoteFolded(target.name) + " WHERE " +
                           JetSql::QuoteFolded(target.key) + " = $1",
                       {std::to_string(key)});
}

} // namespace ado
