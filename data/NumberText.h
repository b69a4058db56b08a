#pragma once

#include <cstdint>
#include <string>

/// The C runtime's number-to-text conversions that field reading relies on.
class NumberText {
public:
    /// Radix-10 integer texts, a minus sign for negatives (_itoa, _ltoa).
    static std::string Itoa(std::int64_t value);
    /// The same digits written into `text` (no new string made: a list walk calls it per row).
    static void Itoa(std::int64_t value, std::string& text);
    /// Unsigned radix-10 text (_ultoa).
    static std::string Ultoa(std::uint32_t value);
    /// `digits` significant digits, trailing zeros dropped (_gcvt): fixed notation when the
    /// decimal exponent lies in -1 .. digits-1 (a whole number keeps its point, "100."),
    /// exponential otherwise ("1.5e+020").
    static std::string Gcvt(double value, int digits);
    /// The value in the monetary format of the current locale (LC_MONETARY); when the
    /// locale has none, the "%f" text.
    static std::string Currency(double value);
};
