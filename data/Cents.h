#pragma once

#include <cstdint>
#include <string>

/// Amounts kept in whole cents (budgets, templates, accounts), and their texts.
class CCents {
public:
    /// "2000", "12.3", "0.05" to cents, exactly (no binary fraction on the way). False for
    /// anything else: signs, more than two decimals, other characters, an empty text.
    static bool Parse(const std::string& strText, std::int64_t& nCents);
    /// Two decimals: 200000 → "2000.00", −5 → "-0.05".
    static std::string Text(std::int64_t nCents);
};
