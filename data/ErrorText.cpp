#include "data/ErrorText.h"

#include <cstdint>
#include <cstdio>

namespace {

struct Meaning {
    std::uint32_t code;
    const char* text;
};

// The message texts the system gives for the codes this engine produces and the common
// COM codes; the engine's own codes (0x80040Exxx, 0x800A0xxx) have none.
const Meaning kMeanings[] = {
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80020005, "Type mismatch."},
    {0x80020009, "Exception occurred."},
    {0x8002000A, "Out of present range."},
    {0x80070005, "Access is denied."},
    {0x80070006, "The handle is invalid."},
    {0x8007000E, "Not enough storage is available to complete this operation."},
    {0x80070057, "The parameter is incorrect."},
    {0x800401F0, "CoInitialize has not been called."},
    {0x80040154, "Class not registered"},
};

} // namespace

std::string ErrorCodeMeaning(long code) {
    const auto value = static_cast<std::uint32_t>(code);
    for (const auto& meaning : kMeanings)
        if (meaning.code == value)
            return meaning.text;
    char text[64];
    if (value >= 0x80040201u && value <= 0x8004FFFFu)
        std::snprintf(text, sizeof text, "IDispatch error #%d",
                      static_cast<int>(value - 0x80040200u));
    else
        std::snprintf(text, sizeof text, "Unknown error 0x%0lX", static_cast<unsigned long>(value));
    return text;
}

std::string FormatEngineError(const char* title, const ado::ComError& error) {
    const std::string meaning = ErrorCodeMeaning(error.Error());
    const std::string source = error.Source().value_or("(null)");
    const std::string description = error.Description().value_or("(null)");
    const auto code = static_cast<unsigned long>(static_cast<std::uint32_t>(error.Error()));
    std::string text = title;
    char number[16];
    std::snprintf(number, sizeof number, "%08lx", code);
    text += " Error\n\tCode = ";
    text += number;
    text += "\n\tCode meaning = " + meaning + "\n\tSource = " + source +
            "\n\tDescription = " + description + "\n";
    return text;
}
