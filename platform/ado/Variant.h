#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ado {

/// Value kinds with the engine's type numbers.
enum class VarKind : std::uint16_t {
    Empty = 0,
    Null = 1,
    I2 = 2,
    I4 = 3,
    R4 = 4,
    R8 = 5,
    Currency = 6,
    Date = 7,
    Text = 8,
    Bool = 11,
    Decimal = 14,
    UI1 = 17,
    UI4 = 19,
    Int = 22,
    Binary = 0x2011, // byte array: a kind the program does not convert
};

/// A 96-bit scaled decimal: value = (sign == 0x80 ? -1 : 1) * mantissa / 10^scale.
struct DecimalValue {
    std::uint8_t scale = 0;
    std::uint8_t sign = 0;
    std::uint32_t hi32 = 0;
    std::uint64_t lo64 = 0;

    /// The nearest decimal with at most 15 significant digits; `value` must fit.
    static DecimalValue FromDouble(double value);
    /// True when the 96-bit mantissa can hold the value.
    static bool Fits(double value);
    double ToDouble() const;
};

/// A tagged column value as the engine hands it over.
class Variant {
public:
    Variant() = default; // empty

    static Variant Null();
    /// Integer kinds (I2, I4, UI1, UI4, Int).
    static Variant Integer(VarKind kind, std::int64_t value);
    /// R4 or R8.
    static Variant Real(VarKind kind, double value);
    static Variant Date(double oleDate);
    static Variant Text(std::string text);
    static Variant Text(std::string_view text);
    static Variant Text(const char* text) { return Text(std::string_view(text)); }
    static Variant Bool(bool value);
    /// Currency counted in ten-thousandths.
    static Variant Currency(std::int64_t tenThousandths);
    static Variant Decimal(const DecimalValue& value);
    static Variant Binary(std::string bytes);

    /// Made text or null in place: the text keeps its room for the next value, so a row
    /// of values filled over and over allocates nothing once it has grown.
    void SetText(std::string_view text) {
        m_kind = VarKind::Text;
        m_text.assign(text);
    }
    void SetNull() {
        m_kind = VarKind::Null;
        m_text.clear();
    }

    VarKind Kind() const { return m_kind; }
    bool IsNull() const { return m_kind == VarKind::Empty || m_kind == VarKind::Null; }
    /// Integer kinds; Bool as -1/0; Currency in ten-thousandths.
    std::int64_t IntegerValue() const { return m_integer; }
    /// R4, R8 and Date (the OLE Automation date).
    double RealValue() const { return m_real; }
    /// Text, and the bytes of Binary.
    const std::string& TextValue() const { return m_text; }
    const DecimalValue& DecimalData() const { return m_decimal; }

private:
    VarKind m_kind = VarKind::Empty;
    std::int64_t m_integer = 0;
    double m_real = 0.0;
    std::string m_text;
    DecimalValue m_decimal;
};

/// A value read in place: what a Variant holds, its text borrowed from wherever the value is
/// kept (a cursor's row, or a Variant). It is valid only as long as that place is unchanged;
/// reading through it spares a walk one copy of every text.
struct ValueView {
    VarKind kind = VarKind::Empty;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string_view text;
    DecimalValue decimal;

    ValueView() = default;
    /// Borrows the variant's text: keep the variant alive while the view is used.
    ValueView(const Variant& value); // NOLINT(google-explicit-constructor): a view of it

    bool IsNull() const { return kind == VarKind::Empty || kind == VarKind::Null; }
    /// A variant owning a copy of the value.
    Variant ToVariant() const;
};

} // namespace ado
