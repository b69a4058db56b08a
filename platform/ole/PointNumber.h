#pragma once

#include <charconv>
#include <string>

namespace ole {

/// Numbers as text with a decimal point, whatever the process locale says: a desktop whose
/// "Formats" region writes a decimal comma must not change what is stored, sent to the
/// server or read back.
class PointNumber {
public:
    /// What strtod reads in the "C" locale (blanks, sign, digits, point, exponent, inf, nan).
    static double Parse(const char* text, char** end = nullptr);
    /// What printf writes in the "C" locale for "%.<precision>g", "%.<precision>e" and
    /// "%.<precision>f" (general, scientific, fixed).
    static std::string Format(double value, std::chars_format format, int precision);
};

} // namespace ole
