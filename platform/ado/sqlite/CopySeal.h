#pragma once

#include "platform/ado/LedgerCopy.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <string>

namespace ado {

/// A copy of a ledger written under a temporary name beside its destination (mode 0600),
/// removed with its journal unless it was sealed: checked whole, flushed to disk and renamed
/// into place, so that a file under the destination's name is always a sound ledger.
class CopySeal {
public:
    /// Makes the empty temporary file for `dest` and opens it; Ok() tells whether it could.
    CopySeal(const std::string& dest, bool replace);
    ~CopySeal();
    CopySeal(const CopySeal&) = delete;
    CopySeal& operator=(const CopySeal&) = delete;

    /// What went wrong making or opening the temporary file; None when it is open.
    const LedgerCopyResult& Opened() const { return m_opened; }
    sqlite3* Db() const { return m_db.get(); }
    const std::string& TemporaryPath() const { return m_path; }

    /// Checks the copy while the disk takes it, then closes it, gives it the time
    /// `modified` (nanoseconds; 0 keeps its own) and renames it to the destination. A copy
    /// that does not verify comes back as the check found it, about the temporary file.
    LedgerCopyResult Seal(long long modified);

private:
    void Remove();

    std::string m_dest;
    std::string m_path;
    bool m_bReplace;
    bool m_bKept = false;
    DatabasePtr m_db;
    LedgerCopyResult m_opened;
};

} // namespace ado
