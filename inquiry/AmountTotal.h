#pragma once

#include <cstdint>
#include <string>

/// A running sum of stored amounts that prints to the cent exactly as the amounts add up.
/// Each amount is kept as whole cents plus the sub-cent rest, so ten thousand times 0.10
/// reads 1000.00, and a grouped SQL sum split the same way (SUM(ROUND(a * 100)) and
/// SUM(a * 100 - ROUND(a * 100))) prints the very same text as the rows summed here.
class CAmountTotal {
public:
    CAmountTotal() = default;
    /// A total from its two parts, as the grouped statements return them.
    static CAmountTotal FromParts(double dCents, double dRest);

    void Add(double dAmount);
    void Subtract(double dAmount);
    CAmountTotal& operator+=(const CAmountTotal& other);
    CAmountTotal& operator-=(const CAmountTotal& other);

    /// Two decimals, "-" in front of a negative total: "1000.00", "-12.30", "0.00".
    std::string Text() const;
    double Value() const;
    bool IsZero() const;

private:
    std::int64_t m_nCents = 0;
    double m_dRest = 0.0; // in cents, each amount's distance from its whole cents
};
