#pragma once

#include <functional>

class CADODatabase;

/// Runs `work` in one transaction of `db`: committed when it returns, rolled back when it
/// throws (the exception goes on; a failing rollback does not hide it).
void InTransaction(CADODatabase& db, const std::function<void()>& work);
