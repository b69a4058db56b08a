#include "inquiry/AmountTotal.h"

#include <cmath>
#include <cstdio>

namespace {

// std::round without a call, for the sums of long listings: below 2^52 a conversion to a
// whole number cuts toward zero exactly, and the remainder decides the half.
double RoundHalfAway(double dValue) {
    if (!(std::fabs(dValue) < 0x1p52))
        return std::round(dValue); // whole already, or not a number
    double dWhole = static_cast<double>(static_cast<std::int64_t>(dValue));
    if (std::fabs(dValue - dWhole) >= 0.5)
        dWhole += dValue < 0 ? -1.0 : 1.0;
    return dWhole;
}

// The same split as the statements make: the amount times 100, rounded half away from zero
// as SQL's ROUND does, and what rounding left over.
void Split(double dAmount, std::int64_t& nCents, double& dRest) {
    const double dScaled = dAmount * 100.0;
    const double dWhole = RoundHalfAway(dScaled);
    nCents = static_cast<std::int64_t>(dWhole);
    dRest = dScaled - dWhole;
}

} // namespace

CAmountTotal CAmountTotal::FromParts(double dCents, double dRest) {
    CAmountTotal total;
    total.m_nCents = static_cast<std::int64_t>(std::llround(dCents));
    total.m_dRest = dRest;
    return total;
}

void CAmountTotal::Add(double dAmount) {
    std::int64_t nCents = 0;
    double dRest = 0.0;
    Split(dAmount, nCents, dRest);
    m_nCents += nCents;
    m_dRest += dRest;
}

void CAmountTotal::Subtract(double dAmount) {
    std::int64_t nCents = 0;
    double dRest = 0.0;
    Split(dAmount, nCents, dRest);
    m_nCents -= nCents;
    m_dRest -= dRest;
}

CAmountTotal& CAmountTotal::operator+=(const CAmountTotal& other) {
    m_nCents += other.m_nCents;
    m_dRest += other.m_dRest;
    return *this;
}

CAmountTotal& CAmountTotal::operator-=(const CAmountTotal& other) {
    m_nCents -= other.m_nCents;
    m_dRest -= other.m_dRest;
    return *this;
}

std::string CAmountTotal::Text() const {
    const std::int64_t nCents = m_nCents + static_cast<std::int64_t>(std::llround(m_dRest));
    const std::uint64_t nAbs =
        nCents < 0 ? 0 - static_cast<std::uint64_t>(nCents) : static_cast<std::uint64_t>(nCents);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%02llu", nCents < 0 ? "-" : "",
                  static_cast<unsigned long long>(nAbs / 100),
                  static_cast<unsigned long long>(nAbs % 100));
    return buffer;
}

double CAmountTotal::Value() const {
    return (static_cast<double>(m_nCents) + m_dRest) / 100.0;
}

bool CAmountTotal::IsZero() const {
    return m_nCents + std::llround(m_dRest) == 0;
}
