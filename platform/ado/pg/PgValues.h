#pragma once

#include "platform/ado/ColumnInfo.h"
#include "platform/ado/RowStore.h"
#include "platform/ado/Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace ado {

/// Moves values between the server's text forms and the engine's tagged values.
class PgValues {
public:
    /// The value kind for a server type (by its type oid); false when values of that type
    /// keep the kind of what they look like.
    static bool KindOfType(unsigned typeOid, VarKind& kind);
    /// Appends the text form `text` (null when the value is null) of a value of the column to
    /// the last row of `rows`.
    static void ReadInto(RowStore& rows, const char* text, size_t length, unsigned typeOid);
    /// The text form of a value made by ValueCodec::Coerce, or nothing for null.
    static std::optional<std::string> TextOf(const Variant& value);
};

} // namespace ado
