#include "platform/ui/ModalRunner.h"

#include "platform/ui/Dialog.h"

#include <QEventLoop>
#include <QPointer>

namespace ui {
namespace {

// The run is a loop of our own that only the dialog's end (done, that is EndDialog) or its
// destruction stops. QDialog::exec() also stops when the dialog is hidden, in ways that
// differ between Qt versions; the main window hides into the notification area and must
// keep running.
class EventLoopRunner : public ModalRunner {
public:
    int Run(Dialog& dialog) override {
        QPointer<Dialog> alive(&dialog);
        QEventLoop loop;
        bool ended = false;
        auto end = [&] {
            ended = true;
            loop.quit();
        };
        const QMetaObject::Connection finished =
            QObject::connect(&dialog, &QDialog::finished, &loop, end);
        const QMetaObject::Connection destroyed =
            QObject::connect(&dialog, &QObject::destroyed, &loop, end);
        const bool wasModal = dialog.testAttribute(Qt::WA_ShowModal);
        dialog.setAttribute(Qt::WA_ShowModal, dialog.BlocksOtherWindows());
        dialog.setResult(0);
        dialog.show();
        if (!ended)
            loop.exec(QEventLoop::DialogExec);
        QObject::disconnect(finished);
        QObject::disconnect(destroyed);
        if (alive.isNull())
            return QDialog::Rejected;
        dialog.setAttribute(Qt::WA_ShowModal, wasModal);
        return dialog.result();
    }
};

EventLoopRunner g_eventLoopRunner;
ModalRunner* g_runner = &g_eventLoopRunner;

} // namespace

ModalRunner* SetModalRunner(ModalRunner* runner) {
    ModalRunner* previous = g_runner;
    g_runner = runner != nullptr ? runner : &g_eventLoopRunner;
    return previous == &g_eventLoopRunner ? nullptr : previous;
}

ModalRunner& CurrentModalRunner() {
    return *g_runner;
}

} // namespace ui
