#include "platform/ado/sqlite/SqliteValues.h"

#include "platform/ado/StoredDate.h"
#include "platform/ado/ValueCodec.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <string_view>

namespace ado {
namespace {

// Values are read through sqlite3_value: one column lookup per value instead of one per call.
std::string_view ValueText(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return {text ? text : "", static_cast<size_t>(sqlite3_value_bytes(value))};
}

bool FitsInt32(sqlite3_int64 value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

template <class Sink> void PushByStorage(Sink& rows, sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 number = sqlite3_value_int64(value);
        if (FitsInt32(number))
            rows.PushInteger(VarKind::I4, number);
        else
            rows.PushReal(VarKind::R8, static_cast<double>(number));
        break;
    }
    case SQLITE_FLOAT:
        rows.PushReal(VarKind::R8, sqlite3_value_double(value));
        break;
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
        rows.PushText(VarKind::Binary,
                      {bytes ? bytes : "", static_cast<size_t>(sqlite3_value_bytes(value))});
        break;
    }
    default:
        rows.PushText(VarKind::Text, ValueText(value));
        break;
    }
}

bool IsInteger(VarKind kind) {
    return kind == VarKind::I2 || kind == VarKind::I4 || kind == VarKind::UI1 ||
           kind == VarKind::UI4 || kind == VarKind::Int;
}

// Both the stored rows and the in-place views take a value by the same reading.
template <class Sink>
void Read(Sink& rows, sqlite3_stmt* statement, int index, const ColumnInfo& column) {
    sqlite3_value* value = sqlite3_column_value(statement, index);
    const int storage = sqlite3_value_type(value);
    if (storage == SQLITE_NULL) {
        rows.PushNull();
        return;
    }
    const bool numeric = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
    if (!column.hasDeclaredKind) {
        PushByStorage(rows, value);
        return;
    }
    switch (column.kind) {
    case VarKind::Text:
        if (storage == SQLITE_BLOB)
            break;
        rows.PushText(VarKind::Text, ValueText(value));
        return;
    case VarKind::Date: {
        double date = 0;
        if (numeric) {
            rows.PushReal(VarKind::Date, sqlite3_value_double(value));
            return;
        }
        if (storage == SQLITE_TEXT && StoredDate::Parse(ValueText(value), date)) {
            rows.PushReal(VarKind::Date, date);
            return;
        }
        break;
    }
    case VarKind::R4:
    case VarKind::R8:
        if (!numeric)
            break;
        rows.PushReal(column.kind, sqlite3_value_double(value));
        return;
    case VarKind::Bool:
        if (!numeric)
            break;
        rows.PushInteger(VarKind::Bool, sqlite3_value_double(value) != 0 ? -1 : 0);
        return;
    case VarKind::Currency:
        if (!numeric)
            break;
        rows.PushInteger(VarKind::Currency, std::llround(sqlite3_value_double(value) * 10000.0));
        return;
    case VarKind::Decimal:
        if (!numeric || !DecimalValue::Fits(sqlite3_value_double(value)))
            break;
        rows.PushReal(VarKind::Decimal, sqlite3_value_double(value));
        return;
    default:
        if (IsInteger(column.kind) && storage == SQLITE_INTEGER &&
            FitsInt32(sqlite3_value_int64(value))) {
            rows.PushInteger(column.kind, sqlite3_value_int64(value));
            return;
        }
        break;
    }
    // What is stored does not fit the declared type: hand it over as it is.
    PushByStorage(rows, value);
}

} // namespace

void SqliteValues::ReadInto(RowStore& rows, sqlite3_stmt* statement, int index,
                            const ColumnInfo& column) {
    Read(rows, statement, index, column);
}

void SqliteValues::ReadInto(ViewSink& view, sqlite3_stmt* statement, int index,
                            const ColumnInfo& column) {
    Read(view, statement, index, column);
}

void SqliteValues::ReadRowInto(ValueView* views, size_t count, sqlite3_stmt* statement,
                              int first, const ColumnInfo* columns) {
    // SQLite's values are all viewed in place: nothing is written into the scratch text.
    std::string unused;
    for (size_t column = 0; column < count; ++column) {
        views[column] = ValueView();
        ViewSink sink(views[column], unused);
        Read(sink, statement, first + static_cast<int>(column), columns[column]);
    }
}

void SqliteValues::Bind(sqlite3_stmt* statement, int index, const Variant& value) {
    switch (value.Kind()) {
    case VarKind::Empty:
    case VarKind::Null:
        sqlite3_bind_null(statement, index);
        break;
    case VarKind::Text:
        sqlite3_bind_text(statement, index, value.TextValue().data(),
                          static_cast<int>(value.TextValue().size()), SQLITE_TRANSIENT);
        break;
    case VarKind::Binary:
        sqlite3_bind_blob(statement, index, value.TextValue().data(),
                          static_cast<int>(value.TextValue().size()), SQLITE_TRANSIENT);
        break;
    case VarKind::R4:
    case VarKind::R8:
        sqlite3_bind_double(statement, index, value.RealValue());
        break;
    case VarKind::Date: {
        const std::string text = ValueCodec::Text(value);
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        break;
    }
    case VarKind::Bool:
        sqlite3_bind_int(statement, index, value.IntegerValue() ? 1 : 0);
        break;
    case VarKind::Currency:
    case VarKind::Decimal: {
        sqlite3_bind_double(statement, index, ValueCodec::Number(value));
        break;
    }
    default:
        sqlite3_bind_int64(statement, index, value.IntegerValue());
        break;
    }
}

} // namespace ado
