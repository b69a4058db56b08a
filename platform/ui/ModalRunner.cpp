#include "platform/ui/ModalRunner.h"

#include "platform/ui/Dialog.h"

namespace ui {
namespace {

class EventLoopRunner : public ModalRunner {
public:
    int Run(Dialog& dialog) override { return dialog.exec(); }
};

EventLoopRunner g_eventLoopRunner;
ModalRunner* g_runner = &g_eventLoopRunner;

} // namespace

ModalRunner* SetModalRunner(ModalRunner* runner) {
    ModalRunner* previous = g_runner;
    g_runner = runner != nullptr ? runner : &g_eventLoopRunner;
    return previous == &g_eventLoopRunner ? nullptr : previous;
}

ModalRunner& CurrentModalRunner() { return *g_runner; }

} // namespace ui
