#include "data/EngineErrorText.h"

#include "data/ADOException.h"

#include <cstdio>

bool DescribeEngineError(std::exception_ptr error, std::string& description) {
    try {
        std::rethrow_exception(error);
    } catch (const CADOException& engineError) {
        description = engineError.GetErrorMessage();
        if (description.empty()) {
            char code[32];
            std::snprintf(code, sizeof code, "0x%08lX",
                          static_cast<unsigned long>(engineError.GetErrorCode()) & 0xFFFFFFFFul);
            description = std::string("数据库错误 ") + code;
        }
        return true;
    } catch (...) {
        return false;
    }
}
