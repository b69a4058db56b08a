#include "accounts/AccountBalances.h"

#include "data/ADORecordset.h"
#include "data/NumberText.h"

#include <cmath>
#include <cstdio>

namespace {

struct Side {
    const char* szTable;
    const char* szAmount;
    const char* szDate;
    std::int64_t nSign;
};

const Side kRecordSides[] = {
    {"normalIncome", "收入金额", "收入日期", 1},
    {"normalPay", "支出金额", "支出日期", -1},
};

// The bucket of a date: a search over the bounds in CASE steps, so the engine groups by it.
std::string Bucket(const std::string& column, const std::vector<std::string>& bounds,
                   bool bDateLiterals, size_t nLow, size_t nHigh) {
    if (nLow == nHigh)
        return NumberText::Itoa(static_cast<std::int64_t>(nLow));
    const size_t nMiddle = (nLow + nHigh) / 2;
    const std::string bound =
        bDateLiterals ? "#" + bounds[nMiddle] + "#" : "'" + bounds[nMiddle] + "'";
    return "CASE WHEN " + column + " < " + bound + " THEN " +
           Bucket(column, bounds, bDateLiterals, nLow, nMiddle) + " ELSE " +
           Bucket(column, bounds, bDateLiterals, nMiddle + 1, nHigh) + " END";
}

std::string BucketOf(const std::string& column, const std::vector<std::string>& bounds,
                     bool bDateLiterals) {
    return bounds.empty() ? std::string("0")
                          : Bucket(column, bounds, bDateLiterals, 0, bounds.size());
}

} // namespace

void CAccountBalances::AddRows(const std::string& sql, std::int64_t nSign, size_t nBuckets,
                               Buckets& buckets) {
    CADORecordset rs(&m_db);
    if (!rs.Open(sql, CADORecordset::ModeQuery))
        return;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        double dAccount = 0;
        double dBucket = 0;
        double dSum = 0;
        rs.GetFieldValue(0, dAccount);
        rs.GetFieldValue(1, dBucket);
        rs.GetFieldValue(2, dSum);
        std::vector<std::int64_t>& sums = buckets[std::llround(dAccount)];
        sums.resize(nBuckets);
        const auto nBucket = static_cast<size_t>(std::llround(dBucket));
        if (nBucket < nBuckets)
            sums[nBucket] += nSign * std::llround(dSum);
    }
}

CAccountBalances::Buckets CAccountBalances::Movements(const std::vector<CAccount>& accounts,
                                                      const std::vector<std::string>& bounds) {
    Buckets buckets;
    if (accounts.empty())
        return buckets;
    const size_t nBuckets = bounds.size() + 1;
    // Each account counts its records from its own opening date.
    std::string opened;
    for (const CAccount& account : accounts)
        opened += std::string(opened.empty() ? "" : " OR ") +
                  "(l.账户 = " + NumberText::Itoa(account.nId) + " AND r.@ >= #" +
                  account.strOpeningDate + "#)";
    for (const Side& side : kRecordSides) {
        std::string condition = opened;
        for (size_t at = condition.find('@'); at != std::string::npos; at = condition.find('@'))
            condition.replace(at, 1, side.szDate);
        AddRows("SELECT l.账户, " + BucketOf(std::string("r.") + side.szDate, bounds, true) +
                    " AS 段, SUM(CAST(ROUND(r." + side.szAmount +
                    " * 100) AS BIGINT)) FROM accountLink l, " + side.szTable +
                    " r WHERE l.表 = '" + side.szTable + "' AND r.编号 = l.编号 AND (" + condition +
                    ") GROUP BY l.账户, 段",
                side.nSign, nBuckets, buckets);
    }
    for (const auto& [column, nSign] : {std::pair{"转入账户", 1}, std::pair{"转出账户", -1}}) {
        AddRows(std::string("SELECT t.") + column + ", " + BucketOf("t.日期", bounds, false) +
                    " AS 段, SUM(t.金额) FROM accountTransfer t, accountList a WHERE a.ID = t." +
                    column + " AND t.日期 >= a.期初日期 GROUP BY t." + column + ", 段",
                nSign, nBuckets, buckets);
    }
    return buckets;
}

std::map<std::int64_t, std::int64_t> CAccountBalances::Now(const std::vector<CAccount>& accounts) {
    const Buckets buckets = Movements(accounts, {});
    std::map<std::int64_t, std::int64_t> balances;
    for (const CAccount& account : accounts) {
        std::int64_t& nBalance = balances[account.nId];
        nBalance = account.nOpening;
        if (const auto found = buckets.find(account.nId); found != buckets.end())
            for (const std::int64_t nSum : found->second)
                nBalance += nSum;
    }
    return balances;
}

std::vector<CAccountBalances::MonthEnd>
CAccountBalances::MonthEnds(const std::vector<CAccount>& accounts,
                            const std::vector<std::string>& nextMonths) {
    const Buckets buckets = Movements(accounts, nextMonths);
    std::vector<MonthEnd> months(nextMonths.size());
    for (const CAccount& account : accounts) {
        const auto found = buckets.find(account.nId);
        std::int64_t nBalance = account.nOpening;
        for (size_t i = 0; i < months.size(); ++i) {
            MonthEnd& month = months[i];
            month.strNextMonth = nextMonths[i];
            if (found != buckets.end())
                nBalance += found->second[i];
            const std::int64_t nShown = account.strOpeningDate < nextMonths[i] ? nBalance : 0;
            month.balances[account.nId] = nShown;
            month.nNet += nShown;
        }
    }
    for (size_t i = 0; i < months.size(); ++i)
        months[i].strNextMonth = nextMonths[i];
    return months;
}

std::vector<std::string> CAccountBalances::MonthBounds(const std::string& strFirst,
                                                       const std::string& strLast) {
    std::vector<std::string> bounds;
    int nYear = std::stoi(strFirst.substr(0, 4));
    int nMonth = std::stoi(strFirst.substr(5, 2));
    const std::string last = strLast.substr(0, 7);
    for (;;) {
        char current[32];
        std::snprintf(current, sizeof current, "%04d-%02d", nYear, nMonth);
        if (++nMonth > 12) {
            nMonth = 1;
            ++nYear;
        }
        char next[32];
        std::snprintf(next, sizeof next, "%04d-%02d-01", nYear, nMonth);
        bounds.push_back(next);
        if (current >= last || bounds.size() > 1200)
            break;
    }
    return bounds;
}

CAccountBalances::Totals
CAccountBalances::Sum(const std::map<std::int64_t, std::int64_t>& balances) {
    Totals totals;
    for (const auto& [nId, nBalance] : balances) {
        (nBalance < 0 ? totals.nDebts : totals.nAssets) += nBalance;
        totals.nNet += nBalance;
    }
    return totals;
}
