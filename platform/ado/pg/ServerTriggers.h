#pragma once

#include <string>
#include <vector>

namespace ado {

/// A trigger found on a server ledger's tables, as the catalog tells it.
struct ServerTrigger {
    std::string name;
    std::string table;
    std::string function;
    std::string body; ///< the function's source text
};

/// The first of `found` that Coffer did not make: its name, table, function and the
/// function's text must all be those of a trigger the ledger additions make on a server.
/// Empty when every one is Coffer's own.
std::string ForeignServerTrigger(const std::vector<ServerTrigger>& found);

} // namespace ado
