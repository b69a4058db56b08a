#include "BenchLedger.h"

#include "data/StarterDatabase.h"
#include "platform/ado/LedgerSchema.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace bench {
namespace {

// Ten years from 2006 of 100,000 records each, in date order with up to five minutes'
// jitter, as a ledger fills up. The "random" choices are a fixed hash of the row number.
constexpr const char* kGenerate = R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999),
h(i, r) AS (SELECT i, (i * 2654435761 + 12345) % 4294967291 FROM n)
INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注)
SELECT CASE r % 3 WHEN 0 THEN '爸爸' WHEN 1 THEN '妈妈' ELSE '孩子' END,
       ((r / 7) % 100000) / 10.0,
       datetime('2006-01-01', '+' || (i / 100000) || ' years',
                '+' || ((i % 100000) * 315 + (r / 11) % 300) || ' seconds'),
       CASE (r / 13) % 4 WHEN 0 THEN '工资' WHEN 1 THEN '奖金' WHEN 2 THEN '理财收益'
                         ELSE '其他收入' END,
       CASE WHEN (r / 17) % 3 = 0 THEN NULL ELSE '备注' || (i % 100000) END
FROM h)";

// A current ledger, as the program makes one, keeps accounts: half the records carry one of
// four (the cash every ledger starts with and three more), as in a household that notes
// where the money went.
constexpr const char* kAccounts = R"(
INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES
    ('工资卡', '储蓄卡', 0, '2006-01-01', 2, 0),
    ('信用卡', '信用卡', 0, '2006-01-01', 3, 0),
    ('支付宝', '网络支付', 0, '2006-01-01', 4, 0);
INSERT INTO accountLink (表, 编号, 账户)
SELECT 'normalIncome', 编号, 1 + (编号 / 2) % 4 FROM normalIncome WHERE 编号 % 2 = 0)";

} // namespace

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

ado::DatabasePtr OpenPlain(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    ado::DatabasePtr db(raw);
    Check(rc, raw, "open");
    sqlite3_exec(raw, "PRAGMA synchronous=FULL; PRAGMA cache_size=-32768", nullptr, nullptr,
                 nullptr);
    return db;
}

void MakeOnce(const std::string& file, const std::function<void(sqlite3*)>& fill) {
    namespace fs = std::filesystem;
    if (fs::exists(file))
        return;
    std::fprintf(stderr, "making %s (once)...\n", file.c_str());
    const std::string partial = file + ".partial";
    fs::remove(partial);
    std::string error;
    if (!CreateStarterDatabase(partial, error))
        throw std::runtime_error(error);
    {
        const ado::DatabasePtr db = OpenPlain(partial);
        fill(db.get());
    }
    fs::rename(partial, file);
}

const std::string& LedgerFile() {
    static const std::string path = [] {
        const char* given = std::getenv("COFFER_BENCH_DB");
        const std::string file =
            given ? given
                  : (std::filesystem::temp_directory_path() / "coffer-bench-1m-v4.mdb").string();
        MakeOnce(file, [](sqlite3* db) {
            Check(sqlite3_exec(db, kGenerate, nullptr, nullptr, nullptr), db, "generate");
            Check(sqlite3_exec(db, kAccounts, nullptr, nullptr, nullptr), db, "accounts");
            // The indexes Coffer adds at login.
            for (const std::string& statement : ado::ledger_schema::Named("accountorder").file)
                Check(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), db,
                      "indexes");
        });
        return file;
    }();
    return path;
}

} // namespace bench
