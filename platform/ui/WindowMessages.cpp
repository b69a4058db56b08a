#include "platform/ui/WindowMessages.h"

#include <map>

namespace ui {

unsigned RegisterWindowMessage(const std::string& name) {
    static std::map<std::string, unsigned> registered;
    auto found = registered.find(name);
    if (found != registered.end())
        return found->second;
    const unsigned number = 0xC000u + static_cast<unsigned>(registered.size());
    registered.emplace(name, number);
    return number;
}

} // namespace ui
