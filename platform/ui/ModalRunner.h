#pragma once

namespace ui {

class Dialog;

/// How an initialised dialog is run modally. The default enters the dialog's own event
/// loop; tests install a script that drives the dialog by control id and ends the run.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int Run(Dialog& dialog) = 0;
};

/// Installs a runner (null restores the default); returns the previous one.
ModalRunner* SetModalRunner(ModalRunner* runner);
ModalRunner& CurrentModalRunner();

} // namespace ui
