#pragma once

#include "platform/ado/Variant.h"

#include <cstring>
#include <string>

namespace testing_support {

/// A value as a comparable text: its kind and its contents, numbers bit for bit (NaN and -0
/// included), so two readings of one value compare exactly.
inline std::string ShownValue(const ado::Variant& value) {
    using ado::VarKind;
    std::string shown = std::to_string(static_cast<int>(value.Kind())) + ":";
    switch (value.Kind()) {
    case VarKind::Null:
    case VarKind::Empty:
        return shown;
    case VarKind::Text:
    case VarKind::Binary:
        return shown + value.TextValue();
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Date:
    case VarKind::Decimal: {
        const double number = value.RealValue();
        unsigned long long bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        return shown + std::to_string(bits);
    }
    default:
        return shown + std::to_string(value.IntegerValue());
    }
}

} // namespace testing_support
