#include "data/LedgerAdditions.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "platform/ado/Connection.h"
#include "platform/ado/LedgerLocation.h"

namespace {

// Amounts in whole cents, dates as 'YYYY-MM-DD' text: the same on every engine.
const std::vector<std::string> kPlanStatements = {
    "CREATE TABLE IF NOT EXISTS planBudget (ID INTEGER PRIMARY KEY, 支出项目 TEXT NOT NULL, "
    "预算 INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS planRecurring (ID INTEGER PRIMARY KEY, 收支 INTEGER NOT NULL, "
    "人员 TEXT, 项目 TEXT, 金额 INTEGER NOT NULL, 备注 TEXT, 规则 INTEGER NOT NULL, "
    "规则日 INTEGER NOT NULL, 首日 TEXT NOT NULL, 末日 TEXT, "
    "自动 INTEGER NOT NULL)",
    // One row per occurrence made: its key keeps a second copy of the record out, also
    // from another process that worked out the same occurrence.
    "CREATE TABLE IF NOT EXISTS planOccurrence (模板 INTEGER NOT NULL, 日期 TEXT NOT NULL, "
    "PRIMARY KEY (模板, 日期))",
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

const std::vector<std::string> kNone;

} // namespace

const std::vector<std::string>& CLedgerAdditions::Statements(int nAddition, bool bServer) {
    switch (nAddition) {
    case kPlan:
        return kPlanStatements;
    case kAccounts:
        return bServer ? kServerAccountStatements : kAccountStatements;
    default:
        return kNone;
    }
}

bool CLedgerAdditions::OnServer(CADODatabase& db) {
    return db.IsOpen() && ado::LedgerLocation::IsServer(db.GetActiveConnection()->FilePath());
}

int CLedgerAdditions::Read(CADODatabase& db) {
    CADORecordset rs(&db);
    if (!rs.Open("PRAGMA user_version", CADORecordset::ModeQuery) || rs.IsEOF())
        return 0;
    double dCount = 0;
    rs.GetFieldValue(0, dCount);
    rs.Close();
    return static_cast<int>(dCount);
}

void CLedgerAdditions::Write(CADODatabase& db, int nCount) {
    CADORecordset rs(&db);
    rs.Open("PRAGMA user_version = " + NumberText::Itoa(nCount), CADORecordset::ModeUnknown);
}

void CLedgerAdditions::Add(CADODatabase& db, int nAddition) {
    if (Read(db) >= nAddition)
        return;
    InTransaction(db, [&db, nAddition] {
        CADORecordset rs(&db);
        // Every addition up to this one: a ledger may skip one no window has asked for yet.
        for (int nEach = Read(db) + 1; nEach <= nAddition; ++nEach)
            for (const std::string& statement : Statements(nEach, OnServer(db)))
                rs.Open(statement, CADORecordset::ModeUnknown);
        // Read again inside the transaction: another copy of Coffer may have been first.
        if (Read(db) < nAddition)
            Write(db, nAddition);
    });
}

void CLedgerAdditions::Complete(CADODatabase& db) {
    if (!OnServer(db) || Read(db) < kAccounts)
        return;
    InTransaction(db, [&db] {
        CADORecordset rs(&db);
        for (const std::string& statement : Statements(kAccounts, true))
            if (statement.rfind("CREATE OR REPLACE", 0) == 0)
                rs.Open(statement, CADORecordset::ModeUnknown);
    });
}

bool CLedgerAdditions::Complete(const std::string& strLocation, std::string& strError) {
    try {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + strLocation);
        if (!db.Open()) {
            strError = db.GetErrorDescription();
            return false;
        }
        Complete(db);
        return true;
    } catch (const std::exception& error) {
        strError = error.what();
        return false;
    }
}
