#pragma once

#include "platform/ado/ColumnInfo.h"
#include "platform/ado/Variant.h"

#include <string>

namespace ado {

/// Turns the caller's values into what a column stores, the same for every engine.
class ValueCodec {
public:
    /// The value as the column stores it; throws ComError (type mismatch, overflow) when it
    /// cannot be converted.
    static Variant Coerce(const ColumnInfo& column, const Variant& value);
    /// Coerce where the value stands: one already of the column's kind is only checked.
    static void CoerceInPlace(const ColumnInfo& column, Variant& value);
    /// A numeric value (currency, decimal, integers, reals) as a double.
    static double Number(const Variant& value);
    /// A value as text: dates as 'YYYY-MM-DD HH:MM:SS', numbers with 15 digits.
    static std::string Text(const Variant& value);
};

} // namespace ado
