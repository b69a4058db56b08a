#include "platform/ado/LedgerSchema.h"

#include "platform/ado/SchemaSql.h"

#include <algorithm>
#include <stdexcept>

namespace ado::ledger_schema {
namespace {

// Amounts in whole cents, dates as 'YYYY-MM-DD' text: the same on every engine.
const Addition kPlan = {
    "plan",
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

// The search index: a trigram full-text table per record table, kept by triggers in the same
// transaction as every write. It keeps no copy of the texts (the records are read from their
// table), and its amount is whole cents written with two decimals. Made by the search when
// first wanted, not counted; the server makes its own kind of index (search/SearchIndex.cpp).
const Addition kSearch = {
    "search",
    0,
    {
        "create virtual table if not exists searchIncome using fts5(member, "
        "item, note, amount, content='', tokenize='trigram')",
        "create trigger if not exists searchIncome_insert after insert on "
        "normalIncome begin insert into searchIncome(rowid, member, item, note, "
        "amount) values (new.编号, new.收入人员, new.收入项目, "
        "new.备注, printf('%d.%02d', cast(round(new.收入金额 * 100) as "
        "integer) / 100, cast(round(new.收入金额 * 100) as integer) % "
        "100)); end",
        "create trigger if not exists searchIncome_delete after delete on "
        "normalIncome begin insert into searchIncome(searchIncome, rowid, "
        "member, item, note, amount) values ('delete', old.编号, "
        "old.收入人员, old.收入项目, old.备注, printf('%d.%02d', "
        "cast(round(old.收入金额 * 100) as integer) / 100, "
        "cast(round(old.收入金额 * 100) as integer) % 100)); end",
        "create trigger if not exists searchIncome_update after update on "
        "normalIncome begin insert into searchIncome(searchIncome, rowid, "
        "member, item, note, amount) values ('delete', old.编号, "
        "old.收入人员, old.收入项目, old.备注, printf('%d.%02d', "
        "cast(round(old.收入金额 * 100) as integer) / 100, "
        "cast(round(old.收入金额 * 100) as integer) % 100)); insert into "
        "searchIncome(rowid, member, item, note, amount) values (new.编号, "
        "new.收入人员, new.收入项目, new.备注, printf('%d.%02d', "
        "cast(round(new.收入金额 * 100) as integer) / 100, "
        "cast(round(new.收入金额 * 100) as integer) % 100)); end",
        "create virtual table if not exists searchPay using fts5(member, item, "
        "note, amount, content='', tokenize='trigram')",
        "create trigger if not exists searchPay_insert after insert on "
        "normalPay begin insert into searchPay(rowid, member, item, note, "
        "amount) values (new.编号, new.支出人员, new.支出项目, "
        "new.备注, printf('%d.%02d', cast(round(new.支出金额 * 100) as "
        "integer) / 100, cast(round(new.支出金额 * 100) as integer) % "
        "100)); end",
        "create trigger if not exists searchPay_delete after delete on "
        "normalPay begin insert into searchPay(searchPay, rowid, member, item, "
        "note, amount) values ('delete', old.编号, old.支出人员, "
        "old.支出项目, old.备注, printf('%d.%02d', "
        "cast(round(old.支出金额 * 100) as integer) / 100, "
        "cast(round(old.支出金额 * 100) as integer) % 100)); end",
        "create trigger if not exists searchPay_update after update on "
        "normalPay begin insert into searchPay(searchPay, rowid, member, item, "
        "note, amount) values ('delete', old.编号, old.支出人员, "
        "old.支出项目, old.备注, printf('%d.%02d', "
        "cast(round(old.支出金额 * 100) as integer) / 100, "
        "cast(round(old.支出金额 * 100) as integer) % 100)); insert into "
        "searchPay(rowid, member, item, note, amount) values (new.编号, "
        "new.支出人员, new.支出项目, new.备注, printf('%d.%02d', "
        "cast(round(new.支出金额 * 100) as integer) / 100, "
        "cast(round(new.支出金额 * 100) as integer) % 100)); end",
    },
    {},
};

// The counted additions numbered from 1 without gaps, then those made when wanted.
const std::vector<Addition> kAdditions = {kPlan, kSearch};

const std::vector<std::string> kNone;

} // namespace

const char* ProgramSql() {
    return kSchemaSql;
}

const std::vector<Addition>& Additions() {
    return kAdditions;
}

int Latest() {
    int latest = 0;
    for (const Addition& addition : kAdditions)
        latest = std::max(latest, addition.number);
    return latest;
}

const std::vector<std::string>& Statements(int number, bool server) {
    for (const Addition& addition : kAdditions)
        if (number > 0 && addition.number == number)
            return server && !addition.server.empty() ? addition.server : addition.file;
    return kNone;
}

const Addition& Named(std::string_view name) {
    for (const Addition& addition : kAdditions)
        if (name == addition.name)
            return addition;
    throw std::logic_error("no ledger addition named " + std::string(name));
}

const std::vector<std::string>& ProgramTables() {
    static const std::vector<std::string> tables = {
        "normalIncome", "normalPay", "家庭成员", "收入类型", "支出类型", "baseData", "tbUser"};
    return tables;
}

} // namespace ado::ledger_schema
