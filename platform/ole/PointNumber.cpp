#include "platform/ole/PointNumber.h"

#include <cstdlib>
#include <locale.h>

namespace ole {
namespace {

locale_t CLocale() {
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

double PointNumber::Parse(const char* text, char** end) {
    return ::strtod_l(text, end, CLocale());
}

std::string PointNumber::Format(double value, std::chars_format format, int precision) {
    // Fixed notation of 1e308 takes 309 digits before the point.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}

} // namespace ole
