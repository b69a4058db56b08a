// Every edit, combo box, date picker and list of every window has a name a screen reader
// reads: its label (a buddy) or a name of its own. A combo box must have a label: on this
// desktop its own name is its current value.
#include "app/CofferDlg.h"
#include "app/TreeResponse.h"
#include "plan/PlanHooks.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalRunner.h"
#include "stats/StatisticsDlg.h"
#include "tests/support/TestDb.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDirIterator>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

bool IsInside(const QWidget* widget, const QWidget* top) {
    for (QWidget* up = widget->parentWidget(); up != nullptr && up != top; up = up->parentWidget())
        if (qobject_cast<QComboBox*>(up) != nullptr || qobject_cast<QAbstractSpinBox*>(up) != nullptr)
            return true; // a part of a combo box or a date picker, named with it
    return false;
}

bool HasLabel(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr)
        return false;
    for (const auto& [label, relation] : accessible->relations(QAccessible::Label))
        if (label != nullptr && !label->text(QAccessible::Name).trimmed().isEmpty())
            return true;
    return false;
}

// The controls of `window` a screen reader cannot name, as "window: kind control_id".
std::vector<std::string> Unnamed(QWidget* window) {
    std::vector<std::string> unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const bool combo = qobject_cast<QComboBox*>(widget) != nullptr;
        const bool other =
            qobject_cast<QLineEdit*>(widget) != nullptr ||
            qobject_cast<QPlainTextEdit*>(widget) != nullptr ||
            qobject_cast<QAbstractSpinBox*>(widget) != nullptr ||
            (qobject_cast<QAbstractItemView*>(widget) != nullptr &&
             qobject_cast<QHeaderView*>(widget) == nullptr);
        if ((!combo && !other) || IsInside(widget, window))
            continue;
        const bool named = HasLabel(widget) || (!combo && !widget->accessibleName().isEmpty());
        if (!named)
            unnamed.push_back(window->windowTitle().toStdString() + ": " +
                              widget->metaObject()->className() + " " +
                              widget->objectName().toStdString());
    }
    return unnamed;
}

// Looks at each window as it is run, then cancels it; 收支统计 shows its 预算执行 too.
class Inspector : public ui::ModalRunner {
public:
    Inspector() : m_previous(ui::SetModalRunner(this)) {}
    ~Inspector() override { ui::SetModalRunner(m_previous); }

    int Run(ui::Dialog& dialog) override {
        m_titles.insert(dialog.windowTitle().toStdString());
        Look(&dialog);
        if (auto* stats = dynamic_cast<CStatisticsDlg*>(&dialog)) {
            stats->ClickButton(CStatisticsDlg::IDC_BUDGET);
            if (stats->GetBudgetView() != nullptr)
                m_titles.insert("预算执行");
            Look(&dialog);
        }
        return ui::IDCANCEL;
    }
    void Look(QWidget* window) {
        for (std::string& each : Unnamed(window))
            m_unnamed.insert(std::move(each));
    }
    const std::set<std::string>& UnnamedControls() const { return m_unnamed; }
    const std::set<std::string>& Titles() const { return m_titles; }

private:
    ui::ModalRunner* m_previous;
    std::set<std::string> m_unnamed;
    std::set<std::string> m_titles;
};

// Every window reachable from the main window (its settings menu and its tree, as they are
// now and as they will grow), and every dialog template besides.
TEST(AccessibleNamesTest, EveryInputControlOfEveryWindowHasAName) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    CPlanHooks::Install(); // 收支统计 offers 预算执行
    Inspector inspector;
    CCofferDlg main;
    ASSERT_TRUE(main.Create());
    main.BuildNavigationTree();
    inspector.Look(&main);

    const ui::MenuResource menu = ui::MenuResource::Load(129);
    for (const ui::MenuItem& item : menu.GetSubMenu(0)->items)
        if (!item.IsSeparator() && item.id != CCofferDlg::ID_EXIT)
            main.SendCommand(item.id);
    auto* tree = main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE);
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
        if (auto dialog = CTreeResponse().CreateDialogForItem((*it)->text(0).toStdString()))
            dialog->DoModal();
    for (const char* title : {"收支统计", "预算执行", "周期记账", "导入记录", "收入查询"})
        EXPECT_TRUE(inspector.Titles().count(title)) << title;

    QDirIterator templates(QStringLiteral(":/res/dialogs"));
    int nTemplates = 0;
    while (templates.hasNext()) {
        const int id = QFileInfo(templates.next()).baseName().toInt();
        ui::Dialog dialog(id);
        if (dialog.Create()) {
            inspector.Look(&dialog);
            ++nTemplates;
        }
    }
    EXPECT_GE(nTemplates, 15);

    for (const std::string& control : inspector.UnnamedControls())
        ADD_FAILURE() << "no accessible name: " << control;
}

} // namespace
