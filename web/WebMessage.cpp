#include "web/WebMessage.h"

std::string WebRequest::Header(const std::string& strName) const {
    for (const auto& [name, value] : headers)
        if (name == strName)
            return value;
    return {};
}
