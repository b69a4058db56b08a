#include "platform/ado/EngineError.h"

namespace ado {

const char* const EngineError::kSource = "Coffer SQLite Engine";

ComError EngineError::Make(HRESULT code, const std::string& description) {
    return ComError(code, kSource, description);
}

} // namespace ado
