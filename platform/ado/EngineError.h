#pragma once

#include "platform/ado/ComError.h"

#include <string>

namespace ado {

/// Makes the engine's errors: its codes, its source and a description.
class EngineError {
public:
    /// The error source every engine error carries.
    static const char* const kSource;

    /// An error with our own code and description.
    static ComError Make(HRESULT code, const std::string& description);
};

} // namespace ado
