#include "search/SearchIndex.h"

#include "backup/AdditionBackup.h"
#include "data/ADODatabase.h"
#include "data/ADOException.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/SqlText.h"
#include "exchange/RecordTable.h"
#include "platform/ado/Connection.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerLocation.h"
#include "platform/ado/LedgerSchema.h"

namespace {

const RecordTable* const kTables[] = {&kIncomeRecords, &kPayRecords};

const char* const kTriggerSuffixes[] = {"_insert", "_delete", "_update"};

// The amount as the index holds it: whole cents written with two decimals, exactly the
// cents a number word is compared with.
std::string AmountExpression(const std::string& column) {
    const std::string cents = "cast(round(" + column + " * 100) as integer)";
    return "printf('%d.%02d', " + cents + " / 100, " + cents + " % 100)";
}

std::string IndexValues(const RecordTable& table, const std::string& row) {
    return row + "编号, " + row + table.szMemberColumn + ", " + row + table.szItemColumn + ", " +
           row + "备注, " + AmountExpression(row + table.szAmountColumn);
}


double Scalar(CADODatabase& db, const std::string& sql) {
    CADORecordset rs(&db);
    double dValue = -1;
    if (rs.Open(sql, CADORecordset::ModeQuery) && !rs.IsEOF())
        rs.GetFieldValue(0, dValue);
    rs.Close();
    return dValue;
}

void Run(CADODatabase& db, const std::string& sql) {
    CADORecordset rs(&db);
    rs.Open(sql, CADORecordset::ModeUnknown);
}

// The server's indexes: a trigram one per text column and one on the amount in cents.
struct ServerIndex {
    std::string name;
    std::string table;
    std::string expression; // "%s" stands for the trigram operator class
};

std::vector<ServerIndex> ServerIndexes() {
    std::vector<ServerIndex> indexes;
    for (const RecordTable* table : kTables) {
        const std::string prefix = std::string(CSearchQuery::IndexTable(*table)) + "_";
        indexes.push_back(
            {prefix + "member", table->szTable, std::string(table->szMemberColumn) + " %s"});
        indexes.push_back(
            {prefix + "item", table->szTable, std::string(table->szItemColumn) + " %s"});
        indexes.push_back({prefix + "note", table->szTable, "备注 %s"});
        indexes.push_back({prefix + "cents", table->szTable,
                           std::string("(round(") + table->szAmountColumn + " * 100))"});
    }
    return indexes;
}

bool ServerIndexesPresent(CADODatabase& db) {
    std::string names;
    const std::vector<ServerIndex> indexes = ServerIndexes();
    for (const ServerIndex& index : indexes)
        names += (names.empty() ? "'" : ", '") + ado::JetSql::FoldAscii(index.name) + "'";
    return Scalar(db, "select count(*) from pg_catalog.pg_class c where c.relkind = 'i' and "
                      "c.relnamespace = (select n.oid from pg_catalog.pg_namespace n where "
                      "n.nspname = pg_catalog.current_schema()) and "
                      "c.relname in (" +
                          names + ")") == static_cast<double>(indexes.size());
}

} // namespace

const std::vector<std::string>& CSearchIndex::FileStatements() {
    // Kept with every other schema object of Coffer's, which the ledger checks know as ours.
    return ado::ledger_schema::Named("search").file;
}

SearchEngine CSearchIndex::EngineOf(CADODatabase& db) {
    return ado::LedgerLocation::IsServer(db.GetActiveConnection()->FilePath())
               ? SearchEngine::Server
               : SearchEngine::File;
}

CSearchIndex::State CSearchIndex::Inspect(CADODatabase& db) {
    if (EngineOf(db) == SearchEngine::Server)
        return ServerIndexesPresent(db) ? Ready : Missing;
    std::string names;
    for (const RecordTable* table : kTables) {
        const std::string index = CSearchQuery::IndexTable(*table);
        names += (names.empty() ? "'" : ", '") + index + "'";
        for (const char* suffix : kTriggerSuffixes)
            names += ", '" + index + suffix + "'";
    }
    if (Scalar(db, "select count(*) from sqlite_master where name in (" + names + ")") != 8)
        return Missing;
    // Every record under its number and nothing else: the counts and the last numbers agree.
    for (const RecordTable* table : kTables) {
        const std::string index = CSearchQuery::IndexTable(*table);
        const std::string records = table->szTable;
        if (Scalar(db, "select (select count(*) from " + records + ") = (select count(*) from " +
                           index + "_docsize) and coalesce((select max(编号) from " + records +
                           "), 0) = coalesce((select max(id) from " + index + "_docsize), 0)") != 1)
            return Stale;
    }
    return Ready;
}

std::vector<std::string> CSearchIndex::FillStatements() {
    std::vector<std::string> statements;
    for (const RecordTable* table : kTables) {
        const std::string index = CSearchQuery::IndexTable(*table);
        statements.push_back("insert into " + index + "(" + index + ") values ('delete-all')");
        statements.push_back("insert into " + index +
                             "(rowid, member, item, note, amount) select " +
                             IndexValues(*table, "") + " from " + table->szTable);
    }
    return statements;
}

bool CSearchIndex::Ensure(CADODatabase& db, std::string& strError) {
    if (EngineOf(db) == SearchEngine::Server)
        return EnsureOnServer(db);
    const State state = Inspect(db);
    if (state == Ready)
        return true;
    if (state == Missing && !BackUpBeforeAddition(db, strError))
        return false;
    InTransaction(db, [&db] {
        // Triggers made by an older index may not match the table made now.
        for (const RecordTable* table : kTables)
            for (const char* suffix : kTriggerSuffixes)
                Run(db, std::string("drop trigger if exists ") + CSearchQuery::IndexTable(*table) +
                            suffix);
        for (const std::string& statement : FileStatements())
            Run(db, statement);
        for (const std::string& statement : FillStatements())
            Run(db, statement);
    });
    return true;
}

bool CSearchIndex::EnsureOnServer(CADODatabase& db) {
    if (ServerIndexesPresent(db))
        return true;
    // The extension belongs to the database, not to one ledger's schema. A server whose
    // owner does not let this user add it still searches, by reading every record: nothing
    // to tell the user then.
    std::string strSchema;
    try {
        try {
            Run(db, "create extension if not exists pg_trgm schema public");
        } catch (const CADOException&) {
            // Two ledgers of one database first searched at once: both find no extension,
            // and the second to add it fails once the first has committed it. Whether it is
            // there now is what counts.
        }
        CADORecordset rs(&db);
        if (rs.Open("select n.nspname from pg_catalog.pg_extension e join pg_catalog.pg_namespace "
                    "n on n.oid = e.extnamespace where e.extname = 'pg_trgm'",
                    CADORecordset::ModeQuery) &&
            !rs.IsEOF())
            rs.GetFieldValue(0, strSchema);
    } catch (const std::exception&) {
        return false;
    } catch (const CADOException&) {
        return false;
    }
    if (strSchema.empty())
        return false;
    const std::string opclass = QuoteIdentifier(strSchema) + ".gin_trgm_ops";
    InTransaction(db, [&db, &opclass] {
        for (const ServerIndex& index : ServerIndexes()) {
            std::string expression = index.expression;
            const std::size_t mark = expression.find("%s");
            const bool trigram = mark != std::string::npos;
            if (trigram)
                expression.replace(mark, 2, opclass);
            Run(db, "create index if not exists " + index.name + " on " + index.table +
                        (trigram ? " using gin (" : " (") + expression + ")");
        }
    });
    return true;
}

void CSearchIndex::Drop(CADODatabase& db) {
    for (const RecordTable* table : kTables) {
        const std::string index = CSearchQuery::IndexTable(*table);
        if (EngineOf(db) == SearchEngine::Server) {
            for (const ServerIndex& server : ServerIndexes())
                if (server.table == table->szTable)
                    Run(db, "drop index if exists " + server.name);
            continue;
        }
        for (const char* suffix : kTriggerSuffixes)
            Run(db, "drop trigger if exists " + index + suffix);
        Run(db, "drop table if exists " + index);
    }
}
