#include "records/ExpenseWatch.h"

#include <utility>

namespace {

CExpenseWatch::Before& Watch() {
    static CExpenseWatch::Before watch;
    return watch;
}

} // namespace

void CExpenseWatch::Set(Before watch) {
    Watch() = std::move(watch);
}

CExpenseWatch::After CExpenseWatch::Start(CADODatabase& db, const std::string& strItem,
                                          const COleDateTime& date) {
    if (!Watch())
        return nullptr;
    try {
        return Watch()(db, strItem, date);
    } catch (...) {
        return nullptr; // the record matters more than the note about it
    }
}

std::string CExpenseWatch::Finish(const After& after) {
    if (!after)
        return {};
    try {
        return after();
    } catch (...) {
        return {};
    }
}
