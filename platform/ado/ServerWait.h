#pragma once

#include <chrono>

namespace ado {

/// Someone to tell while a statement waits for the ledger server, so that the windows stay
/// drawn and the person waiting can give up. Called on the thread that runs the statement.
class ServerWait {
public:
    virtual ~ServerWait() = default;
    /// Called every tenth of a second or so while a statement waits, with how long it has
    /// waited; false asks the server to cancel the statement.
    virtual bool Waiting(std::chrono::milliseconds waited) = 0;
    /// The wait that Waiting was told of is over, answered or not.
    virtual void Done() = 0;
};

/// The one to tell from now on (null: nobody); the caller keeps it alive while it is set.
void SetServerWait(ServerWait* wait);

} // namespace ado
