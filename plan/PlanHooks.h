#pragma once

/// Hands the budgets to the windows below them: the over-budget line of the expense
/// dialogs, budgets following renamed and deleted categories, and the 预算执行 view of the
/// statistics. Called once at start-up.
class CPlanHooks {
public:
    static void Install();
};
