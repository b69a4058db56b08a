#include "accounts/AccountHistory.h"

#include "accounts/AccountTexts.h"
#include "data/ADORecordset.h"
#include "data/FormatDateTime.h"
#include "data/NumberText.h"

#include <algorithm>
#include <cmath>

void CAccountHistory::AddRecords(const CAccount& account, bool bIncome,
                                 std::vector<CHistoryItem>& items) {
    const char* table = bIncome ? "normalIncome" : "normalPay";
    const std::string prefix = bIncome ? "收入" : "支出";
    CADORecordset rs(&m_db);
    if (!rs.Open(
            "SELECT r.编号, r." + prefix + "日期, r." + prefix + "金额, r." + prefix + "项目, r." +
                prefix + "人员, r.备注, l.对账 FROM accountLink l, " + table + " r WHERE l.表 = '" +
                table + "' AND l.账户 = " + NumberText::Itoa(account.nId) +
                " AND r.编号 = l.编号 AND r." + prefix + "日期 >= #" + account.strOpeningDate + "#",
            CADORecordset::ModeQuery))
        return;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        CHistoryItem item;
        item.nKind = bIncome ? CHistoryItem::Income : CHistoryItem::Expense;
        item.strTable = table;
        double dValue = 0;
        rs.GetFieldValue(0, dValue);
        item.nId = std::llround(dValue);
        COleDateTime date;
        rs.GetFieldValue(1, date);
        item.strDate = FormatDateTime(date, "%Y-%m-%d %H:%M:%S");
        dValue = 0;
        rs.GetFieldValue(2, dValue);
        item.nAmount = (bIncome ? 1 : -1) * std::llround(dValue * 100.0);
        rs.GetFieldValue(3, item.strWhat);
        rs.GetFieldValue(4, item.strMember);
        rs.GetFieldValue(5, item.strNote);
        rs.GetFieldValue(6, item.strReconciled);
        items.push_back(std::move(item));
    }
}

void CAccountHistory::AddTransfers(const CAccount& account, bool bIn,
                                   const std::map<std::int64_t, std::string>& names,
                                   std::vector<CHistoryItem>& items) {
    const std::string side = bIn ? "转入" : "转出";
    const std::string other = bIn ? "转出" : "转入";
    CADORecordset rs(&m_db);
    if (!rs.Open("SELECT ID, 日期, 金额, " + other + "账户, 人员, 备注, " + side +
                     "对账 FROM accountTransfer WHERE " + side +
                     "账户 = " + NumberText::Itoa(account.nId) + " AND 日期 >= '" +
                     account.strOpeningDate + "'",
                 CADORecordset::ModeQuery))
        return;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        CHistoryItem item;
        item.nKind = bIn ? CHistoryItem::TransferIn : CHistoryItem::TransferOut;
        item.strTable = "accountTransfer";
        double dValue = 0;
        rs.GetFieldValue(0, dValue);
        item.nId = std::llround(dValue);
        rs.GetFieldValue(1, item.strDate);
        dValue = 0;
        rs.GetFieldValue(2, dValue);
        item.nAmount = (bIn ? 1 : -1) * std::llround(dValue);
        dValue = 0;
        rs.GetFieldValue(3, dValue);
        const auto found = names.find(std::llround(dValue));
        item.strWhat = found == names.end() ? std::string(AccountTexts::kAdjustment)
                                            : std::string(AccountTexts::kTransfer) +
                                                  (bIn ? "（从" : "（到") + found->second + "）";
        rs.GetFieldValue(4, item.strMember);
        rs.GetFieldValue(5, item.strNote);
        rs.GetFieldValue(6, item.strReconciled);
        items.push_back(std::move(item));
    }
}

std::vector<CHistoryItem> CAccountHistory::Load(const CAccount& account,
                                                const std::map<std::int64_t, std::string>& names) {
    std::vector<CHistoryItem> items;
    AddRecords(account, true, items);
    AddRecords(account, false, items);
    AddTransfers(account, true, names, items);
    AddTransfers(account, false, names, items);
    std::stable_sort(items.begin(), items.end(), [](const CHistoryItem& a, const CHistoryItem& b) {
        return a.strDate != b.strDate ? a.strDate < b.strDate : a.nKind < b.nKind;
    });
    std::int64_t nBalance = account.nOpening;
    for (CHistoryItem& item : items) {
        nBalance += item.nAmount;
        item.nBalance = nBalance;
    }
    return items;
}
