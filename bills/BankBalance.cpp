#include "bills/BankBalance.h"

#include "accounts/AccountBalances.h"
#include "accounts/AccountStore.h"
#include "bills/BankTexts.h"
#include "bills/BillImport.h"
#include "records/AccountLink.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

std::int64_t Signed(const BillRow& row) {
    return row.nDirection == BillDirection::Out ? -row.nCents : row.nCents;
}

// How many neighbours in this order have balances that follow from each other.
int Agreeing(const std::vector<BillRow>& rows, const std::vector<std::size_t>& order) {
    int nAgreeing = 0;
    for (std::size_t n = 1; n < order.size(); ++n) {
        const BillRow& before = rows[order[n - 1]];
        const BillRow& row = rows[order[n]];
        if (before.bHasBalance && row.bHasBalance && before.nBalance + Signed(row) == row.nBalance)
            ++nAgreeing;
    }
    return nAgreeing;
}

std::vector<std::size_t> MoneyOrder(const std::vector<BillRow>& rows) {
    std::vector<std::size_t> forward(rows.size());
    std::iota(forward.begin(), forward.end(), 0);
    std::vector<std::size_t> backward(forward.rbegin(), forward.rend());
    const int nForward = Agreeing(rows, forward);
    const int nBackward = Agreeing(rows, backward);
    if (nForward != nBackward)
        return nForward > nBackward ? forward : backward;
    const bool bNewestFirst =
        !rows.empty() && rows.front().dtWhen.GetOleDate() > rows.back().dtWhen.GetOleDate();
    return bNewestFirst ? backward : forward;
}

std::string DateText(const COleDateTime& when) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", when.GetYear(), when.GetMonth(),
                  when.GetDay());
    return text;
}

} // namespace

bool FindBalanceGap(std::int64_t nStart, const std::vector<BillRow>& rows, BalanceGap& gap) {
    std::int64_t nRunning = nStart;
    for (const std::size_t n : MoneyOrder(rows)) {
        const BillRow& row = rows[n];
        nRunning += Signed(row);
        if (row.bHasBalance && row.nBalance != nRunning) {
            gap.nLine = row.nLine;
            gap.dtWhen = row.dtWhen;
            gap.nStatement = row.nBalance;
            gap.nRunning = nRunning;
            return true;
        }
    }
    return false;
}

bool FindBalanceGap(CADODatabase& db, const BillFile& bill, BalanceGap& gap) {
    const bool bListed = std::any_of(bill.rows.begin(), bill.rows.end(),
                                     [](const BillRow& row) { return row.bHasBalance; });
    if (!bListed || bill.nAccount == 0 || !CAccountLink::Present(db))
        return false;
    const std::vector<std::size_t> order = MoneyOrder(bill.rows);
    const std::string strFirstDay = DateText(bill.rows[order.front()].dtWhen);
    for (const CAccount& account : CAccountStore(db).Load()) {
        if (account.nId != bill.nAccount)
            continue;
        // An account opened on or after that day starts from its opening balance.
        std::int64_t nStart = account.nOpening;
        if (account.strOpeningDate < strFirstDay)
            nStart = CAccountBalances(db)
                         .MonthEnds({account}, {strFirstDay})
                         .front()
                         .balances[account.nId];
        return FindBalanceGap(nStart, bill.rows, gap);
    }
    return false;
}

std::string BalanceGapText(const BalanceGap& gap, const std::string& strAccount) {
    char text[1024];
    std::snprintf(text, sizeof text, BankTexts::kBalanceGap, gap.nLine, DateText(gap.dtWhen).c_str(),
                  BillCentsText(gap.nStatement).c_str(), strAccount.c_str(),
                  BillCentsText(gap.nRunning).c_str());
    return text;
}
