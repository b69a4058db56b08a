#include "data/EngineErrorText.h"
#include "platform/ui/HandlerBoundary.h"

namespace {

// Dialog tests see escaped engine errors described as the program shows them.
const bool g_installed = [] {
    ui::AddErrorTranslator(&DescribeEngineError);
    return true;
}();

} // namespace
