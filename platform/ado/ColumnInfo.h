#pragma once

#include "platform/ado/Variant.h"

#include <string>
#include <string_view>

namespace ado {

/// One column of a recordset: its name, the value kind its declared type maps to, and the
/// table column it comes from (empty for expressions).
struct ColumnInfo {
    std::string name;
    std::string originName;
    /// Empty when the declared type is unknown: values then take the kind of what is stored.
    bool hasDeclaredKind = false;
    VarKind kind = VarKind::Empty;
    /// The row's key itself (an integer primary key): a new row reads its key here.
    bool isKey = false;

    /// INTEGER -> I4, DOUBLE/REAL -> R8, DATETIME -> Date, TEXT -> Text, BIT/BOOLEAN -> Bool,
    /// CURRENCY/MONEY -> Currency, DECIMAL/NUMERIC -> Decimal, and the near relatives of
    /// each; false for anything else.
    static bool KindOfDeclaredType(std::string_view declared, VarKind& kind);
};

} // namespace ado
