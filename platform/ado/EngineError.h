#pragma once

#include "platform/ado/ComError.h"

#include <string>

namespace ado {

/// Makes the engine's errors: its codes, its source and a description.
class EngineError {
public:
    /// The error source every engine error carries.
    static const char* const kSource;

    /// The troubles a household meets with its ledger file, each told in plain words.
    enum class Trouble {
        Locked,
        ReadOnlyFile,
        ReadOnlyFolder,
        DiskFull,
        Damaged,
        Missing,
        DiskError,
        ForeignTrigger
    };

    /// An error with our own code and description.
    static ComError Make(HRESULT code, const std::string& description);
    /// An error whose description says in Chinese what happened to the file at `location`
    /// and what to do, followed by the engine's own text.
    static ComError Explain(HRESULT code, Trouble trouble, const std::string& location,
                            const std::string& engineText);
};

} // namespace ado
