#pragma once

#include "platform/ole/OleDateTime.h"

#include <functional>
#include <string>

class CADODatabase;

/// A second line for what the expense dialogs tell after a write, supplied by a feature
/// above them (the budgets) at start-up. Without one, the dialogs behave as they always did.
class CExpenseWatch {
public:
    /// Called after the write: the line to add, or "".
    using After = std::function<std::string()>;
    /// Called before the write of an expense of `strItem` on `date`.
    using Before = std::function<After(CADODatabase& db, const std::string& strItem,
                                       const COleDateTime& date)>;

    static void Set(Before watch);
    /// Starts watching one write. A watch that fails gives no line; the write goes on.
    static After Start(CADODatabase& db, const std::string& strItem, const COleDateTime& date);
    /// The line after the write, "" without a watch or when it fails.
    static std::string Finish(const After& after);
};
