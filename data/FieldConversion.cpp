#include "data/FieldConversion.h"

#include "data/FormatDateTime.h"
#include "data/NumberText.h"

using ado::Variant;
using ado::VarKind;

double FieldConversion::DecimalToDouble(const ado::DecimalValue& value) {
    // The whole 96-bit mantissa over an exact power of ten: reading only its low 32 bits
    // turned 50,000,000.00 into 7,050,327.04.
    return value.ToDouble();
}

double FieldConversion::ToDouble(const ado::ValueView& value) {
    switch (value.kind) {
    case VarKind::I2:
    case VarKind::I4:
    case VarKind::Int:
    case VarKind::UI1:
        return static_cast<double>(value.integer);
    case VarKind::R4:
    case VarKind::R8:
        return value.real;
    case VarKind::Currency:
        return static_cast<double>(value.integer) / 10000.0;
    case VarKind::Decimal:
        return DecimalToDouble(value.decimal);
    default:
        return 0.0;
    }
}

bool FieldConversion::ToText(const ado::ValueView& value, const std::string& pattern,
                             std::string& text) {
    if (std::int64_t nValue = 0; ToInteger(value, nValue)) {
        NumberText::Itoa(nValue, text);
        return true;
    }
    switch (value.kind) {
    case VarKind::Empty:
    case VarKind::Null:
        text.clear();
        return true;
    case VarKind::UI4:
        text = NumberText::Ultoa(static_cast<std::uint32_t>(value.integer));
        return true;
    case VarKind::R4:
        text = NumberText::Gcvt(value.real, 10);
        return true;
    case VarKind::R8:
        text = NumberText::Gcvt(value.real, 20);
        return true;
    case VarKind::Decimal:
        text = NumberText::Gcvt(DecimalToDouble(value.decimal), 20);
        return true;
    case VarKind::Currency:
        text = NumberText::Currency(static_cast<double>(value.integer) / 10000.0);
        return true;
    case VarKind::Date: {
        COleDateTime date(value.real);
        date.SetStatus(COleDateTime::valid);
        text = FormatDateTime(date, pattern.empty() ? "%Y-%m-%d %H:%M:%S" : pattern);
        return true;
    }
    case VarKind::Text:
        text.assign(value.text);
        return true;
    case VarKind::Bool:
        text.assign(1, value.integer == -1 ? 'T' : 'F');
        return true;
    default:
        return false;
    }
}

bool FieldConversion::ToInteger(const ado::ValueView& value, std::int64_t& nValue) {
    switch (value.kind) {
    case VarKind::I2:
    case VarKind::UI1:
    case VarKind::Int:
    case VarKind::I4:
        nValue = value.integer;
        return true;
    default:
        return false;
    }
}

bool FieldConversion::ToDateTime(const ado::ValueView& value, COleDateTime& dateTime) {
    switch (value.kind) {
    case VarKind::Empty:
    case VarKind::Null:
        dateTime.SetStatus(COleDateTime::null);
        return true;
    case VarKind::Date:
        dateTime.m_dt = value.real;
        dateTime.SetStatus(COleDateTime::valid);
        return true;
    default:
        return false;
    }
}

Variant FieldConversion::FromText(const std::string& text) {
    return text.empty() ? Variant::Null() : Variant::Text(text);
}

Variant FieldConversion::FromDateTime(const COleDateTime& dateTime) {
    return Variant::Date(dateTime.m_dt);
}
