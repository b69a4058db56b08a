#include "platform/ado/Variant.h"

#include "platform/ole/PointNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ado {
namespace {

__extension__ typedef unsigned __int128 Wide;

} // namespace

DecimalValue DecimalValue::FromDouble(double value) {
    DecimalValue result;
    if (!std::isfinite(value))
        return result;
    result.sign = value < 0 ? 0x80 : 0;
    // The shortest of the 15-digit forms, read back digit by digit.
    const std::string text =
        ole::PointNumber::Format(std::fabs(value), std::chars_format::scientific, 15);
    const size_t exponentMark = text.find('e');
    const int exponent = std::atoi(text.c_str() + exponentMark + 1);
    std::string digits;
    for (const char c : text.substr(0, exponentMark))
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    // value = 0.digits... * 10^(exponent + 1)
    int scale = static_cast<int>(digits.size()) - 1 - exponent;
    if (scale < 0) {
        digits.append(static_cast<size_t>(-scale), '0');
        scale = 0;
    }
    if (scale > 28) {
        const auto drop = static_cast<size_t>(scale - 28);
        digits = drop < digits.size() ? digits.substr(0, digits.size() - drop) : "0";
        scale = 28;
    }
    Wide mantissa = 0;
    for (char c : digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    result.scale = static_cast<std::uint8_t>(scale);
    result.lo64 = static_cast<std::uint64_t>(mantissa);
    result.hi32 = static_cast<std::uint32_t>(mantissa >> 64);
    return result;
}

bool DecimalValue::Fits(double value) {
    // 2^96 - 1, the largest mantissa at scale 0.
    return std::isfinite(value) && std::fabs(value) < 79228162514264337593543950335.0;
}

double DecimalValue::ToDouble() const {
    const double mantissa =
        static_cast<double>(hi32) * 18446744073709551616.0 + static_cast<double>(lo64);
    const double value = mantissa / std::pow(10.0, scale);
    return sign == 0x80 ? -value : value;
}

Variant Variant::Null() {
    Variant v;
    v.m_kind = VarKind::Null;
    return v;
}

Variant Variant::Integer(VarKind kind, std::int64_t value) {
    Variant v;
    v.m_kind = kind;
    v.m_integer = value;
    return v;
}

Variant Variant::Real(VarKind kind, double value) {
    Variant v;
    v.m_kind = kind;
    v.m_real = value;
    return v;
}

Variant Variant::Date(double oleDate) {
    return Real(VarKind::Date, oleDate);
}

Variant Variant::Text(std::string text) {
    Variant v;
    v.m_kind = VarKind::Text;
    v.m_text = std::move(text);
    return v;
}

Variant Variant::Text(std::string_view text) {
    Variant v;
    v.m_kind = VarKind::Text;
    v.m_text.assign(text);
    return v;
}

Variant Variant::Bool(bool value) {
    return Integer(VarKind::Bool, value ? -1 : 0);
}

Variant Variant::Currency(std::int64_t tenThousandths) {
    return Integer(VarKind::Currency, tenThousandths);
}

Variant Variant::Decimal(const DecimalValue& value) {
    Variant v;
    v.m_kind = VarKind::Decimal;
    v.m_decimal = value;
    return v;
}

Variant Variant::Binary(std::string bytes) {
    Variant v;
    v.m_kind = VarKind::Binary;
    v.m_text = std::move(bytes);
    return v;
}

ValueView::ValueView(const Variant& value)
    : kind(value.Kind()), integer(value.IntegerValue()), real(value.RealValue()),
      text(value.TextValue()), decimal(value.DecimalData()) {
}

Variant ValueView::ToVariant() const {
    switch (kind) {
    case VarKind::Empty:
        return Variant();
    case VarKind::Null:
        return Variant::Null();
    case VarKind::Text:
        return Variant::Text(text);
    case VarKind::Binary:
        return Variant::Binary(std::string(text));
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Date:
        return Variant::Real(kind, real);
    case VarKind::Decimal:
        return Variant::Decimal(decimal);
    default:
        return Variant::Integer(kind, integer);
    }
}

} // namespace ado
