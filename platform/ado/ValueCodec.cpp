#include "platform/ado/ValueCodec.h"

#include "platform/ado/EngineError.h"
#include "platform/ado/StoredDate.h"
#include "platform/ole/OleCalendar.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

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

void PushByStorage(RowStore& rows, sqlite3_value* value) {
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

[[noreturn]] void Mismatch() {
    throw EngineError::Make(DISP_E_TYPEMISMATCH, "Data type mismatch in the value given.");
}

[[noreturn]] void Overflow() {
    throw EngineError::Make(DISP_E_OVERFLOW, "The value is out of range for the column.");
}

bool IsInteger(VarKind kind) {
    return kind == VarKind::I2 || kind == VarKind::I4 || kind == VarKind::UI1 ||
           kind == VarKind::UI4 || kind == VarKind::Int;
}

// A numeric value as a double; text must be a whole decimal number.
bool NumberOf(const Variant& value, double& number) {
    switch (value.Kind()) {
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Date:
        number = value.RealValue();
        return true;
    case VarKind::Currency:
        number = static_cast<double>(value.IntegerValue()) / 10000.0;
        return true;
    case VarKind::Decimal:
        number = value.DecimalData().ToDouble();
        return true;
    case VarKind::Text: {
        const std::string& text = value.TextValue();
        char* end = nullptr;
        number = std::strtod(text.c_str(), &end);
        if (text.empty() || end == text.c_str())
            return false;
        while (*end == ' ')
            ++end;
        return *end == '\0';
    }
    case VarKind::Binary:
        return false;
    default:
        if (IsInteger(value.Kind()) || value.Kind() == VarKind::Bool) {
            number = static_cast<double>(value.IntegerValue());
            return true;
        }
        return false;
    }
}

std::string TextOf(const Variant& value) {
    char buffer[64];
    switch (value.Kind()) {
    case VarKind::Text:
    case VarKind::Binary:
        return value.TextValue();
    case VarKind::Date: {
        std::string text;
        if (!StoredDate::Format(value.RealValue(), text))
            Overflow();
        return text;
    }
    case VarKind::Bool:
        return value.IntegerValue() ? "True" : "False";
    default: {
        double number = 0;
        NumberOf(value, number);
        std::snprintf(buffer, sizeof buffer, "%.15g", number);
        return buffer;
    }
    }
}

std::int64_t IntegerOf(VarKind target, const Variant& value) {
    double number = 0;
    if (value.Kind() == VarKind::Date || !NumberOf(value, number))
        Mismatch();
    const double rounded = std::nearbyint(number);
    double low = std::numeric_limits<std::int32_t>::min();
    double high = std::numeric_limits<std::int32_t>::max();
    if (target == VarKind::I2) {
        low = -32768;
        high = 32767;
    } else if (target == VarKind::UI1) {
        low = 0;
        high = 255;
    } else if (target == VarKind::UI4) {
        low = 0;
        high = 4294967295.0;
    }
    if (!(rounded >= low && rounded <= high))
        Overflow();
    return static_cast<std::int64_t>(rounded);
}

} // namespace

void ValueCodec::ReadInto(RowStore& rows, sqlite3_stmt* statement, int index,
                          const ColumnInfo& column) {
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

Variant ValueCodec::Coerce(const ColumnInfo& column, const Variant& value) {
    if (value.IsNull())
        return Variant::Null();
    if (!column.hasDeclaredKind || column.kind == value.Kind()) {
        if (value.Kind() == VarKind::Date && !ole::OleCalendar::InRange(value.RealValue()))
            Overflow();
        return value;
    }
    double number = 0;
    switch (column.kind) {
    case VarKind::Text:
        return Variant::Text(TextOf(value));
    case VarKind::Binary:
        if (value.Kind() != VarKind::Text)
            Mismatch();
        return Variant::Binary(value.TextValue());
    case VarKind::R4:
    case VarKind::R8:
        if (!NumberOf(value, number))
            Mismatch();
        return Variant::Real(column.kind, number);
    case VarKind::Date:
        if (value.Kind() == VarKind::Text) {
            if (!StoredDate::Parse(value.TextValue(), number))
                Mismatch();
        } else if (!NumberOf(value, number)) {
            Mismatch();
        }
        if (!ole::OleCalendar::InRange(number))
            Overflow();
        return Variant::Date(number);
    case VarKind::Bool:
        if (!NumberOf(value, number))
            Mismatch();
        return Variant::Bool(number != 0);
    case VarKind::Currency:
        if (!NumberOf(value, number) || std::fabs(number) > 9.2e14)
            Mismatch();
        return Variant::Currency(std::llround(number * 10000.0));
    case VarKind::Decimal:
        if (!NumberOf(value, number))
            Mismatch();
        if (!DecimalValue::Fits(number))
            Overflow();
        return Variant::Decimal(DecimalValue::FromDouble(number));
    default:
        return Variant::Integer(column.kind, IntegerOf(column.kind, value));
    }
}

void ValueCodec::Bind(sqlite3_stmt* statement, int index, const Variant& value) {
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
        const std::string text = TextOf(value);
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        break;
    }
    case VarKind::Bool:
        sqlite3_bind_int(statement, index, value.IntegerValue() ? 1 : 0);
        break;
    case VarKind::Currency:
    case VarKind::Decimal: {
        double number = 0;
        NumberOf(value, number);
        sqlite3_bind_double(statement, index, number);
        break;
    }
    default:
        sqlite3_bind_int64(statement, index, value.IntegerValue());
        break;
    }
}

} // namespace ado
