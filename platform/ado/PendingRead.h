#pragma once

namespace ado {

/// A cursor that may still be stepping a statement on its connection. SQLite commits an
/// autocommitted write only once no statement of the connection is reading, so the
/// connection asks every such cursor to finish before it writes, and before it closes.
class PendingRead {
public:
    virtual ~PendingRead() = default;
    /// Reads the rest of the rows into memory and releases the statement.
    virtual void FinishRead() = 0;
    /// The connection is closing: reads every row still to come, stepped or not, and
    /// releases the statement; a cursor that cannot read them closes rather than show a
    /// result cut short.
    virtual void ConnectionClosing() = 0;
};

} // namespace ado
