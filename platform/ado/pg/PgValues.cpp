#include "platform/ado/pg/PgValues.h"

#include "platform/ado/StoredDate.h"
#include "platform/ado/ValueCodec.h"
#include "platform/ado/pg/PgTypes.h"
#include "platform/ole/OleCalendar.h"
#include "platform/ole/PointNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace ado {
namespace {

using namespace pg_types;

// `text` ends in a NUL, as every value libpq gives does.
bool ParseDouble(std::string_view text, double& number) {
    // strtod reads "NaN" and "Infinity" as the server writes them.
    char* end = nullptr;
    number = ole::PointNumber::Parse(text.data(), &end);
    return !text.empty() && end == text.data() + text.size();
}

std::uint64_t BigEndian(const char* data, size_t length) {
    std::uint64_t value = 0;
    for (size_t i = 0; i < length; ++i)
        value = value << 8 | static_cast<unsigned char>(data[i]);
    return value;
}

// Days since 2000-01-01, the server's epoch, to the calendar.
void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 730425; // to days since 0000-03-01
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shifted = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

// A time in seconds since the server's epoch, as the program reads its text: a date of the
// program's range, else the server's own text of it.
template <class Sink> void PushSeconds(Sink& rows, long long seconds, bool withTime) {
    constexpr long long kDay = 86400;
    constexpr long long kEpochDays = 36526; // 2000-01-01 counted from 1899-12-30
    const long long days = (seconds >= 0 ? seconds : seconds - (kDay - 1)) / kDay;
    const long long inDay = seconds - days * kDay;
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    if (year >= 100 && year <= 9999) {
        rows.PushReal(VarKind::Date, ole::OleCalendar::FromDayAndSeconds(days + kEpochDays, inDay));
        return;
    }
    char buffer[64];
    const int shown = year > 0 ? year : 1 - year;
    if (withTime)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02lld:%02lld:%02lld%s", shown, month,
                      day, inDay / 3600, inDay / 60 % 60, inDay % 60, year > 0 ? "" : " BC");
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d%s", shown, month, day,
                      year > 0 ? "" : " BC");
    rows.PushOwnText(VarKind::Text, buffer);
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

// Both the stored rows and the in-place views take a value by the same reading.
template <class Sink> void ReadText(Sink& rows, const char* text, size_t length, unsigned typeOid) {
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
            rows.PushOwnText(VarKind::Binary, bytes);
            return;
        }
        break;
    default:
        break;
    }
    rows.PushText(VarKind::Text, value);
}

template <class Sink>
void ReadBinary(Sink& rows, const char* data, size_t length, unsigned typeOid) {
    if (!data) {
        rows.PushNull();
        return;
    }
    switch (typeOid) {
    case kInt2:
    case kInt4:
        rows.PushInteger(typeOid == kInt2 ? VarKind::I2 : VarKind::I4,
                         PgValues::BinaryInteger(data, length));
        return;
    case kInt8: {
        const std::int64_t whole = PgValues::BinaryInteger(data, length);
        if (whole >= std::numeric_limits<std::int32_t>::min() &&
            whole <= std::numeric_limits<std::int32_t>::max())
            rows.PushInteger(VarKind::I4, whole);
        else
            rows.PushReal(VarKind::R8, static_cast<double>(whole));
        return;
    }
    case kFloat8: {
        const std::uint64_t bits = BigEndian(data, length);
        double number = 0;
        std::memcpy(&number, &bits, sizeof number);
        rows.PushReal(VarKind::R8, number);
        return;
    }
    case kBool:
        rows.PushInteger(VarKind::Bool, length && data[0] ? -1 : 0);
        return;
    case kBytea:
        rows.PushText(VarKind::Binary, std::string_view(data, length));
        return;
    case kTimestamp:
    case kDate: {
        // Microseconds or days since the epoch; the widest values stand for infinity.
        const bool withTime = typeOid == kTimestamp;
        const std::int64_t count = PgValues::BinaryInteger(data, length);
        const std::int64_t endless = withTime ? std::numeric_limits<std::int64_t>::max()
                                              : std::numeric_limits<std::int32_t>::max();
        if (count == endless || count == -endless - 1) {
            rows.PushText(VarKind::Text, count > 0 ? "infinity" : "-infinity");
            return;
        }
        // Whole seconds, as the text's first 19 characters give them.
        constexpr std::int64_t kMicros = 1000000;
        PushSeconds(
            rows, withTime ? (count >= 0 ? count : count - (kMicros - 1)) / kMicros : count * 86400,
            withTime);
        return;
    }
    default:
        rows.PushText(VarKind::Text, std::string_view(data, length));
    }
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

bool PgValues::HasBinaryForm(unsigned typeOid) {
    // Not float4 (its text is the shortest decimal, which reads as another double), numeric,
    // money or zoned times (their binary forms say more or less than their texts).
    switch (typeOid) {
    case kBool:
    case kBytea:
    case kInt2:
    case kInt4:
    case kInt8:
    case kText:
    case kBpchar:
    case kVarchar:
    case kFloat8:
    case kDate:
    case kTimestamp:
        return true;
    default:
        return false;
    }
}

std::int64_t PgValues::BinaryInteger(const char* data, size_t length) {
    const std::uint64_t bits = BigEndian(data, length);
    switch (length) {
    case 2:
        return static_cast<std::int16_t>(bits);
    case 4:
        return static_cast<std::int32_t>(bits);
    default:
        return static_cast<std::int64_t>(bits);
    }
}

void PgValues::ReadInto(RowStore& rows, const char* text, size_t length, unsigned typeOid) {
    ReadText(rows, text, length, typeOid);
}

void PgValues::ReadInto(ViewSink& view, const char* text, size_t length, unsigned typeOid) {
    ReadText(view, text, length, typeOid);
}

void PgValues::ReadBinaryInto(RowStore& rows, const char* data, size_t length, unsigned typeOid) {
    ReadBinary(rows, data, length, typeOid);
}

void PgValues::ReadBinaryInto(ViewSink& view, const char* data, size_t length, unsigned typeOid) {
    ReadBinary(view, data, length, typeOid);
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
        return ole::PointNumber::Format(number, std::chars_format::general, 17);
    }
    default:
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value.IntegerValue()));
        return std::string(buffer);
    }
}

} // namespace ado
