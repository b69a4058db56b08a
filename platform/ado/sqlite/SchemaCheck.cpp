#include "platform/ado/sqlite/SchemaCheck.h"

#include "platform/ado/LedgerSchema.h"
#include "platform/ado/sqlite/SchemaRows.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <mutex>
#include <regex>
#include <set>
#include <utility>
#include <vector>

namespace ado::ledger_check {
namespace {

struct Object {
    std::string type;
    std::string name;
    std::string table;
    std::string sql; ///< normalised
    std::string shape; ///< an index's uniqueness and columns
};

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsPunctuation(char c) {
    return c == '(' || c == ')' || c == ',' || c == ';' || c == '=' || c == '.' || c == '<' ||
           c == '>' || c == '+' || c == '-' || c == '*' || c == '/' || c == '|';
}

// The same statement however it was spaced or its keywords cased: blanks become one space
// and none beside punctuation, ASCII letters outside quotes fold to lower case. Quoted
// names and texts stay as they are.
std::string Normalised(const std::string& sql) {
    std::string out;
    char quote = 0;
    bool blank = false;
    for (char c : sql) {
        if (quote != 0) {
            out += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            blank = true;
            continue;
        }
        if (blank && !out.empty() && !IsPunctuation(out.back()) && !IsPunctuation(c))
            out += ' ';
        blank = false;
        if (c == '\'' || c == '"' || c == '`')
            quote = c;
        else if (c == '[')
            quote = ']';
        out += quote == 0 && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    while (!out.empty() && out.back() == ';')
        out.pop_back();
    return out;
}

// An index as what it does, not how it is named or spelled: a copy made through the server
// names and spells its indexes the server's way. Expressions and partial indexes keep
// their text.
std::string IndexShape(sqlite3* db, const std::string& table, const std::string& index,
                       const std::string& sql, int& rc) {
    std::string shape;
    rc = EachRow(db, "PRAGMA main.index_list(" + Quoted(table) + ")", [&](sqlite3_stmt* s) {
        if (Folded(Text(s, 1)) == Folded(index))
            shape = std::string(sqlite3_column_int(s, 2) ? "unique" : "plain") +
                    (sqlite3_column_int(s, 4) ? " where " + Normalised(sql) : "");
    });
    if (rc == SQLITE_OK)
        rc = EachRow(db, "PRAGMA main.index_xinfo(" + Quoted(index) + ")", [&](sqlite3_stmt* s) {
            if (sqlite3_column_int(s, 5) == 0)
                return; // the rowid every entry carries
            const int column = sqlite3_column_int(s, 1);
            shape += " " + (column == -2 ? Normalised(sql) : Folded(Text(s, 2))) +
                     (sqlite3_column_int(s, 3) ? " desc" : "") + " " + Folded(Text(s, 4));
        });
    return shape;
}

int ReadObjects(sqlite3* db, bool withShapes, std::vector<Object>& objects) {
    int rc = EachRow(db, "SELECT type, name, tbl_name, sql FROM main.sqlite_master",
                     [&](sqlite3_stmt* s) {
                         objects.push_back(
                             {Text(s, 0), Text(s, 1), Text(s, 2), Normalised(Text(s, 3)), {}});
                     });
    for (Object& object : objects)
        if (rc == SQLITE_OK && withShapes && object.type == "index")
            object.shape = IndexShape(db, object.table, object.name, object.sql, rc);
    return rc;
}

// Coffer's own objects, made once in memory from the registered statements.
const std::vector<Object>& OurObjects() {
    static std::vector<Object> objects;
    static std::once_flag made;
    std::call_once(made, [] {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        const DatabasePtr db(raw);
        std::string sql = ledger_schema::ProgramSql();
        for (const ledger_schema::Addition& addition : ledger_schema::Additions())
            for (const std::string& statement : addition.file)
                sql += ";\n" + statement;
        // A statement that does not run here would make every ledger foreign: the
        // registry's own tests catch that before any ledger does.
        sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr);
        ReadObjects(raw, true, objects);
    });
    return objects;
}

// The tables and indexes the server statements make, by kind and folded name: a backup of
// a server ledger holds them as plain tables and column indexes of the server's naming.
const std::set<std::pair<std::string, std::string>>& ServerNames() {
    static const std::set<std::pair<std::string, std::string>> names = [] {
        std::set<std::pair<std::string, std::string>> found;
        const std::regex create(R"(^\s*create\s+(?:unique\s+|unlogged\s+)*(table|index)\s+)"
                                R"((?:if\s+not\s+exists\s+)?"?([^\s"(]+))",
                                std::regex::icase);
        for (const ledger_schema::Addition& addition : ledger_schema::Additions())
            for (const std::string& statement : addition.server) {
                std::smatch match;
                if (std::regex_search(statement, match, create))
                    found.emplace(Folded(match[1]), Folded(match[2]));
            }
        return found;
    }();
    return names;
}

bool IsInternal(const Object& object) {
    // SQLite's own: the key counters, the planner's statistics, the indexes of constraints.
    // A trigger or view never is, whatever its name.
    return (object.type == "table" || object.type == "index") &&
           Folded(object.name).rfind("sqlite_", 0) == 0;
}

// Whether the object is one of ours: the same kind and name and the same statement; an
// index may carry another name when it does the same on the same table.
bool IsOurs(const Object& object) {
    if ((object.type == "table" || object.type == "index") &&
        ServerNames().count({object.type, Folded(object.name)}))
        return true;
    for (const Object& ours : OurObjects()) {
        if (ours.type != object.type || Folded(ours.table) != Folded(object.table))
            continue;
        const bool sameName = Folded(ours.name) == Folded(object.name);
        if (object.type == "index") {
            if (ours.shape == object.shape)
                return true;
        } else if (object.type == "table") {
            // A table holds rows, never code; one from a server copy spells its columns
            // the server's way, and one kept as a full-text table on a file is a plain one
            // there.
            if (sameName)
                return true;
        } else if (sameName && ours.sql == object.sql) {
            return true;
        }
    }
    return false;
}

bool RefusedOnOpen(const Object& object) {
    return object.type == "trigger";
}

} // namespace

std::string SchemaFinding::Describe() const {
    if (kind == Kind::MissingTable)
        return "缺少账本的表“" + name + "”";
    const char* what = type == "trigger" ? "触发器"
                       : type == "view"  ? "视图"
                       : type == "index" ? "索引"
                                         : "表";
    return std::string("里有银匣自己不会建的") + what + "“" + name + "”";
}

SchemaFinding CheckSchema(sqlite3* db, SchemaRule rule, int& rc) {
    SchemaFinding finding;
    std::vector<Object> objects;
    rc = ReadObjects(db, rule == SchemaRule::Restore, objects);
    if (rc != SQLITE_OK)
        return finding;
    for (const Object& object : objects) {
        if (IsInternal(object) || (rule == SchemaRule::Open && !RefusedOnOpen(object)) ||
            IsOurs(object))
            continue;
        finding.kind = SchemaFinding::Kind::Foreign;
        finding.type = object.type;
        finding.name = object.name;
        return finding;
    }
    if (rule == SchemaRule::Restore) {
        for (const std::string& table : ledger_schema::ProgramTables()) {
            bool found = false;
            for (const Object& object : objects)
                found = found || (object.type == "table" && Folded(object.name) == Folded(table));
            if (!found) {
                finding.kind = SchemaFinding::Kind::MissingTable;
                finding.type = "table";
                finding.name = table;
                return finding;
            }
        }
    }
    return finding;
}

} // namespace ado::ledger_check
