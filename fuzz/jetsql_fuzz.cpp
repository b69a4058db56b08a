// The rewriting of the program's SQL texts for the engine: no text makes it read or write
// out of bounds, and rewriting the date literals of an already rewritten text changes
// nothing (every literal became a quoted text).
#include "platform/ado/JetSql.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string sql(reinterpret_cast<const char*>(data), size);
    const std::string translated = ado::JetSql::TranslateDateLiterals(sql);
    if (ado::JetSql::TranslateDateLiterals(translated) != translated)
        std::abort();
    if (const auto keyed = ado::JetSql::WithRowId(translated)) {
        if (keyed->size() != translated.size() + 7) // " rowid," and nothing else
            std::abort();
    }
    ado::JetSql::IsBareName(sql);
    ado::JetSql::IsEndOfText(sql);
    const std::string quoted = ado::JetSql::QuoteIdentifier(sql);
    if (quoted.size() < sql.size() + 2)
        std::abort();
    return 0;
}
