#pragma once

#include <string>

/// Files Coffer makes beside the ledger (the ledger itself, its backups) hold what the
/// ledger holds, so only their owner may read or write them (mode 0600), whatever the umask.
class PrivateFile {
public:
    /// Claims `path` as a new, empty file with mode 0600. Refuses a path that exists in any
    /// form (a file, a dangling link), so nothing already there is ever touched. On failure
    /// returns false with `error` saying why ("… already exists" for an existing path).
    static bool Create(const std::string& path, std::string& error);
    /// Narrows an existing file to mode 0600. False with `error` when it cannot.
    static bool Restrict(const std::string& path, std::string& error);
};
