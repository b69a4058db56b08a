#include "platform/ado/pg/PgValues.h"

#include "platform/ado/StoredDate.h"
#include "platform/ado/ValueCodec.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ado {
namespace {

// The server's type oids that the ledger's columns and the usual expressions have.
enum TypeOid : unsigned {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kMoney = 790,
    kBpchar = 1042,
    kVarchar = 1043,
    kDate = 1082,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kNumeric = 1700,
};

bool ParseDouble(std::string_view text, double& number) {
    // strtod reads "NaN" and "Infinity" as the server writes them.
    const std::string copy(text);
    char* end = nullptr;
    number = std::strtod(copy.c_str(), &end);
    return !copy.empty() && end && *end == '\0';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool PgValues::KindOfType(unsigned typeOid, VarKind& kind) {
    switch (typeOid) {
    case kBool:
        kind = VarKind::Bool;
        return true;
    case kBytea:
        kind = VarKind::Binary;
        return true;
    case kInt2:
        kind = VarKind::I2;
        return true;
    case kInt4:
        kind = VarKind::I4;
        return true;
    case kText:
    case kBpchar:
    case kVarchar:
        kind = VarKind::Text;
        return true;
    case kFloat4:
        kind = VarKind::R4;
        return true;
    case kFloat8:
        kind = VarKind::R8;
        return true;
    case kMoney:
        kind = VarKind::Currency;
        return true;
    case kDate:
    case kTimestamp:
    case kTimestampTz:
        kind = VarKind::Date;
        return true;
    case kNumeric:
        kind = VarKind::Decimal;
        return true;
    default:
        // Counts (bigint) and everything else: by what the value looks like.
        return false;
    }
}

void PgValues::ReadInto(RowStore& rows, const char* text, size_t length, unsigned typeOid) {
    if (!text) {
        rows.PushNull();
        return;
    }
    const std::string_view value(text, length);
    double number = 0;
    switch (typeOid) {
    case kText:
    case kBpchar:
    case kVarchar:
        rows.PushText(VarKind::Text, value);
        return;
    case kInt2:
    case kInt4:
        rows.PushInteger(typeOid == kInt2 ? VarKind::I2 : VarKind::I4,
                         std::strtoll(text, nullptr, 10));
        return;
    case kInt8: {
        const long long whole = std::strtoll(text, nullptr, 10);
        if (whole >= std::numeric_limits<std::int32_t>::min() &&
            whole <= std::numeric_limits<std::int32_t>::max())
            rows.PushInteger(VarKind::I4, whole);
        else
            rows.PushReal(VarKind::R8, static_cast<double>(whole));
        return;
    }
    case kFloat4:
    case kFloat8:
        if (ParseDouble(value, number)) {
            rows.PushReal(typeOid == kFloat4 ? VarKind::R4 : VarKind::R8, number);
            return;
        }
        break;
    case kNumeric:
        if (ParseDouble(value, number) && DecimalValue::Fits(number)) {
            rows.PushReal(VarKind::Decimal, number);
            return;
        }
        break;
    case kMoney: {
        // "$1,234.56" or "-$1.00": the digits and the point are the amount.
        std::string digits;
        for (char c : value)
            if ((c >= '0' && c <= '9') || c == '.' || c == '-')
                digits += c;
        if (ParseDouble(digits, number)) {
            rows.PushInteger(VarKind::Currency, std::llround(number * 10000.0));
            return;
        }
        break;
    }
    case kBool:
        rows.PushInteger(VarKind::Bool, value == "t" ? -1 : 0);
        return;
    case kDate:
    case kTimestamp:
    case kTimestampTz: {
        // Whole seconds: a fraction or a zone after them does not change the day's time.
        const std::string_view stored = value.substr(0, std::min<size_t>(value.size(), 19));
        if (StoredDate::Parse(stored, number)) {
            rows.PushReal(VarKind::Date, number);
            return;
        }
        break;
    }
    case kBytea:
        if (value.size() >= 2 && value[0] == '\\' && value[1] == 'x') {
            std::string bytes;
            for (size_t i = 2; i + 1 < value.size(); i += 2)
                bytes += static_cast<char>(HexDigit(value[i]) * 16 + HexDigit(value[i + 1]));
            rows.PushText(VarKind::Binary, bytes);
            return;
        }
        break;
    default:
        break;
    }
    rows.PushText(VarKind::Text, value);
}

std::optional<std::string> PgValues::TextOf(const Variant& value) {
    char buffer[64];
    switch (value.Kind()) {
    case VarKind::Empty:
    case VarKind::Null:
        return std::nullopt;
    case VarKind::Text:
        return value.TextValue();
    case VarKind::Binary: {
        static const char kHex[] = "0123456789abcdef";
        std::string hex = "\\x";
        for (unsigned char c : value.TextValue()) {
            hex += kHex[c >> 4];
            hex += kHex[c & 15];
        }
        return hex;
    }
    case VarKind::Date:
        return ValueCodec::Text(value);
    case VarKind::Bool:
        return std::string(value.IntegerValue() ? "true" : "false");
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Currency:
    case VarKind::Decimal: {
        const double number = ValueCodec::Number(value);
        if (std::isnan(number))
            return std::string("NaN");
        if (std::isinf(number))
            return std::string(number > 0 ? "Infinity" : "-Infinity");
        // 17 digits bring every double back exactly.
        std::snprintf(buffer, sizeof buffer, "%.17g", number);
        return std::string(buffer);
    }
    default:
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value.IntegerValue()));
        return std::string(buffer);
    }
}

} // namespace ado
