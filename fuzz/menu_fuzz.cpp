// The menu resource parser: a malformed menu is refused with std::runtime_error; nothing
// else may escape, crash or read out of bounds.
#include "platform/ui/MenuResource.h"

#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    try {
        const ui::MenuResource menu =
            ui::MenuResource::Parse(std::string(reinterpret_cast<const char*>(data), size));
        for (int i = 0; i < menu.GetPopupCount(); ++i)
            menu.GetSubMenu(i);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
