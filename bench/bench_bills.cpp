// A payment bill read in, against the generic CSV import of the same rows in the same run.
//
//   BM_AlipayBill20k   a 20,000-row Alipay bill (GB18030, its preamble, padded fields) read,
//                      planned (accounts, categories, earlier bills, hand-typed twins) and
//                      written with each record's account and order number into a fresh
//                      ledger in one transaction; ratio = ours / the same rows as a plain CSV
//                      file through the 导入记录 import (read, checked, written in one go).
//
// Wall time, since writing the ledger is most of the work.

#include "accounts/AccountStore.h"
#include "bills/BillImport.h"
#include "bills/BillPlan.h"
#include "bills/BillReader.h"
#include "data/ADODatabase.h"
#include "data/StarterDatabase.h"
#include "exchange/ImportFile.h"
#include "exchange/RecordImport.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 20000;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string Gb18030(const std::string& utf8) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1))
        throw std::runtime_error("iconv");
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

struct Files {
    std::string bill;    // the Alipay bill's bytes
    std::string generic; // the same rows as a plain CSV
};

const Files& MakeFiles() {
    static const Files files = [] {
        const char* counterparties[] = {"云膳过桥米线(传奇广场店)", "某某超市", "滴滴出行", "某某药房"};
        const char* types[] = {"餐饮美食", "日用百货", "交通出行", "医疗健康"};
        const char* items[] = {"餐饮", "购物", "交通", "医疗"};
        std::string bill = "------------------------------------------------------------\r\n"
                           "导出信息：\r\n姓名：张小花\r\n共20000笔记录\r\n\r\n特别提示：\r\n"
                           "1.本回单仅供对账使用；\r\n"
                           "------------------------电子客户回单------------------------\r\n"
                           "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,"
                           "交易状态,交易订单号,商家订单号,备注,\r\n";
        std::string generic = "日期,金额,成员,类别,备注\n";
        char line[512];
        for (int i = 0; i < kRows; ++i) {
            const int k = i % 4;
            const int day = 1 + (i / 700) % 28;
            const int month = 1 + (i / (700 * 28)) % 12;
            char when[32];
            std::snprintf(when, sizeof when, "2024-%02d-%02d %02d:%02d:%02d", month, day,
                          (i / 60) % 24, i % 60, (i * 7) % 60);
            const int cents = 100 + (i * 37) % 90000;
            std::snprintf(line, sizeof line,
                          "%s      ,%s      ,%s      ,ab***@example.com      ,商品%d      ,支出      ,"
                          "%d.%02d      ,余额      ,交易成功      ,2024%016d\t,M%d\t,      ,\r\n",
                          when, types[k], counterparties[k], i, cents / 100, cents % 100, i, i);
            bill += line;
            std::snprintf(line, sizeof line, "%s,%d.%02d,妈妈,%s,%s 商品%d\n", when, cents / 100,
                          cents % 100, items[k], counterparties[k], i);
            generic += line;
        }
        return Files{Gb18030(bill), generic};
    }();
    return files;
}

std::string FreshLedger(const char* name) {
    static const std::filesystem::path dir = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("coffer-bench-bills-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    const auto path = dir / name;
    std::filesystem::remove(path);
    std::string error;
    if (!CreateStarterDatabase(path.string(), error))
        throw std::runtime_error(error);
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path.string();
}

void BM_AlipayBill20k(benchmark::State& state) {
    const Files& files = MakeFiles();
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        CADODatabase plain;
        plain.SetConnectionString(FreshLedger("plain.mdb"));
        CADODatabase db;
        db.SetConnectionString(FreshLedger("ours.mdb"));
        if (!plain.Open() || !db.Open())
            throw std::runtime_error("ledger");
        CAccount wallet;
        wallet.strName = "妈妈的支付宝";
        wallet.strKind = "支付宝";
        wallet.strOwner = "妈妈";
        wallet.strOpeningDate = "2024-01-01";
        CAccountStore(db).Save(wallet);

        auto t0 = Clock::now();
        CImportFile file;
        std::string error;
        if (!file.LoadBytes(files.generic, error))
            throw std::runtime_error(error);
        std::vector<std::string> header;
        file.ReadHeader(header, error);
        ImportOptions options;
        options.nKind = ImportKind::Expense;
        const ImportSummary generic = ImportRecords(plain, file, MapHeader(header), options, {});
        baseline += Seconds(Clock::now() - t0);
        if (generic.nImported != kRows)
            throw std::runtime_error("generic import: " + ImportSummaryText(generic));

        t0 = Clock::now();
        BillFile bill;
        if (!ReadBill(files.bill, "bill.csv", bill, error))
            throw std::runtime_error(error);
        BillOptions billOptions;
        billOptions.strMember = "妈妈";
        CBillPlanner planner;
        planner.Load(db, bill.nKind, billOptions.strMember);
        const BillSummary summary =
            WriteBill(db, bill.nKind, planner.Plan(bill, billOptions), billOptions, {});
        ours += Seconds(Clock::now() - t0);
        if (summary.nExpense != kRows)
            throw std::runtime_error("bill: " + BillSummaryText(summary));
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["ratio"] = ours / baseline;
}

} // namespace

BENCHMARK(BM_AlipayBill20k)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
