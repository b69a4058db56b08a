#pragma once

#include "platform/ado/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ado {

/// Takes one value the way a RowStore takes it (the same Push calls), into a ValueView
/// instead of a stored row, so the code that reads an engine's value serves both. A text
/// given to PushText is only viewed: it must live in the engine's current row. A text the
/// reading code made itself goes through PushOwnText, which keeps a copy in `scratch`.
class ViewSink {
public:
    ViewSink(ValueView& view, std::string& scratch) : m_view(view), m_scratch(scratch) {}

    void PushNull() { m_view.kind = VarKind::Null; }
    void PushInteger(VarKind kind, std::int64_t value) {
        m_view.kind = kind;
        m_view.integer = value;
    }
    void PushReal(VarKind kind, double value) {
        m_view.kind = kind;
        // As RowStore::View gives it back: a decimal is kept as a double there too.
        if (kind == VarKind::Decimal)
            m_view.decimal = DecimalValue::FromDouble(value);
        else
            m_view.real = value;
    }
    void PushText(VarKind kind, std::string_view text) {
        m_view.kind = kind;
        m_view.text = text;
    }
    void PushOwnText(VarKind kind, std::string_view text) {
        m_scratch.assign(text);
        PushText(kind, m_scratch);
    }

private:
    ValueView& m_view;
    std::string& m_scratch;
};

} // namespace ado
