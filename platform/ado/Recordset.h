#pragma once

#include "platform/ado/AdoConstants.h"
#include "platform/ado/Backend.h"
#include "platform/ado/ColumnInfo.h"
#include "platform/ado/PendingRead.h"
#include "platform/ado/RowStore.h"
#include "platform/ado/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ado {

class Connection;

/// A client static cursor over one SQL text or one table, with the operations and results
/// of the engine's Recordset object. Failures throw ComError.
///
/// Reading is lazy: nothing is read until a row is asked for, so opening a large table only
/// to add a row costs nothing. Rows once read stay in memory; asking for the count reads
/// the rest. Rows of a single table (a table by name, or a plain SELECT from one table) can
/// be changed, added and deleted; each change is written at once, by the row's key.
///
/// Opened with adOpenForwardOnly, the cursor serves one walk forward: it holds only the
/// current row (plus any it added), so a walk over many rows keeps no rows behind it. Once
/// it has passed a row, moving back (MoveFirst), sorting and counting are refused with
/// DB_E_CANTSCROLLBACKWARDS instead of answering from rows it no longer has. Its current
/// row's values are read where the engine holds them, not copied, until something needs the
/// row kept (a change, a delete, reading on past it without moving).
class Recordset : private PendingRead {
public:
    Recordset();
    ~Recordset() override;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    /// `options` adCmdTable opens the table named by `source` in rowid (insertion) order;
    /// adCmdText and adCmdUnknown run `source` as SQL, except that adCmdUnknown takes a
    /// bare table name as that table. A text that returns no rows runs at once and leaves
    /// the recordset closed.
    HRESULT Open(const std::string& source, const std::shared_ptr<Connection>& connection,
                 CursorType cursorType, LockType lockType, long options);
    HRESULT Close();
    ObjectState State() const { return m_open ? adStateOpen : adStateClosed; }

    bool IsEOF();
    /// True when there is no row before the cursor's first (an empty result).
    bool IsBOF();
    HRESULT MoveNext();
    /// Refused on a forward-only cursor that has passed a row.
    HRESULT MoveFirst();
    /// The number of rows (not counting deleted ones); reads the rest of the result.
    /// Refused on a forward-only cursor.
    long RecordCount();
    bool IsForwardOnly() const { return m_forwardOnly; }

    long FieldCount() const;
    const std::string& FieldName(long index) const;
    /// Throws ComError 0x800A0CC1 when no field has that name (compared without case).
    long FieldIndex(std::string_view name) const;
    Variant GetValue(long index) { return GetValueView(index).ToVariant(); }
    Variant GetValue(std::string_view name) { return GetValue(FieldIndex(name)); }
    /// The value as GetValue gives it, its text left where the cursor keeps it: valid until
    /// the cursor moves, changes a value or closes.
    ValueView GetValueView(long index) {
        // A walk's case, inline: an open cursor on a row it has read, nothing being edited.
        if (m_open && m_edit == Edit::None && index >= 0 &&
            static_cast<size_t>(index) < m_columns.size() && m_position < m_rows.Rows()) {
            const size_t row = RowAt(m_position);
            if (m_inSource && row + 1 == m_rows.Rows())
                return m_source->Value(static_cast<size_t>(index));
            if (!m_rows.IsDeleted(row))
                return m_rows.View(row, static_cast<size_t>(index));
        }
        return GetValueViewSlowly(index);
    }
    ValueView GetValueView(std::string_view name) { return GetValueView(FieldIndex(name)); }
    /// Sets a field of the row being added, or of the current row (starting its edit).
    HRESULT PutValue(long index, const Variant& value);
    HRESULT PutValue(std::string_view name, const Variant& value) {
        return PutValue(FieldIndex(name), value);
    }

    HRESULT AddNew();
    /// Writes the pending new row or change; nothing pending is S_OK.
    HRESULT Update();
    HRESULT CancelUpdate();
    HRESULT Delete(Affect affect);

    /// "column [ASC|DESC][, ...]" orders every row of the result by those columns (nulls
    /// first, dates in time order, texts byte by byte) and moves to the first row; rows added
    /// afterwards come last. "" gives back the result's own order.
    void PutSort(const std::string& sort);
    const std::string& GetSort() const { return m_sort; }
    void PutCursorType(CursorType type) { m_cursorType = type; }
    CursorType GetCursorType() const { return m_cursorType; }
    void PutCursorLocation(CursorLocation location) { m_cursorLocation = location; }
    CursorLocation GetCursorLocation() const { return m_cursorLocation; }

    /// Bytes held by the rows read so far.
    size_t MemoryUsed() const { return m_rows.MemoryUsed(); }

private:
    enum class Edit { None, New, Existing };

    /// The row of m_rows shown at a cursor position.
    size_t RowAt(size_t position) const { return m_order.empty() ? position : m_order[position]; }
    void FinishRead() override;
    void ConnectionClosing() override;

    void OpenText(const std::string& sql);
    void Adopt(std::unique_ptr<BackendRows> source);
    bool ReadRow();
    /// Copies the values of a row still held only by the engine into m_rows.
    void KeepCurrentRow() {
        if (m_inSource) {
            m_inSource = false;
            m_source->ReadRow(m_rows);
        }
    }
    bool EnsureRow(size_t index);
    void ReadAll();
    size_t NextLiveRow(size_t from);
    void ReleaseStatement();
    void CheckOpen() const;
    /// Throws DB_E_CANTSCROLLBACKWARDS for `what` on a forward-only cursor past its first row.
    void CheckCanGoBack(const char* what) const;
    void CheckIndex(long index) const;
    void CheckUpdatable() const;
    /// Throws unless the cursor stands on a row that is read and not deleted.
    void CheckCurrentRow() {
        if (m_position >= m_rows.Rows() || m_rows.IsDeleted(RowAt(m_position)))
            CheckCurrentRowSlowly();
    }
    void CheckCurrentRowSlowly();
    ValueView GetValueViewSlowly(long index);
    /// The columns set since AddNew or the edit began, with their values.
    void PendingChanges(std::vector<std::string>& names, std::vector<Variant>& values) const;
    void Insert();
    void Change();

    std::shared_ptr<Connection> m_connection;
    std::unique_ptr<BackendRows> m_source; // the rows still to read; null once all are read
    bool m_open = false;
    std::string m_table; // empty when the rows cannot be changed
    std::vector<ColumnInfo> m_columns;
    RowStore m_rows;
    size_t m_position = 0;
    std::vector<size_t> m_order; // the rows in sorted order; empty when not sorted
    Edit m_edit = Edit::None;
    std::vector<std::optional<Variant>> m_changes;
    size_t m_positionBeforeAdd = 0;
    // Rows this cursor added while its statement had rows left to read: skipped when read.
    std::unordered_set<std::int64_t> m_added;
    std::string m_sort;
    CursorType m_cursorType = adOpenForwardOnly;
    bool m_forwardOnly = false;
    bool m_passedRows = false; // a forward-only cursor has let rows go
    // The last row of m_rows has only its key: its values are m_source's current row.
    bool m_inSource = false;
    CursorLocation m_cursorLocation = adUseServer;
};

} // namespace ado
