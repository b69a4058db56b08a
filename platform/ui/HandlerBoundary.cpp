#include "platform/ui/HandlerBoundary.h"

#include "platform/ui/MessageBox.h"

#include <vector>

namespace ui {
namespace {

std::vector<ErrorTranslator>& Translators() {
    static std::vector<ErrorTranslator> translators;
    return translators;
}

std::string Describe(std::exception_ptr error) {
    for (const ErrorTranslator& translate : Translators()) {
        std::string description;
        if (translate(error, description))
            return description;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& known) {
        return known.what();
    } catch (...) {
        return "未知错误";
    }
}

} // namespace

void AddErrorTranslator(ErrorTranslator translator) {
    Translators().push_back(std::move(translator));
}

bool RunHandler(QWidget* owner, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (...) {
        MessageBox(owner, Describe(std::current_exception()));
        return false;
    }
}

} // namespace ui
