#include "platform/ado/ComError.h"

#include <cstdio>

namespace ado {
namespace {

std::string CodeText(HRESULT code) {
    char text[32];
    std::snprintf(text, sizeof text, "engine error 0x%08X", static_cast<unsigned>(code));
    return text;
}

} // namespace

ComError::ComError(HRESULT code) : std::runtime_error(CodeText(code)), m_code(code) {}

ComError::ComError(HRESULT code, std::string source, std::string description)
    : std::runtime_error(description), m_code(code), m_source(std::move(source)),
      m_description(std::move(description)) {}

} // namespace ado
