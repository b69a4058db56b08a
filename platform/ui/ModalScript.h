#pragma once

#include "platform/ui/ModalRunner.h"

#include <deque>
#include <functional>
#include <vector>

namespace ui {

/// Modal-run seam for tests: while it lives, each modal run takes the next script in turn.
/// The dialog arrives initialised; the script drives it by control id. The run's result is
/// the dialog's own when a handler ended it, else what the script returns. A run with no
/// script left ends at once as cancelled.
class ModalScript : public ModalRunner {
public:
    using Script = std::function<int(Dialog&)>;

    ModalScript();
    ~ModalScript() override;
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void Then(Script script) { m_scripts.push_back(std::move(script)); }
    int Run(Dialog& dialog) override;

    /// Template ids of the dialogs run so far, in order.
    const std::vector<int>& Runs() const { return m_runs; }
    std::size_t Pending() const { return m_scripts.size(); }

private:
    ModalRunner* m_previous;
    std::deque<Script> m_scripts;
    std::vector<int> m_runs;
};

} // namespace ui
