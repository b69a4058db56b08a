#pragma once

#include <string>
#include <string_view>

namespace ado {

/// Dates live in the file as local-time text "YYYY-MM-DD HH:MM:SS", which orders correctly
/// and reads plainly in any SQLite tool.
class StoredDate {
public:
    /// False when the OLE Automation date lies outside 100-01-01 .. 9999-12-31.
    static bool Format(double oleDate, std::string& text);
    /// Accepts the stored form and the shorter date texts the program writes.
    static bool Parse(std::string_view text, double& oleDate);
};

} // namespace ado
