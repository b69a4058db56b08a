#include "platform/ado/Recordset.h"

#include "platform/ado/Connection.h"
#include "platform/ado/EngineError.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/ValueCodec.h"
#include "platform/ole/OleCalendar.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

namespace ado {
namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const char* OrEmpty(const char* text) {
    return text ? text : "";
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// Sort order: nulls, then numbers (dates in time order), then texts byte by byte.
int CompareForSort(const Variant& a, const Variant& b) {
    auto rank = [](const Variant& v) {
        return v.IsNull() ? 0 : v.Kind() == VarKind::Text || v.Kind() == VarKind::Binary ? 2 : 1;
    };
    auto number = [](const Variant& v) {
        if (v.Kind() == VarKind::Date)
            return ole::OleCalendar::ToLinear(v.RealValue());
        if (v.Kind() == VarKind::Decimal)
            return v.DecimalData().ToDouble();
        if (v.Kind() == VarKind::R4 || v.Kind() == VarKind::R8)
            return v.RealValue();
        // Integers, booleans and currency (in ten-thousandths, so among themselves).
        return static_cast<double>(v.IntegerValue());
    };
    if (rank(a) != rank(b) || rank(a) == 0)
        return rank(a) - rank(b);
    if (rank(a) == 2)
        return a.TextValue().compare(b.TextValue());
    // SQLite keeps no NaN, so this is a total order.
    return (number(a) > number(b)) - (number(a) < number(b));
}

// The single table all result columns come from, or "" when there is none.
std::string SourceTable(sqlite3_stmt* statement, int firstColumn) {
    const int count = sqlite3_column_count(statement);
    std::string table;
    for (int i = firstColumn; i < count; ++i) {
        const char* name = sqlite3_column_table_name(statement, i);
        if (!name || (i > firstColumn && table != name))
            return {};
        table = name;
    }
    return table;
}

} // namespace

Recordset::Recordset() = default;

Recordset::~Recordset() {
    ReleaseStatement();
}

HRESULT Recordset::Open(const std::string& source, const std::shared_ptr<Connection>& connection,
                        CursorType cursorType, LockType /*lockType*/, long options) {
    if (m_open)
        throw EngineError::Make(ADO_E_OBJECTOPEN,
                                "Operation is not allowed when the object is open.");
    if (!connection || connection->State() == adStateClosed)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the connection is closed.");
    if (options == adCmdStoredProc)
        throw EngineError::Make(E_NOTIMPL, "Stored procedures are not supported.");
    m_connection = connection;
    m_cursorType = cursorType;
    m_rows.Clear();
    m_order.clear();
    m_added.clear();
    m_position = 0;
    m_edit = Edit::None;
    m_table.clear();

    if (options == adCmdTable) {
        OpenTable(source);
    } else if (options == adCmdUnknown && JetSql::IsBareName(source) &&
               sqlite3_table_column_metadata(connection->Handle(), "main", source.c_str(),
                                             nullptr, nullptr, nullptr, nullptr, nullptr,
                                             nullptr) == SQLITE_OK) {
        OpenTable(source);
    } else {
        OpenText(source);
    }
    return S_OK;
}

sqlite3_stmt* Recordset::Prepare(const std::string& sql, StatementPtr& statement) const {
    sqlite3* db = m_connection->Handle();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
    statement.reset(raw);
    if (rc != SQLITE_OK)
        m_connection->ThrowError(rc);
    if (!raw)
        throw EngineError::Make(DB_E_ERRORSINCOMMAND, "The SQL text is empty.");
    if (tail && !JetSql::IsEndOfText(tail))
        throw EngineError::Make(DB_E_ERRORSINCOMMAND,
                                "Characters found after end of SQL statement.");
    return raw;
}

void Recordset::OpenTable(const std::string& name) {
    StatementPtr statement;
    Prepare("SELECT rowid, * FROM " + JetSql::QuoteIdentifier(name) + " ORDER BY rowid",
            statement);
    Adopt(std::move(statement), 1, name);
}

void Recordset::OpenText(const std::string& source) {
    const std::string sql = JetSql::TranslateDateLiterals(source);
    StatementPtr statement;
    sqlite3_stmt* raw = Prepare(sql, statement);
    if (sqlite3_column_count(raw) == 0) {
        // DELETE, INSERT and the like: run now; there is no cursor.
        m_connection->FinishPendingReads();
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            m_connection->ThrowError(rc);
        return;
    }
    // A plain SELECT from one table gets the rowid in front, so its rows can be changed.
    const std::string table = SourceTable(raw, 0);
    if (!table.empty()) {
        if (const auto withRowId = JetSql::WithRowId(sql)) {
            sqlite3_stmt* keyed = nullptr;
            if (sqlite3_prepare_v2(m_connection->Handle(), withRowId->c_str(), -1, &keyed,
                                   nullptr) == SQLITE_OK) {
                StatementPtr keyedStatement(keyed);
                if (sqlite3_column_count(keyed) == sqlite3_column_count(raw) + 1 &&
                    SourceTable(keyed, 0) == table) {
                    Adopt(std::move(keyedStatement), 1, table);
                    return;
                }
            }
        }
    }
    Adopt(std::move(statement), 0, {});
}

void Recordset::Adopt(StatementPtr statement, int firstColumn, const std::string& table) {
    sqlite3_stmt* raw = statement.get();
    const int count = sqlite3_column_count(raw) - firstColumn;
    m_columns.assign(static_cast<size_t>(count), ColumnInfo{});
    m_isRowIdAlias.assign(static_cast<size_t>(count), false);
    for (int i = 0; i < count; ++i) {
        ColumnInfo& column = m_columns[static_cast<size_t>(i)];
        column.name = OrEmpty(sqlite3_column_name(raw, i + firstColumn));
        column.originName = OrEmpty(sqlite3_column_origin_name(raw, i + firstColumn));
        const char* declared = sqlite3_column_decltype(raw, i + firstColumn);
        column.hasDeclaredKind =
            declared && ColumnInfo::KindOfDeclaredType(declared, column.kind);
        if (!table.empty() && !column.originName.empty()) {
            int primaryKey = 0;
            const char* type = nullptr;
            if (sqlite3_table_column_metadata(m_connection->Handle(), "main", table.c_str(),
                                              column.originName.c_str(), &type, nullptr,
                                              nullptr, &primaryKey, nullptr) == SQLITE_OK)
                m_isRowIdAlias[static_cast<size_t>(i)] =
                    primaryKey && type && SameNameIgnoringCase(type, "INTEGER");
        }
    }
    m_firstColumn = firstColumn;
    m_table = table;
    m_rows = RowStore(static_cast<size_t>(count));
    m_statement = std::move(statement);
    m_connection->Register(this);
    m_open = true;
}

void Recordset::ReleaseStatement() {
    if (m_statement) {
        m_statement.reset();
        if (m_connection)
            m_connection->Unregister(this);
    }
}

bool Recordset::ReadRow() {
    while (m_statement) {
        sqlite3_stmt* raw = m_statement.get();
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_DONE) {
            ReleaseStatement();
            return false;
        }
        if (rc != SQLITE_ROW) {
            const ComError error =
                EngineError::FromSqlite(rc, m_connection->Handle(), m_connection->FilePath());
            ReleaseStatement();
            throw error;
        }
        const std::int64_t rowid = m_firstColumn ? sqlite3_column_int64(raw, 0) : 0;
        if (!m_added.empty() && m_added.count(rowid))
            continue;
        m_rows.AppendRow(rowid);
        for (size_t i = 0; i < m_columns.size(); ++i)
            ValueCodec::ReadInto(m_rows, raw, static_cast<int>(i) + m_firstColumn,
                                 m_columns[i]);
        return true;
    }
    return false;
}

bool Recordset::EnsureRow(size_t index) {
    while (m_rows.Rows() <= index)
        if (!ReadRow())
            return false;
    return true;
}

void Recordset::ReadAll() {
    while (ReadRow()) {
    }
}

void Recordset::FinishRead() {
    // A statement not yet stepped holds no lock and keeps no write from committing.
    if (m_statement && sqlite3_stmt_busy(m_statement.get()))
        ReadAll();
}

void Recordset::ConnectionClosing() {
    // A client cursor holds its whole result, also once its connection is gone.
    try {
        ReadAll();
    } catch (const ComError&) {
        Close();
    }
    ReleaseStatement();
}

size_t Recordset::NextLiveRow(size_t from) {
    while (EnsureRow(from) && m_rows.IsDeleted(RowAt(from)))
        ++from;
    return from;
}

void Recordset::CheckOpen() const {
    if (!m_open)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the object is closed.");
}

void Recordset::CheckIndex(long index) const {
    CheckOpen();
    if (index < 0 || index >= static_cast<long>(m_columns.size()))
        throw EngineError::Make(ADO_E_ITEMNOTFOUND,
                                "Item cannot be found in the collection corresponding to the "
                                "requested name or ordinal.");
}

void Recordset::CheckUpdatable() const {
    CheckOpen();
    if (m_table.empty())
        throw EngineError::Make(ADO_E_NOTUPDATABLE,
                                "This recordset cannot be updated: its rows do not come from "
                                "one table.");
}

void Recordset::CheckCurrentRow() {
    if (!EnsureRow(m_position))
        throw EngineError::Make(ADO_E_NOCURRENTRECORD,
                                "Either BOF or EOF is True, or the current record has been "
                                "deleted.");
    if (m_rows.IsDeleted(RowAt(m_position)))
        throw EngineError::Make(DB_E_DELETEDROW, "The current record has been deleted.");
}

HRESULT Recordset::Close() {
    CheckOpen();
    ReleaseStatement();
    m_edit = Edit::None;
    m_changes.clear();
    m_rows.Clear();
    m_order.clear();
    m_sort.clear();
    m_added.clear();
    m_open = false;
    return S_OK;
}

bool Recordset::IsEOF() {
    CheckOpen();
    return !EnsureRow(m_position);
}

bool Recordset::IsBOF() {
    CheckOpen();
    return !EnsureRow(NextLiveRow(0));
}

HRESULT Recordset::MoveNext() {
    CheckOpen();
    if (m_edit != Edit::None)
        Update();
    if (!EnsureRow(m_position))
        throw EngineError::Make(ADO_E_NOCURRENTRECORD,
                                "Either BOF or EOF is True, or the current record has been "
                                "deleted.");
    m_position = NextLiveRow(m_position + 1);
    return S_OK;
}

HRESULT Recordset::MoveFirst() {
    CheckOpen();
    if (m_edit != Edit::None)
        Update();
    m_position = NextLiveRow(0);
    return S_OK;
}

long Recordset::RecordCount() {
    CheckOpen();
    ReadAll();
    return static_cast<long>(m_rows.LiveRows());
}

long Recordset::FieldCount() const {
    CheckOpen();
    return static_cast<long>(m_columns.size());
}

const std::string& Recordset::FieldName(long index) const {
    CheckIndex(index);
    return m_columns[static_cast<size_t>(index)].name;
}

long Recordset::FieldIndex(std::string_view name) const {
    CheckOpen();
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (SameNameIgnoringCase(m_columns[i].name, name))
            return static_cast<long>(i);
    throw EngineError::Make(ADO_E_ITEMNOTFOUND, "Item cannot be found in the collection "
                                                "corresponding to the requested name or "
                                                "ordinal: '" +
                                                    std::string(name) + "'.");
}

Variant Recordset::GetValue(long index) {
    CheckIndex(index);
    const auto column = static_cast<size_t>(index);
    if (m_edit != Edit::None && m_changes[column])
        return *m_changes[column];
    if (m_edit == Edit::New)
        return Variant::Null();
    CheckCurrentRow();
    return m_rows.Get(RowAt(m_position), column);
}

HRESULT Recordset::PutValue(long index, const Variant& value) {
    CheckIndex(index);
    CheckUpdatable();
    if (m_edit == Edit::None) {
        CheckCurrentRow();
        m_edit = Edit::Existing;
        m_changes.assign(m_columns.size(), std::nullopt);
    }
    const auto column = static_cast<size_t>(index);
    m_changes[column] = ValueCodec::Coerce(m_columns[column], value);
    return S_OK;
}

HRESULT Recordset::AddNew() {
    CheckUpdatable();
    if (m_edit != Edit::None)
        Update();
    m_positionBeforeAdd = m_position;
    m_changes.assign(m_columns.size(), std::nullopt);
    m_edit = Edit::New;
    return S_OK;
}

void Recordset::StepWrite(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) {
        const ComError error =
            EngineError::FromSqlite(rc, m_connection->Handle(), m_connection->FilePath());
        sqlite3_reset(statement);
        throw error;
    }
    sqlite3_reset(statement);
}

void Recordset::Insert() {
    std::string names;
    std::string marks;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_changes[i])
            continue;
        names += (names.empty() ? "" : ", ") + JetSql::QuoteIdentifier(m_columns[i].originName);
        marks += marks.empty() ? "?" : ", ?";
    }
    const std::string table = JetSql::QuoteIdentifier(m_table);
    const std::string sql = names.empty()
                                ? "INSERT INTO " + table + " DEFAULT VALUES"
                                : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
    m_connection->FinishPendingReads();
    sqlite3_stmt* statement = m_connection->CachedStatement(sql);
    int parameter = 0;
    for (const auto& change : m_changes)
        if (change)
            ValueCodec::Bind(statement, ++parameter, *change);
    StepWrite(statement);

    const std::int64_t rowid = sqlite3_last_insert_rowid(m_connection->Handle());
    if (m_statement)
        m_added.insert(rowid);
    m_rows.AppendRow(rowid);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_changes[i])
            m_rows.Push(*m_changes[i]);
        else if (m_isRowIdAlias[i])
            m_rows.PushInteger(VarKind::I4, rowid);
        else
            m_rows.PushNull();
    }
    if (!m_order.empty())
        m_order.push_back(m_rows.Rows() - 1);
    m_position = m_rows.Rows() - 1;
}

void Recordset::Change() {
    std::string assignments;
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_changes[i])
            assignments += (assignments.empty() ? "" : ", ") +
                           JetSql::QuoteIdentifier(m_columns[i].originName) + " = ?";
    if (assignments.empty())
        return;
    m_connection->FinishPendingReads();
    sqlite3_stmt* statement = m_connection->CachedStatement(
        "UPDATE " + JetSql::QuoteIdentifier(m_table) + " SET " + assignments +
        " WHERE rowid = ?");
    int parameter = 0;
    for (const auto& change : m_changes)
        if (change)
            ValueCodec::Bind(statement, ++parameter, *change);
    sqlite3_bind_int64(statement, ++parameter, m_rows.RowId(RowAt(m_position)));
    StepWrite(statement);
    if (sqlite3_changes(m_connection->Handle()) == 0)
        throw EngineError::Make(E_FAIL, "The row to change no longer exists.");
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_changes[i])
            m_rows.Set(RowAt(m_position), i, *m_changes[i]);
}

HRESULT Recordset::Update() {
    CheckOpen();
    if (m_edit == Edit::None)
        return S_OK;
    if (m_edit == Edit::New)
        Insert();
    else
        Change();
    m_edit = Edit::None;
    m_changes.clear();
    return S_OK;
}

HRESULT Recordset::CancelUpdate() {
    CheckOpen();
    if (m_edit == Edit::New)
        m_position = m_positionBeforeAdd;
    m_edit = Edit::None;
    m_changes.clear();
    return S_OK;
}

HRESULT Recordset::Delete(Affect /*affect*/) {
    CheckUpdatable();
    if (m_edit == Edit::New)
        CancelUpdate();
    CheckCurrentRow();
    m_connection->FinishPendingReads();
    sqlite3_stmt* statement = m_connection->CachedStatement(
        "DELETE FROM " + JetSql::QuoteIdentifier(m_table) + " WHERE rowid = ?");
    sqlite3_bind_int64(statement, 1, m_rows.RowId(RowAt(m_position)));
    StepWrite(statement);
    m_rows.MarkDeleted(RowAt(m_position));
    m_edit = Edit::None;
    m_changes.clear();
    return S_OK;
}

void Recordset::PutSort(const std::string& sort) {
    if (sort.empty()) {
        if (!m_order.empty()) {
            m_order.clear();
            m_position = NextLiveRow(0);
        }
        m_sort.clear();
        return;
    }
    CheckOpen();
    struct Key {
        long column;
        bool descending;
    };
    std::vector<Key> keys;
    for (size_t start = 0; start <= sort.size();) {
        const size_t end = std::min(sort.find(',', start), sort.size());
        std::string_view part = Trimmed(std::string_view(sort).substr(start, end - start));
        bool descending = false;
        const size_t blank = part.find_last_of(" \t");
        if (blank != std::string_view::npos) {
            const std::string_view word = part.substr(blank + 1);
            descending = SameNameIgnoringCase(word, "DESC");
            if (descending || SameNameIgnoringCase(word, "ASC"))
                part = Trimmed(part.substr(0, blank));
        }
        if (part.size() >= 2 && part.front() == '[' && part.back() == ']')
            part = part.substr(1, part.size() - 2);
        if (part.empty())
            throw EngineError::Make(ADO_E_INVALIDARGUMENT,
                                    "The sort names no column: '" + sort + "'.");
        keys.push_back({FieldIndex(part), descending});
        start = end + 1;
    }
    if (m_edit != Edit::None)
        Update();
    ReadAll();
    std::vector<size_t> order(m_rows.Rows());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        for (const Key& key : keys) {
            const auto column = static_cast<size_t>(key.column);
            if (const int c = CompareForSort(m_rows.Get(a, column), m_rows.Get(b, column)))
                return key.descending ? c > 0 : c < 0;
        }
        return false;
    });
    m_order = std::move(order);
    m_sort = sort;
    m_position = NextLiveRow(0);
}

} // namespace ado
