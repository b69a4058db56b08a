#pragma once

#include "platform/ado/ColumnInfo.h"
#include "platform/ado/RowStore.h"
#include "platform/ado/Variant.h"
#include "platform/ado/ViewSink.h"

#include <cstdint>
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
    /// The same value viewed where it is (a text made from it goes to the sink's scratch).
    static void ReadInto(ViewSink& view, const char* text, size_t length, unsigned typeOid);
    /// True when values of the type can be fetched in the server's binary form and read from
    /// it exactly as from their text form (no parsing of numbers and dates on either side).
    static bool HasBinaryForm(unsigned typeOid);
    /// As ReadInto, for the binary form of a type that has one.
    static void ReadBinaryInto(RowStore& rows, const char* data, size_t length, unsigned typeOid);
    static void ReadBinaryInto(ViewSink& view, const char* data, size_t length, unsigned typeOid);
    /// A whole number in binary form: 2, 4 or 8 bytes, most significant first.
    static std::int64_t BinaryInteger(const char* data, size_t length);
    /// The text form of a value made by ValueCodec::Coerce, or nothing for null.
    static std::optional<std::string> TextOf(const Variant& value);
};

} // namespace ado
