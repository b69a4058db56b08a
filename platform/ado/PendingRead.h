#pragma once

namespace ado {

/// A cursor that may still be stepping a statement on its connection. SQLite commits an
/// autocommitted write only once no statement of the connection is reading, so the
/// connection asks every such cursor to finish before it writes, and to let go of its
/// statement before it closes.
class PendingRead {
public:
    virtual ~PendingRead() = default;
    /// Reads the rest of the rows into memory and releases the statement.
    virtual void FinishRead() = 0;
    /// Releases the statement at once; rows not yet read are not read.
    virtual void AbandonRead() = 0;
};

} // namespace ado
