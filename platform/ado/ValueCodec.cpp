#include "platform/ado/ValueCodec.h"

#include "platform/ado/EngineError.h"
#include "platform/ado/StoredDate.h"
#include "platform/ole/OleCalendar.h"
#include "platform/ole/PointNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ado {
namespace {

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
        number = ole::PointNumber::Parse(text.c_str(), &end);
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
        return ole::PointNumber::Format(number, std::chars_format::general, 15);
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

void ValueCodec::CoerceInPlace(const ColumnInfo& column, Variant& value) {
    if (!value.IsNull() && column.hasDeclaredKind && column.kind != value.Kind())
        value = Coerce(column, value);
    else if (value.Kind() == VarKind::Date && !ole::OleCalendar::InRange(value.RealValue()))
        Overflow();
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

double ValueCodec::Number(const Variant& value) {
    double number = 0;
    NumberOf(value, number);
    return number;
}

std::string ValueCodec::Text(const Variant& value) {
    return TextOf(value);
}

} // namespace ado
