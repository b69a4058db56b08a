#pragma once

#include "platform/ado/AdoConstants.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace ado {

/// A failed engine call: the HRESULT and, when the engine supplied them, the source and
/// description of the error.
class ComError : public std::runtime_error {
public:
    explicit ComError(HRESULT code);
    ComError(HRESULT code, std::string source, std::string description);

    HRESULT Error() const { return m_code; }
    /// Empty when the engine supplied no error information.
    const std::optional<std::string>& Source() const { return m_source; }
    const std::optional<std::string>& Description() const { return m_description; }

private:
    HRESULT m_code;
    std::optional<std::string> m_source;
    std::optional<std::string> m_description;
};

} // namespace ado
