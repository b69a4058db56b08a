#include "platform/ado/pg/FileLedgerReader.h"

#include "platform/ado/ColumnInfo.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/sqlite/SchemaCheck.h"

#include <sqlite3.h>

#include <set>

namespace ado {

FileLedgerReader::FileLedgerReader(const std::string& path) {
    if (ClassifyLedgerFile(path) == LedgerKind::Foreign)
        throw LedgerMoveError(path + " is not a Coffer ledger file");
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK)
        throw LedgerMoveError("cannot open " + path);
    sqlite3_busy_timeout(raw, 5000);
    // One read transaction: the copy is of one moment of the file.
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    int schemaRc = SQLITE_OK;
    const ledger_check::SchemaFinding finding =
        ledger_check::CheckSchema(raw, ledger_check::SchemaRule::Open, schemaRc);
    if (schemaRc != SQLITE_OK)
        throw LedgerMoveError("cannot read " + path + ": " + sqlite3_errmsg(raw));
    if (!finding.Ok())
        throw LedgerMoveError(path + " holds a trigger Coffer does not make (" + finding.name +
                              "); it was not moved");
}

std::vector<std::vector<std::string>> FileLedgerReader::Rows(const std::string& sql) const {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw LedgerMoveError(std::string("cannot read the file: ") + sqlite3_errmsg(m_db.get()));
    StatementPtr statement(raw);
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(raw); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
            row.emplace_back(text ? text : "");
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw LedgerMoveError(std::string("cannot read the file: ") + sqlite3_errmsg(m_db.get()));
    return rows;
}

std::vector<FileTable> FileLedgerReader::Tables() const {
    std::vector<FileTable> tables;
    // A full-text index and the tables it keeps its words in belong to the file: the
    // server makes its own kind of index.
    for (const auto& row :
         Rows("SELECT name FROM sqlite_master t WHERE type = 'table' AND "
              "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND "
              "coalesce(sql, '') NOT LIKE 'CREATE VIRTUAL TABLE%' AND NOT EXISTS (SELECT 1 "
              "FROM sqlite_master v WHERE v.type = 'table' AND v.sql LIKE 'CREATE VIRTUAL "
              "TABLE%' AND t.name LIKE replace(v.name, '_', '\\_') || '\\_%' ESCAPE '\\') "
              "ORDER BY rowid")) {
        FileTable table;
        table.name = row[0];
        const std::string quoted = JetSql::QuoteIdentifier(table.name);
        const auto info = Rows("PRAGMA table_info(" + quoted + ")");
        int keys = 0;
        for (const auto& column : info)
            keys += column[5] != "0";
        for (const auto& column : info) {
            FileColumn c;
            c.name = column[1];
            c.known = ColumnInfo::KindOfDeclaredType(column[2], c.kind);
            c.key = keys == 1 && column[5] != "0" && c.known && c.kind == VarKind::I4;
            table.columns.push_back(c);
        }
        // The keys SQLite keeps in indexes of its own: a second copy of a row stays out
        // on the server too.
        bool identity = false;
        for (const FileColumn& column : table.columns)
            identity = identity || column.key;
        for (const auto& index : Rows("PRAGMA index_list(" + quoted + ")")) {
            if ((index[3] != "pk" || identity) && index[3] != "u")
                continue;
            std::string names;
            for (const auto& column :
                 Rows("PRAGMA index_info(" + JetSql::QuoteIdentifier(index[1]) + ")"))
                names += (names.empty() ? "" : ", ") + JetSql::QuoteFolded(column[2]);
            table.constraints.push_back((index[3] == "pk" ? "PRIMARY KEY (" : "UNIQUE (") + names +
                                        ")");
        }
        // Indexes made with CREATE INDEX on plain columns, described by SQLite; one on
        // expressions or on part of the rows the server could not be told safely, and the
        // ledger has none.
        for (const auto& index : Rows("PRAGMA index_list(" + quoted + ")")) {
            if (index[3] != "c" || index[4] != "0")
                continue;
            FileIndex made{index[1], index[2] != "0", {}};
            bool plain = true;
            for (const auto& column :
                 Rows("PRAGMA index_xinfo(" + JetSql::QuoteIdentifier(index[1]) + ")")) {
                if (column[5] == "0")
                    continue; // the rowid every entry carries
                plain = plain && column[1] != "-2" && column[1] != "-1";
                made.columns.push_back({column[2], column[3] != "0"});
            }
            if (plain && !made.columns.empty())
                table.indexes.push_back(std::move(made));
        }
        tables.push_back(std::move(table));
    }
    if (!Rows("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_sequence'").empty())
        for (const auto& row : Rows("SELECT name, seq FROM sqlite_sequence"))
            for (FileTable& table : tables)
                if (table.name == row[0])
                    table.sequence = std::stoll(row[1]);
    return tables;
}

std::string FileLedgerReader::Version() const {
    const auto version = Rows("PRAGMA user_version");
    return version.empty() ? std::string("0") : version[0][0];
}

std::string FileLedgerReader::Escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out;
}

} // namespace ado
