#pragma once

#include "platform/ado/Variant.h"
#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <string>

/// How a column value becomes the program's number, text or date-time, and back.
class FieldConversion {
public:
    /// Null and empty give 0.0; integers, bytes, singles, doubles, currency and decimals
    /// their value; anything else 0.0.
    static double ToDouble(const ado::ValueView& value);
    /// False for kinds without a text form (the target is then left alone). Dates use
    /// `pattern`, or "%Y-%m-%d %H:%M:%S" when it is empty.
    static bool ToText(const ado::ValueView& value, const std::string& pattern, std::string& text);
    /// True for the integer kinds, whose text ToText writes as the plain decimal number:
    /// the number itself, so that a caller may keep it instead of its text.
    static bool ToInteger(const ado::ValueView& value, std::int64_t& nValue);
    /// Null and empty make the target null (its date kept); a date makes it that valid
    /// date; other kinds give false and leave it alone.
    static bool ToDateTime(const ado::ValueView& value, COleDateTime& dateTime);
    /// "" is written as null.
    static ado::Variant FromText(const std::string& text);
    /// The date the value holds, whatever its status.
    static ado::Variant FromDateTime(const COleDateTime& dateTime);
    /// sign * mantissa / 10^scale, the whole 96-bit mantissa.
    static double DecimalToDouble(const ado::DecimalValue& value);
};
