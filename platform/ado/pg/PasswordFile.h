#pragma once

#include <string>

namespace ado {

/// The password file every PostgreSQL client reads (~/.pgpass, or $PGPASSFILE): the ledger's
/// password is kept there, readable by its owner only, never in Coffer's own settings.
class PasswordFile {
public:
    /// $PGPASSFILE, else ~/.pgpass; empty when HOME is not set either.
    static std::string Path();
    /// Puts the line for host:port:database:user (replacing one there was) with mode 0600,
    /// keeping every other line. False with `error` on failure; the old file then stays.
    static bool Store(const std::string& path, const std::string& host, const std::string& port,
                      const std::string& database, const std::string& user,
                      const std::string& password, std::string& error);
    /// A field as the file writes it: ':' and '\' escaped with '\'.
    static std::string Escaped(const std::string& field);
};

} // namespace ado
