#pragma once

#include <cstdint>
#include <string>

namespace ui {

/// Where the texts of a list's value rows come from: rows that keep their values in the
/// list's owner (numbers, dates, shared names) and are written out as text only when the
/// view, a sort or a caller asks for a cell. A list of a hundred thousand rows then holds
/// no text of its own, and emptying it frees no texts.
class ListCells {
public:
    virtual ~ListCells() = default;

    /// The text of `column` of the owner's row `row`; "" for a column it does not know.
    virtual std::string Text(std::uint32_t row, int column) const = 0;
};

} // namespace ui
