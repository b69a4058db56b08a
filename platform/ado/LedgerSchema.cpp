#include "platform/ado/LedgerSchema.h"

#include "platform/ado/SchemaSql.h"

namespace ado::ledger_schema {
namespace {

// Amounts in whole cents, dates as 'YYYY-MM-DD' text: the same on every engine.
const Addition kPlan = {
    1,
    {
        "CREATE TABLE IF NOT EXISTS planBudget (ID INTEGER PRIMARY KEY, 支出项目 TEXT NOT NULL, "
        "预算 INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS planRecurring (ID INTEGER PRIMARY KEY, 收支 INTEGER NOT "
        "NULL, 人员 TEXT, 项目 TEXT, 金额 INTEGER NOT NULL, 备注 TEXT, 规则 INTEGER NOT NULL, "
        "规则日 INTEGER NOT NULL, 首日 TEXT NOT NULL, 末日 TEXT, "
        "自动 INTEGER NOT NULL)",
        // One row per occurrence made: its key keeps a second copy of the record out, also
        // from another process that worked out the same occurrence.
        "CREATE TABLE IF NOT EXISTS planOccurrence (模板 INTEGER NOT NULL, 日期 TEXT NOT NULL, "
        "PRIMARY KEY (模板, 日期))",
    },
    {},
};

// Each addition once, numbered from 1 without gaps.
const std::vector<Addition> kAdditions = {kPlan};

const std::vector<std::string> kNone;

} // namespace

const char* ProgramSql() {
    return kSchemaSql;
}

const std::vector<Addition>& Additions() {
    return kAdditions;
}

int Latest() {
    return kAdditions.empty() ? 0 : kAdditions.back().number;
}

const std::vector<std::string>& Statements(int number, bool server) {
    for (const Addition& addition : kAdditions)
        if (addition.number == number)
            return server && !addition.server.empty() ? addition.server : addition.file;
    return kNone;
}

const std::vector<std::string>& ProgramTables() {
    static const std::vector<std::string> tables = {
        "normalIncome", "normalPay", "家庭成员", "收入类型", "支出类型", "baseData", "tbUser"};
    return tables;
}

} // namespace ado::ledger_schema
