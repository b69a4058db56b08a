#include "data/NumberText.h"

#include "platform/ole/PointNumber.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <monetary.h>

std::string NumberText::Itoa(std::int64_t value) {
    std::string text;
    Itoa(value, text);
    return text;
}

void NumberText::Itoa(std::int64_t value, std::string& text) {
    char digits[24];
    text.assign(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string NumberText::Ultoa(std::uint32_t value) {
    return std::to_string(value);
}

std::string NumberText::Gcvt(double value, int digits) {
    if (!std::isfinite(value)) {
        return ole::PointNumber::Format(value, std::chars_format::general, 6);
    }
    // d.ddd…e±x with `digits` significant digits.
    std::string text = ole::PointNumber::Format(value, std::chars_format::scientific, digits - 1);
    const size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string mantissa = text.substr(0, e);
    const bool negative = mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string significant;
    for (char c : mantissa)
        if (c != '.')
            significant += c;
    while (significant.size() > 1 && significant.back() == '0')
        significant.pop_back();
    if (value == 0)
        return "0.";

    std::string result = negative ? "-" : "";
    if (exponent < -1 || exponent >= digits) {
        result += significant.substr(0, 1) + ".";
        result += significant.substr(1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return result + tail;
    }
    if (exponent < 0) {
        result += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + significant;
        return result;
    }
    const auto whole = static_cast<size_t>(exponent + 1);
    if (significant.size() <= whole)
        return result + significant + std::string(whole - significant.size(), '0') + ".";
    return result + significant.substr(0, whole) + "." + significant.substr(whole);
}

std::string NumberText::Currency(double value) {
    const std::string plain = ole::PointNumber::Format(value, std::chars_format::fixed, 6);
    const std::lconv* conventions = std::localeconv();
    if (!conventions || !conventions->currency_symbol || !*conventions->currency_symbol)
        return plain;
    char formatted[64];
    if (strfmon(formatted, sizeof formatted, "%n", value) < 0)
        return plain;
    return formatted;
}
