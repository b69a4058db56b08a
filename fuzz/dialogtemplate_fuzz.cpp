// The dialog template parser: a malformed template is refused with std::runtime_error
// naming the line; nothing else may escape, crash or read out of bounds.
#include "platform/ui/DialogTemplate.h"

#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    try {
        const ui::DialogTemplate parsed =
            ui::DialogTemplate::Parse(std::string(reinterpret_cast<const char*>(data), size));
        for (const ui::ControlTemplate& control : parsed.controls)
            parsed.Find(control.id);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
