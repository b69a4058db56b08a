#include "data/SqlText.h"

#include "platform/ado/JetSql.h"

std::string QuoteSql(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size());
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted;
}

std::string QuoteIdentifier(std::string_view name) {
    return ado::JetSql::QuoteIdentifier(name);
}

bool IsRecordNumber(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}
