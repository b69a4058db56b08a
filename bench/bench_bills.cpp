// A payment bill read in, against the generic CSV import of the same rows in the same run.
//
//   BM_AlipayBill20k   a 20,000-row Alipay bill (GB18030, its preamble, padded fields) read,
//                      planned (accounts, categories, earlier bills, hand-typed twins) and
//                      written with each record's account and order number into a fresh
//                      ledger in one transaction; ratio = ours / the same rows as a plain CSV
//                      file through the 导入记录 import (read, checked, written in one go).
//
// Wall time, since writing the ledger is most of the work. A household imports a bill once
// in a session, so each iteration is a first import: the memory freed before it is handed
// back to the system, and both sides touch their pages afresh. One such import swings with
// the machine, so the ratio is taken over several, the two sides taking turns going first.

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
#include <malloc.h>

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

// The ledgers of one run, in a folder of its own that goes with the run.
class LedgerFolder {
public:
    LedgerFolder()
        : m_dir(std::filesystem::temp_directory_path() /
                ("coffer-bench-bills-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(m_dir);
    }
    ~LedgerFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    LedgerFolder(const LedgerFolder&) = delete;
    LedgerFolder& operator=(const LedgerFolder&) = delete;

    // A fresh starter ledger named `name`, open.
    void Open(CADODatabase& db, const char* name) const {
        const auto path = m_dir / name;
        std::filesystem::remove(path);
        std::string error;
        if (!CreateStarterDatabase(path.string(), error))
            throw std::runtime_error(error);
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path.string());
        if (!db.Open())
            throw std::runtime_error("ledger " + path.string());
    }

private:
    std::filesystem::path m_dir;
};

// The rows as a plain CSV file through the generic import; its seconds. Neither side is
// inlined, so that a profiler can tell them apart.
[[gnu::noinline]] double ImportGeneric(CADODatabase& db, const std::string& text) {
    const auto t0 = Clock::now();
    CImportFile file;
    std::string error;
    if (!file.LoadBytes(text, error))
        throw std::runtime_error(error);
    std::vector<std::string> header;
    file.ReadHeader(header, error);
    ImportOptions options;
    options.nKind = ImportKind::Expense;
    const ImportSummary summary = ImportRecords(db, file, MapHeader(header), options, {});
    const double seconds = Seconds(Clock::now() - t0);
    if (summary.nImported != kRows)
        throw std::runtime_error("generic import: " + ImportSummaryText(summary));
    return seconds;
}

// The Alipay bill read, planned and written into a ledger with its wallet; its seconds.
[[gnu::noinline]] double ImportAlipay(CADODatabase& db, const std::string& bytes) {
    CAccount wallet;
    wallet.strName = "妈妈的支付宝";
    wallet.strKind = "支付宝";
    wallet.strOwner = "妈妈";
    wallet.strOpeningDate = "2024-01-01";
    CAccountStore(db).Save(wallet);

    const auto t0 = Clock::now();
    BillFile bill;
    std::string error;
    if (!ReadBill(bytes, "bill.csv", bill, error))
        throw std::runtime_error(error);
    BillOptions options;
    options.strMember = "妈妈";
    CBillPlanner planner;
    planner.Load(db, bill.nKind, options.strMember);
    const BillSummary summary = WriteBill(db, bill.nKind, planner.Plan(bill, options), options, {});
    const double seconds = Seconds(Clock::now() - t0);
    if (summary.nExpense != kRows)
        throw std::runtime_error("bill: " + BillSummaryText(summary));
    return seconds;
}

void BM_AlipayBill20k(benchmark::State& state) {
    const Files& files = MakeFiles();
    const LedgerFolder folder;
    double ours = 0, baseline = 0;
    bool bOursFirst = false;
    for (auto _ : state) {
        bOursFirst = !bOursFirst;
        CADODatabase plain, db;
        folder.Open(plain, "plain.mdb");
        folder.Open(db, "ours.mdb");
        for (const bool bOurs : {bOursFirst, !bOursFirst}) {
            malloc_trim(0);
            (bOurs ? ours : baseline) +=
                bOurs ? ImportAlipay(db, files.bill) : ImportGeneric(plain, files.generic);
        }
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["ratio"] = ours / baseline;
}

} // namespace

BENCHMARK(BM_AlipayBill20k)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
