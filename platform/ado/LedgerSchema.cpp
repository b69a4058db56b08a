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

// Amounts in whole cents; opening dates 'YYYY-MM-DD', transfer times and reconciliation
// dates 'YYYY-MM-DD HH:MM:SS' text. A record's account and its reconciliation mark live
// beside the record, keyed by (table, 编号): the record tables never change.
const std::vector<std::string> kAccountTables = {
    "CREATE TABLE IF NOT EXISTS accountList (ID INTEGER PRIMARY KEY, 名称 TEXT NOT NULL, "
    "种类 TEXT NOT NULL, 所有人 TEXT, 期初余额 INTEGER NOT NULL, 期初日期 TEXT NOT NULL, "
    "顺序 INTEGER NOT NULL, 停用 INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS accountLink (表 TEXT NOT NULL, 编号 INTEGER NOT NULL, "
    "账户 INTEGER NOT NULL, 对账 TEXT, PRIMARY KEY (表, 编号))",
    "CREATE INDEX IF NOT EXISTS accountLink_账户 ON accountLink (账户)",
    "CREATE TABLE IF NOT EXISTS accountTransfer (ID INTEGER PRIMARY KEY, "
    "转出账户 INTEGER NOT NULL, 转入账户 INTEGER NOT NULL, 金额 INTEGER NOT NULL, "
    "日期 TEXT NOT NULL, 人员 TEXT, 备注 TEXT, 转出对账 TEXT, 转入对账 TEXT)",
    "CREATE TABLE IF NOT EXISTS accountReconcile (ID INTEGER PRIMARY KEY, "
    "账户 INTEGER NOT NULL, 日期 TEXT NOT NULL, 余额 INTEGER NOT NULL)",
    // Every ledger starts with the cash in the house.
    "INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) SELECT '现金', '现金', "
    "0, '1900-01-01', 1, 0 WHERE NOT EXISTS (SELECT 1 FROM accountList)",
};

std::vector<std::string> AccountTablesAnd(const std::vector<std::string>& triggers) {
    std::vector<std::string> statements = kAccountTables;
    statements.insert(statements.end(), triggers.begin(), triggers.end());
    return statements;
}

// A record deleted by any window or tool takes its account link with it.
const std::vector<std::string> kAccountStatements = AccountTablesAnd({
    "CREATE TRIGGER IF NOT EXISTS accountLink_normalIncome AFTER DELETE ON normalIncome "
    "BEGIN DELETE FROM accountLink WHERE 表 = 'normalIncome' AND 编号 = OLD.编号; END",
    "CREATE TRIGGER IF NOT EXISTS accountLink_normalPay AFTER DELETE ON normalPay "
    "BEGIN DELETE FROM accountLink WHERE 表 = 'normalPay' AND 编号 = OLD.编号; END",
});

const std::vector<std::string> kServerAccountStatements = AccountTablesAnd({
    "CREATE OR REPLACE FUNCTION accountlink_normalincome() RETURNS trigger LANGUAGE plpgsql "
    "AS $$BEGIN DELETE FROM accountLink WHERE 表 = 'normalIncome' AND 编号 = OLD.编号; "
    "RETURN OLD; END$$",
    "CREATE OR REPLACE TRIGGER accountlink_normalincome AFTER DELETE ON normalIncome "
    "FOR EACH ROW EXECUTE FUNCTION accountlink_normalincome()",
    "CREATE OR REPLACE FUNCTION accountlink_normalpay() RETURNS trigger LANGUAGE plpgsql "
    "AS $$BEGIN DELETE FROM accountLink WHERE 表 = 'normalPay' AND 编号 = OLD.编号; "
    "RETURN OLD; END$$",
    "CREATE OR REPLACE TRIGGER accountlink_normalpay AFTER DELETE ON normalPay "
    "FOR EACH ROW EXECUTE FUNCTION accountlink_normalpay()",
});

const Addition kAccounts = {"accounts", 2, kAccountStatements, kServerAccountStatements};

// The phone page's submissions: the id is made on the phone, and its key keeps a retried
// submission from writing a second record. madeAt counts seconds since the epoch.
const Addition kPhone = {
    "phone",
    3,
    {
        "CREATE TABLE IF NOT EXISTS phoneSubmission (submissionId TEXT PRIMARY KEY, "
        "device TEXT NOT NULL, kind INTEGER NOT NULL, recordId INTEGER NOT NULL, "
        "outcome TEXT NOT NULL, madeAt DOUBLE NOT NULL)",
        "CREATE INDEX IF NOT EXISTS phoneSubmission_device ON phoneSubmission (device, madeAt)",
    },
    {},
};

// Bills read in: which row of which bill each stored record or transfer came from, so a
// bill read again adds nothing; and what the user chose once for a bill's texts (a source's
// account, a counterparty's category), used for the next bill.
const Addition kBills = {
    "bills",
    4,
    {
        "CREATE TABLE IF NOT EXISTS billOrder (来源 TEXT NOT NULL, 单号 TEXT NOT NULL, "
        "表 TEXT NOT NULL, 编号 INTEGER NOT NULL, PRIMARY KEY (来源, 单号))",
        "CREATE TABLE IF NOT EXISTS billChoice (种类 TEXT NOT NULL, 文字 TEXT NOT NULL, "
        "选择 TEXT NOT NULL, PRIMARY KEY (种类, 文字))",
    },
    {},
};

// Receipts: each picture once, by the hash of its bytes, its thumbnail beside it, and a link
// per record keyed by (table, 编号). A deleted record takes its links with it, and the last
// link of a picture takes the picture, whoever deletes (another copy of Coffer, a tool).
// On the server a link can only name a stored picture, so a record deleted while another
// copy links its picture elsewhere fails rather than leave a link to nothing. The thumbnail
// comes before the picture: a row's later columns are read past its earlier ones, and the
// strips read thumbnails only.
const std::vector<std::string> kPictureTables = {
    "CREATE TABLE IF NOT EXISTS pictureStore (ID INTEGER PRIMARY KEY, 摘要 TEXT NOT NULL UNIQUE, "
    "宽 INTEGER NOT NULL, 高 INTEGER NOT NULL, 缩略图 BLOB NOT NULL, 图片 BLOB NOT NULL)",
    "CREATE TABLE IF NOT EXISTS pictureLink (表 TEXT NOT NULL, 编号 INTEGER NOT NULL, "
    "图片 INTEGER NOT NULL REFERENCES pictureStore (ID), 顺序 INTEGER NOT NULL, "
    "PRIMARY KEY (表, 编号, 图片))",
    "CREATE INDEX IF NOT EXISTS pictureLink_图片 ON pictureLink (图片)",
};

std::vector<std::string> PictureStatements(const std::vector<std::string>& tables,
                                           const std::vector<std::string>& triggers) {
    std::vector<std::string> statements = tables;
    statements.insert(statements.end(), triggers.begin(), triggers.end());
    return statements;
}

const Addition kPictures = {
    "pictures",
    5,
    PictureStatements(
        kPictureTables,
        {
            "CREATE TRIGGER IF NOT EXISTS pictureLink_normalIncome AFTER DELETE ON normalIncome "
            "BEGIN DELETE FROM pictureLink WHERE 表 = 'normalIncome' AND 编号 = OLD.编号; END",
            "CREATE TRIGGER IF NOT EXISTS pictureLink_normalPay AFTER DELETE ON normalPay "
            "BEGIN DELETE FROM pictureLink WHERE 表 = 'normalPay' AND 编号 = OLD.编号; END",
            "CREATE TRIGGER IF NOT EXISTS pictureStore_unlinked AFTER DELETE ON pictureLink "
            "BEGIN DELETE FROM pictureStore WHERE ID = OLD.图片 AND NOT EXISTS (SELECT 1 FROM "
            "pictureLink WHERE 图片 = OLD.图片); END",
        }),
    PictureStatements(
        {
            "CREATE TABLE IF NOT EXISTS pictureStore (ID INTEGER PRIMARY KEY, 摘要 TEXT NOT NULL "
            "UNIQUE, 宽 INTEGER NOT NULL, 高 INTEGER NOT NULL, 缩略图 bytea NOT NULL, 图片 bytea "
            "NOT NULL)",
            kPictureTables[1],
            kPictureTables[2],
        },
        {
            "CREATE OR REPLACE FUNCTION picturelink_normalincome() RETURNS trigger LANGUAGE "
            "plpgsql AS $$BEGIN DELETE FROM pictureLink WHERE 表 = 'normalIncome' AND 编号 = "
            "OLD.编号; RETURN OLD; END$$",
            "CREATE OR REPLACE TRIGGER picturelink_normalincome AFTER DELETE ON normalIncome "
            "FOR EACH ROW EXECUTE FUNCTION picturelink_normalincome()",
            "CREATE OR REPLACE FUNCTION picturelink_normalpay() RETURNS trigger LANGUAGE "
            "plpgsql AS $$BEGIN DELETE FROM pictureLink WHERE 表 = 'normalPay' AND 编号 = "
            "OLD.编号; RETURN OLD; END$$",
            "CREATE OR REPLACE TRIGGER picturelink_normalpay AFTER DELETE ON normalPay "
            "FOR EACH ROW EXECUTE FUNCTION picturelink_normalpay()",
            "CREATE OR REPLACE FUNCTION picturestore_unlinked() RETURNS trigger LANGUAGE "
            "plpgsql AS $$BEGIN DELETE FROM pictureStore WHERE ID = OLD.图片 AND NOT EXISTS "
            "(SELECT 1 FROM pictureLink WHERE 图片 = OLD.图片); RETURN OLD; END$$",
            "CREATE OR REPLACE TRIGGER picturestore_unlinked AFTER DELETE ON pictureLink "
            "FOR EACH ROW EXECUTE FUNCTION picturestore_unlinked()",
        }),
};

// Bank statements' import schemes: which column of a bank's statement holds what, known by
// the statement's heading row, and the account the statement is of. Keyed by the name the
// user gave it; a column is -1 when the statement has none.
const Addition kBankSchemes = {
    "bankschemes",
    6,
    {
        "CREATE TABLE IF NOT EXISTS bankScheme (名称 TEXT PRIMARY KEY, 标题 TEXT NOT NULL, "
        "日期列 INTEGER NOT NULL, 时间列 INTEGER NOT NULL, 金额列 INTEGER NOT NULL, "
        "收入列 INTEGER NOT NULL, 支出列 INTEGER NOT NULL, 余额列 INTEGER NOT NULL, "
        "摘要列 INTEGER NOT NULL, 对方列 INTEGER NOT NULL, 账户 INTEGER NOT NULL)",
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

// The listings read the accounts of a span of records from the links alone: with the account
// in the key's index no link row is looked up. An index it can build again, made at login.
const Addition kAccountOrder = {
    "accountorder",
    0,
    {"CREATE INDEX IF NOT EXISTS accountLink_表_编号_账户 ON accountLink (表, 编号, 账户)"},
    {},
};

// The counted additions numbered from 1 without gaps, then those made when wanted.
const std::vector<Addition> kAdditions = {kPlan, kAccounts, kPhone, kBills, kPictures, kBankSchemes,
                                          kSearch, kAccountOrder};

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
