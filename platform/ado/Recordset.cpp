#include "platform/ado/Recordset.h"

#include "platform/ado/Connection.h"
#include "platform/ado/EngineError.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/ValueCodec.h"
#include "platform/ole/OleCalendar.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

namespace ado {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// Sort order: nulls, then numbers (dates in time order), then texts byte by byte.
int CompareForSort(const ValueView& a, const ValueView& b) {
    auto rank = [](const ValueView& v) {
        return v.IsNull() ? 0 : v.kind == VarKind::Text || v.kind == VarKind::Binary ? 2 : 1;
    };
    auto number = [](const ValueView& v) {
        if (v.kind == VarKind::Date)
            return ole::OleCalendar::ToLinear(v.real);
        if (v.kind == VarKind::Decimal)
            return v.decimal.ToDouble();
        if (v.kind == VarKind::R4 || v.kind == VarKind::R8)
            return v.real;
        // Integers, booleans and currency (in ten-thousandths, so among themselves).
        return static_cast<double>(v.integer);
    };
    if (rank(a) != rank(b) || rank(a) == 0)
        return rank(a) - rank(b);
    if (rank(a) == 2)
        return a.text.compare(b.text);
    // SQLite keeps no NaN, so this is a total order.
    return (number(a) > number(b)) - (number(a) < number(b));
}

} // namespace

Recordset::Recordset() = default;

Recordset::~Recordset() {
    m_inSource = false;
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
    m_forwardOnly = cursorType == adOpenForwardOnly;
    m_passedRows = false;
    m_inSource = false;
    m_rows.Clear();
    m_order.clear();
    m_added.clear();
    m_position = 0;
    m_edit = Edit::None;
    m_table.clear();

    if (options == adCmdTable || (options == adCmdUnknown && JetSql::IsBareName(source) &&
                                  connection->Engine().HasTable(source)))
        Adopt(connection->Engine().OpenTable(source));
    else
        OpenText(source);
    return S_OK;
}

void Recordset::OpenText(const std::string& source) {
    // DELETE, INSERT and the like run at once and leave no cursor.
    if (std::unique_ptr<BackendRows> rows =
            m_connection->Run(JetSql::TranslateDateLiterals(source)))
        Adopt(std::move(rows));
}

void Recordset::Adopt(std::unique_ptr<BackendRows> source) {
    m_columns = source->Columns();
    m_table = source->Table();
    m_rows = RowStore(m_columns.size());
    m_source = std::move(source);
    m_connection->Register(this);
    m_open = true;
}

void Recordset::ReleaseStatement() {
    if (m_source) {
        m_source.reset();
        if (m_connection)
            m_connection->Unregister(this);
    }
}

bool Recordset::ReadRow() {
    KeepCurrentRow(); // stepping on ends the engine's hold of it
    while (m_source) {
        bool more = false;
        try {
            more = m_source->Step();
        } catch (const ComError&) {
            ReleaseStatement();
            throw;
        }
        if (!more) {
            ReleaseStatement();
            return false;
        }
        const std::int64_t key = m_source->Key();
        if (!m_added.empty() && m_added.count(key))
            continue;
        m_rows.AppendRow(key);
        if (m_forwardOnly)
            m_inSource = true; // a walk reads most values once: no copy
        else
            m_source->ReadRow(m_rows);
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
    if (m_source && m_source->Busy())
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

void Recordset::CheckCanGoBack(const char* what) const {
    if (m_forwardOnly && m_passedRows)
        throw EngineError::Make(DB_E_CANTSCROLLBACKWARDS,
                                std::string("Rowset does not support fetching backward: ") +
                                    what + " needs the rows this forward-only cursor has passed.");
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

void Recordset::CheckCurrentRowSlowly() {
    if (!EnsureRow(m_position))
        throw EngineError::Make(ADO_E_NOCURRENTRECORD,
                                "Either BOF or EOF is True, or the current record has been "
                                "deleted.");
    if (m_rows.IsDeleted(RowAt(m_position)))
        throw EngineError::Make(DB_E_DELETEDROW, "The current record has been deleted.");
}

HRESULT Recordset::Close() {
    CheckOpen();
    m_inSource = false;
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
    if (m_forwardOnly && m_passedRows)
        return false; // rows were there before the cursor
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
    if (m_forwardOnly && m_source && m_order.empty() && m_position + 1 == m_rows.Rows()) {
        // Nothing behind the cursor is read again: the next row takes the current one's room.
        m_rows.Rewind();
        m_inSource = false; // the row went with the store's rows
        m_position = 0;
        m_passedRows = true;
        ReadRow(); // at the end the store stays empty: EOF
        return S_OK;
    }
    m_position = NextLiveRow(m_position + 1);
    return S_OK;
}

HRESULT Recordset::MoveFirst() {
    CheckOpen();
    CheckCanGoBack("MoveFirst");
    if (m_edit != Edit::None)
        Update();
    m_position = NextLiveRow(0);
    return S_OK;
}

long Recordset::RecordCount() {
    CheckOpen();
    if (m_forwardOnly)
        throw EngineError::Make(DB_E_CANTSCROLLBACKWARDS,
                                "Rowset does not support fetching backward: a forward-only "
                                "cursor does not count its rows.");
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
        if (JetSql::SameName(m_columns[i].name, name))
            return static_cast<long>(i);
    throw EngineError::Make(ADO_E_ITEMNOTFOUND, "Item cannot be found in the collection "
                                                "corresponding to the requested name or "
                                                "ordinal: '" +
                                                    std::string(name) + "'.");
}

ValueView Recordset::GetValueViewSlowly(long index) {
    CheckIndex(index);
    const auto column = static_cast<size_t>(index);
    if (m_edit != Edit::None && m_changes[column])
        return *m_changes[column];
    if (m_edit == Edit::New) {
        ValueView null;
        null.kind = VarKind::Null;
        return null;
    }
    CheckCurrentRow();
    KeepCurrentRow();
    return m_rows.View(RowAt(m_position), column);
}

HRESULT Recordset::PutValue(long index, const Variant& value) {
    CheckIndex(index);
    CheckUpdatable();
    if (m_edit == Edit::None) {
        CheckCurrentRow();
        KeepCurrentRow(); // the change is written into the kept row
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

void Recordset::PendingChanges(std::vector<std::string>& names,
                               std::vector<Variant>& values) const {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_changes[i]) {
            names.push_back(m_columns[i].originName);
            values.push_back(*m_changes[i]);
        }
    }
}

void Recordset::Insert() {
    std::vector<std::string> names;
    std::vector<Variant> values;
    PendingChanges(names, values);
    KeepCurrentRow(); // the new row's values follow the current one's
    const std::int64_t key = m_connection->Insert(m_table, names, values);
    if (m_source)
        m_added.insert(key);
    m_rows.AppendRow(key);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_changes[i])
            m_rows.Push(*m_changes[i]);
        else if (m_columns[i].isKey)
            m_rows.PushInteger(VarKind::I4, key);
        else
            m_rows.PushNull();
    }
    if (!m_order.empty())
        m_order.push_back(m_rows.Rows() - 1);
    m_position = m_rows.Rows() - 1;
}

void Recordset::Change() {
    std::vector<std::string> names;
    std::vector<Variant> values;
    PendingChanges(names, values);
    if (names.empty())
        return;
    if (m_connection->Change(m_table, m_rows.RowId(RowAt(m_position)), names, values) == 0)
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
    KeepCurrentRow(); // a deleted row is read from the store, which marks it
    m_connection->Delete(m_table, m_rows.RowId(RowAt(m_position)));
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
    CheckCanGoBack("Sort");
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
            descending = JetSql::SameName(word, "DESC");
            if (descending || JetSql::SameName(word, "ASC"))
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
            if (const int c = CompareForSort(m_rows.View(a, column), m_rows.View(b, column)))
                return key.descending ? c > 0 : c < 0;
        }
        return false;
    });
    m_order = std::move(order);
    m_sort = sort;
    m_position = NextLiveRow(0);
}

} // namespace ado
