#include "bills/BillImport.h"

#include "accounts/TransferStore.h"
#include "backup/AdditionBackup.h"
#include "bills/AnyBill.h"
#include "bills/BankBalance.h"
#include "bills/BankStatement.h"
#include "bills/BankTexts.h"
#include "bills/BillReader.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "exchange/LedgerExport.h"
#include "exchange/RecordImport.h"
#include "records/AccountLink.h"
#include "records/RecordSource.h"
#include "records/RecordWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// The list's catch-all entry ("其他支出"), else its first.
std::string FallbackCategory(CADODatabase& db, bool bIncome) {
    const std::vector<std::string> items = ListEntries(db, bIncome ? "收入类型" : "支出类型");
    for (const std::string& item : items)
        if (item.rfind("其他", 0) == 0)
            return item;
    return items.empty() ? std::string() : items.front();
}

std::string TimeText(const COleDateTime& when) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.GetYear(),
                  when.GetMonth(), when.GetDay(), when.GetHour(), when.GetMinute(),
                  when.GetSecond());
    return text;
}

void Remember(CADODatabase& db, const std::string& strKind, const std::string& strText,
              const std::string& strChoice) {
    CADORecordset rs(&db);
    const std::string key = "种类 = '" + QuoteSql(strKind) + "' AND 文字 = '" + QuoteSql(strText) + "'";
    rs.Open("DELETE FROM billChoice WHERE " + key, CADORecordset::ModeUnknown);
    rs.Open("INSERT INTO billChoice (种类, 文字, 选择) VALUES ('" + QuoteSql(strKind) + "', '" +
                QuoteSql(strText) + "', '" + QuoteSql(strChoice) + "')",
            CADORecordset::ModeUnknown);
}

// Reads a bill or a bank statement by its saved scheme; a statement without one is read
// by the columns its headings name when the tool is told its account. --account names a
// statement's account over its scheme's.
bool ReadStatementOrBill(CADODatabase& db, const std::string& strPath, const BillOptions& options,
                         BillFile& bill, std::string& strError) {
    AnyBillRead read;
    bool bRead = ReadAnyBillFile(db, strPath, bill, read);
    std::int64_t nAccount = 0;
    if (!options.strAccount.empty()) {
        bool bStopped = false;
        nAccount = CAccountLink::Present(db) ? CAccountLink::Find(db, options.strAccount, bStopped) : 0;
    }
    if (!bRead && read.bNeedsScheme && nAccount != 0) {
        read.guess.nAccount = nAccount;
        std::ifstream in(strPath, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        bRead = ReadBankStatement(bytes, std::filesystem::path(strPath).filename().string(),
                                  read.guess, bill, read.strError);
    }
    if (!bRead) {
        strError = read.strError;
        return false;
    }
    if (bill.nKind == BillKind::Bank && nAccount != 0 && nAccount != bill.nAccount) {
        bill.nAccount = nAccount;
        KeyBankRows(bill);
    }
    return true;
}

} // namespace

std::string BillCentsText(std::int64_t nCents) {
    // Written by hand: snprintf, once a row, was a twentieth of writing a bill.
    const std::uint64_t nAbs = nCents < 0 ? 0 - static_cast<std::uint64_t>(nCents)
                                          : static_cast<std::uint64_t>(nCents);
    char text[32];
    char* at = text + sizeof text;
    const std::uint64_t nFraction = nAbs % 100;
    *--at = static_cast<char>('0' + nFraction % 10);
    *--at = static_cast<char>('0' + nFraction / 10);
    *--at = '.';
    std::uint64_t nWhole = nAbs / 100;
    do {
        *--at = static_cast<char>('0' + nWhole % 10);
        nWhole /= 10;
    } while (nWhole != 0);
    if (nCents < 0)
        *--at = '-';
    return std::string(at, static_cast<std::size_t>(text + sizeof text - at));
}

BillSummary WriteBill(CADODatabase& db, BillKind kind, const std::vector<BillLine>& lines,
                      const BillOptions& options, const BillProgress& progress) {
    BillSummary summary;
    if (!CRecordSource::Present(db)) {
        if (!BackUpBeforeAddition(db, summary.strError))
            return summary;
        CLedgerAdditions::Add(db, CLedgerAdditions::kBills);
    }
    const std::string strSource = BillSourceName(kind);
    std::map<bool, std::string> fallback;
    std::map<std::int64_t, std::string> names;
    static const std::string kNoName;
    auto NameOf = [&](std::int64_t nId) -> const std::string& {
        if (nId == 0)
            return kNoName;
        auto found = names.find(nId);
        if (found == names.end())
            found = names.emplace(nId, CAccountLink::Name(db, nId)).first;
        return found->second;
    };
    if (!db.BeginTrans()) {
        summary.strError = "账本没有打开";
        return summary;
    }
    try {
        CRecordWriter writer(db);
        writer.StartBatch();
        CTransferStore transfers(db);
        // One record written over line after line: its texts keep their room.
        CNewRecord record;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const BillLine& line = lines[n];
            if (n % 200 == 199 && progress &&
                !progress(static_cast<double>(n) / static_cast<double>(lines.size()))) {
                summary.bCancelled = true;
                break;
            }
            if (!line.Stored()) {
                ++summary.nSkipped;
                continue;
            }
            if (line.nKind == BillLine::Transfer) {
                CTransfer transfer;
                transfer.nFrom = line.nAccount;
                transfer.nTo = line.nToAccount;
                transfer.nAmount = line.nCents;
                transfer.strDate = TimeText(line.Row().dtWhen);
                transfer.strMember = options.strMember;
                line.NoteInto(transfer.strNote);
                if (std::string wrong = transfers.AddWithin(transfer); !wrong.empty()) {
                    summary.refused.emplace_back(line.Row().nLine, wrong);
                    continue;
                }
                if (!line.Row().strOrder.empty())
                    CRecordSource::Set(db, strSource, std::string(line.Row().strOrder),
                                       "accountTransfer", transfer.nId);
                ++summary.nTransfers;
                continue;
            }
            const bool bIncome = line.nKind == BillLine::Income;
            record.bIncome = bIncome;
            record.strAmount = BillCentsText(line.nCents);
            record.strMember = options.strMember;
            record.strItem = line.strCategory;
            if (record.strItem.empty()) {
                if (!fallback.count(bIncome))
                    fallback[bIncome] = FallbackCategory(db, bIncome);
                record.strItem = fallback[bIncome];
            }
            record.dtRecord = line.Row().dtWhen;
            line.NoteInto(record.strNote);
            record.strAccount = NameOf(line.nAccount);
            record.strSource = strSource;
            record.strOrder = line.Row().strOrder;
            const CRecordWriter::Result result = writer.AddWithin(record);
            if (!result.Ok()) {
                summary.refused.emplace_back(line.Row().nLine, result.strMessage);
                continue;
            }
            ++(bIncome ? summary.nIncome : summary.nExpense);
        }
        if (summary.bCancelled) {
            db.RollbackTrans();
            summary = BillSummary{};
            summary.bCancelled = true;
            return summary;
        }
        for (const auto& [strText, nAccount] : options.accounts)
            Remember(db, "账户", strText, NumberText::Itoa(nAccount));
        for (const auto& [strKey, strCategory] : options.categories)
            Remember(db, "类别", strKey, strCategory);
        writer.FinishBatch();
        db.CommitTrans();
    } catch (...) {
        db.RollbackTrans();
        throw;
    }
    if (progress)
        progress(1.0);
    return summary;
}

std::string BillSummaryText(const BillSummary& summary) {
    if (std::string nothing = ImportNothingText(summary.strError, summary.bCancelled);
        !nothing.empty())
        return nothing;
    return "导入完成！收入 " + std::to_string(summary.nIncome) + " 笔，支出 " +
           std::to_string(summary.nExpense) + " 笔，转账 " + std::to_string(summary.nTransfers) +
           " 笔，不记 " + std::to_string(summary.nSkipped) + " 笔，出错 " +
           std::to_string(summary.refused.size()) + " 笔。";
}

BillSummary ImportBillFile(const std::string& strConnection, const std::string& strPath,
                           BillOptions options, BillFile& bill, std::vector<BillLine>& lines) {
    BillSummary summary;
    lines.clear();
    bill = BillFile();
    try {
        CADODatabase db;
        db.SetConnectionString(strConnection);
        if (!db.Open()) {
            summary.strError =
                db.GetErrorDescription().empty() ? "账本打不开" : db.GetErrorDescription();
            return summary;
        }
        if (!ReadStatementOrBill(db, strPath, options, bill, summary.strError))
            return summary;
        const std::vector<std::string> members = ListEntries(db, "家庭成员");
        if (options.strMember.empty() && members.size() == 1)
            options.strMember = members[0];
        if (options.strMember.empty()) {
            summary.strError = "账单是谁的？请用 --member 说明";
            return summary;
        }
        if (std::find(members.begin(), members.end(), options.strMember) == members.end()) {
            summary.strError = "没有这个家庭成员：" + options.strMember;
            return summary;
        }
        bool bStopped = false;
        if (!options.strAccount.empty() && CAccountLink::Find(db, options.strAccount, bStopped) == 0) {
            summary.strError = "没有这个账户：" + options.strAccount;
            return summary;
        }
        if (BalanceGap gap; !options.bAcceptBalance && FindBalanceGap(db, bill, gap)) {
            summary.strError =
                BalanceGapText(gap, CAccountLink::Name(db, bill.nAccount)) + BankTexts::kBalanceRefused;
            return summary;
        }
        CBillPlanner planner;
        planner.Load(db, bill.nKind, options.strMember);
        lines = planner.Plan(bill, options);
        return WriteBill(db, bill.nKind, lines, options, nullptr);
    } catch (...) {
        summary = BillSummary();
        summary.strError = DescribeExchangeError(std::current_exception());
        return summary;
    }
}
