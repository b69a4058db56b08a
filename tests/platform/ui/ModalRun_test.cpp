// Real modal runs (no script): only EndDialog ends one, however the dialog is hidden in the
// meantime.
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr int kTemplate = 9002;

class RunDialog : public ui::Dialog {
public:
    RunDialog() : ui::Dialog(kTemplate) {
        static const bool registered = [] {
            ui::DialogTemplate::Register(ui::DialogTemplate::Parse(R"(
DIALOG 9002 "运行" 120 60 "宋体" 9
PUSHBUTTON 1 "确定" 5 40 40 14
)"));
            return true;
        }();
        (void)registered;
    }
};

// Runs `dialog` modally; `during` acts once the run is under way. A safety net ends a run
// that would otherwise never end, so a fault fails the test instead of hanging it.
int RunWhile(ui::Dialog& dialog, std::function<void()> during, bool& stuck) {
    stuck = false;
    QTimer::singleShot(0, &dialog, during);
    QTimer::singleShot(3000, &dialog, [&] {
        stuck = true;
        dialog.EndDialog(-5);
    });
    return dialog.DoModal();
}

TEST(ModalRunTest, HidingNeverEndsARunOnlyEndDialogDoes) {
    const std::function<void(ui::Dialog&)> hides[] = {
        [](ui::Dialog& d) { d.hide(); }, // through QDialog::setVisible
        [](ui::Dialog& d) { d.setVisible(false); },
        [](ui::Dialog& d) { d.QWidget::setVisible(false); }, // around it
        [](ui::Dialog& d) {
            d.setWindowState(Qt::WindowMinimized);
            d.hide();
        },
    };
    int index = 0;
    for (const auto& hide : hides) {
        SCOPED_TRACE(index++);
        RunDialog dialog;
        bool runningWhileHidden = false;
        bool stuck = false;
        const int result = RunWhile(
            dialog,
            [&] {
                hide(dialog);
                QTimer::singleShot(20, &dialog, [&] {
                    runningWhileHidden = !dialog.isVisible();
                    dialog.EndDialog(42); // ends the run of a hidden dialog too
                });
            },
            stuck);
        EXPECT_TRUE(runningWhileHidden);
        EXPECT_FALSE(stuck);
        EXPECT_EQ(result, 42);
    }
}

TEST(ModalRunTest, AnInnerRunEndsWithoutEndingTheOuterOne) {
    RunDialog outer;
    int innerResult = 0;
    bool outerRunningAfterInner = false;
    bool stuck = false;
    const int result = RunWhile(
        outer,
        [&] {
            RunDialog inner;
            QTimer::singleShot(0, &inner, [&] { inner.EndDialog(7); });
            innerResult = inner.DoModal();
            QTimer::singleShot(20, &outer, [&] {
                outerRunningAfterInner = outer.isVisible();
                outer.EndDialog(ui::IDOK);
            });
        },
        stuck);
    EXPECT_EQ(innerResult, 7);
    EXPECT_TRUE(outerRunningAfterInner);
    EXPECT_FALSE(stuck);
    EXPECT_EQ(result, ui::IDOK);
}

TEST(ModalRunTest, ADialogDestroyedDuringItsRunEndsIt) {
    auto dialog = std::make_unique<RunDialog>();
    RunDialog* raw = dialog.get();
    QObject scope; // the timers go with the test
    QTimer::singleShot(0, &scope, [&] { dialog.reset(); });
    bool stuck = false;
    QTimer::singleShot(3000, &scope, [&] {
        stuck = true;
        if (dialog)
            dialog->EndDialog(-5);
    });
    EXPECT_EQ(raw->DoModal(), QDialog::Rejected);
    EXPECT_FALSE(stuck);
}

} // namespace
