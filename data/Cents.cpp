#include "data/Cents.h"

#include <cstdlib>

bool CCents::Parse(const std::string& strText, std::int64_t& nCents) {
    const std::size_t point = strText.find('.');
    const std::string whole = strText.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : strText.substr(point + 1);
    if (whole.empty() || whole.size() > 12 || fraction.size() > 2 ||
        (point != std::string::npos && fraction.empty()))
        return false;
    std::int64_t value = 0;
    for (char c : whole + fraction + std::string(2 - fraction.size(), '0')) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    nCents = value;
    return true;
}

std::string CCents::Text(std::int64_t nCents) {
    const std::int64_t magnitude = std::llabs(nCents);
    const std::string cents = std::to_string(magnitude % 100);
    return (nCents < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." +
           (cents.size() < 2 ? "0" : "") + cents;
}
