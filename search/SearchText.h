#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <string>
#include <vector>

/// One word of a search text and what it asks for.
struct SearchWord {
    enum Kind {
        Text,   // found anywhere in a record's names or note
        Number, // that text, or a record of that amount
        Date,   // a record of that month or day
    };
    Kind kind = Text;
    std::string strText;     // as typed
    std::int64_t nCents = 0; // Number: the amount in whole cents
    COleDateTime dtLower;    // Date: the first moment counted
    COleDateTime dtUpper;    // Date: the first moment no longer counted
    /// How many characters the word has (not bytes): a trigram index serves three or more.
    std::size_t Length() const;
};

/// A search text as the user types it, cut into words. Words are separated by blanks (the
/// ideographic one too) and all of them must match. Nothing in a word is special: quotes,
/// wildcards and punctuation stand for themselves.
class CSearchText {
public:
    static std::vector<SearchWord> Parse(const std::string& strText);
    /// "2399", "2399.00", "28.16", "2,399": the amount in cents; false for anything else.
    static bool ReadAmount(const std::string& strWord, std::int64_t& nCents);
    /// "2024-03" or "2024-03-02" (one-digit month and day too): the span of that month or
    /// day; false for anything else, an impossible date included.
    static bool ReadDate(const std::string& strWord, COleDateTime& dtLower, COleDateTime& dtUpper);
};
