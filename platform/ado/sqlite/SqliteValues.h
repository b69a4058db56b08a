#pragma once

#include "platform/ado/ColumnInfo.h"
#include "platform/ado/RowStore.h"
#include "platform/ado/Variant.h"
#include "platform/ado/ViewSink.h"

struct sqlite3_stmt;

namespace ado {

/// Moves values between SQLite and the engine's tagged values, by the column's declared
/// kind.
class SqliteValues {
public:
    /// Appends column `index` of the statement's current row to the last row of `rows`.
    static void ReadInto(RowStore& rows, sqlite3_stmt* statement, int index,
                         const ColumnInfo& column);
    /// The same value left in the statement's current row: its text is valid until the
    /// statement steps again.
    static void ReadInto(ViewSink& view, sqlite3_stmt* statement, int index,
                         const ColumnInfo& column);
    /// Columns [first, first + count) of the current row into `views`, each as ReadInto
    /// reads it; `columns` describes them in the same order.
    static void ReadRowInto(ValueView* views, size_t count, sqlite3_stmt* statement, int first,
                            const ColumnInfo* columns);
    /// Binds a value made by ValueCodec::Coerce to parameter `index` (from 1).
    static void Bind(sqlite3_stmt* statement, int index, const Variant& value);
};

} // namespace ado
