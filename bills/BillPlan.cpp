#include "bills/BillPlan.h"

#include "accounts/AccountStore.h"
#include "bills/BankTexts.h"
#include "bills/BillTexts.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "records/AccountLink.h"
#include "records/RecordSource.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Records typed by hand this close to a bill row count as possibly the same payment.
constexpr double kSameTimeDays = 10.0 / (24 * 60);

bool Contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

// Statuses of a payment that went through.
const std::set<std::string, std::less<>> kDone = {"交易成功", "支付成功", "已存入零钱", "已收钱",
                                     "朋友已收钱", "已转账",   "提现已到账", "充值完成",
                                     "还款成功", "已收款",     "已支付",     "已到账"};
// Statuses of a refund (its own row, money coming back).
const std::set<std::string, std::less<>> kRefunds = {"退款成功", "已全额退款", "对方已退还", "已退款"};

bool IsDone(std::string_view status) {
    // A purchase partly refunded later says so in its status ("已退款￥5.00").
    return kDone.count(status) > 0 || status.rfind("已退款", 0) == 0 ||
           status.rfind("已部分退款", 0) == 0 || status.empty();
}

bool IsRefund(const BillRow& row) {
    return row.nDirection != BillDirection::Out &&
           (kRefunds.count(row.strStatus) > 0 || Contains(row.strType, "退款"));
}

// The wallets the services keep money in, as the bills name them.
bool IsWalletText(std::string_view text, BillKind kind) {
    if (kind == BillKind::WeChat)
        return text.empty() || text == "零钱" || text == "零钱通";
    return text.empty() || text == "余额" || text == "余额宝" || text == "账户余额";
}

// The digits in the last parentheses: "交通银行信用卡(7449)" → "7449".
std::string TailOf(std::string_view text) {
    for (const std::string_view open : {std::string_view("("), std::string_view("（")}) {
        const size_t at = text.rfind(open);
        if (at == std::string_view::npos)
            continue;
        std::string digits;
        for (size_t i = at + open.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            digits += text[i];
        if (digits.size() >= 3)
            return digits;
    }
    return {};
}

// A quick no before a search: each byte of a text sets one of 64 bits, and a word can be in
// a text only if the text sets every bit the word does. The rules below ask about a hundred
// words of each row, and this rules out nearly all of them.
std::uint64_t ByteBits(std::string_view text) {
    std::uint64_t bits = 0;
    for (const char c : text)
        bits |= std::uint64_t{1} << (static_cast<unsigned char>(c) & 63);
    return bits;
}

struct Keyword {
    Keyword(const char* szText) : text(szText), bits(ByteBits(text)) {}
    std::string text;
    std::uint64_t bits;
};

// A row's text with its bits.
struct Searched {
    explicit Searched(std::string_view strText) : text(strText), bits(ByteBits(strText)) {}
    bool Holds(const Keyword& word) const {
        return (word.bits & ~bits) == 0 && Contains(text, word.text);
    }
    std::string_view text;
    std::uint64_t bits;
};

// Keywords of the services' types and of common counterparties, by category.
struct Rule {
    const char* szCategory;
    std::vector<Keyword> words;
};
const std::vector<Rule> kPayRules = {
    {"餐饮", {"餐饮", "美食", "外卖", "饿了么", "美团", "米线", "咖啡", "奶茶", "餐厅", "饭", "面馆",
              "烧烤", "火锅", "小吃"}},
    {"交通", {"交通", "出行", "滴滴", "地铁", "公交", "加油", "停车", "铁路", "12306", "航空", "打车",
              "高速"}},
    {"住房", {"住房", "物业", "房租", "水费", "电费", "燃气", "生活缴费"}},
    {"医疗", {"医疗", "医院", "药", "诊所"}},
    {"教育", {"教育", "培训", "学校", "书店", "文具"}},
    {"购物", {"购物", "日用百货", "百货", "服饰", "数码", "电器", "超市", "淘宝", "天猫", "京东",
              "拼多多", "便利店", "商城"}},
};
const std::vector<Rule> kIncomeRules = {
    {"工资", {"工资", "薪"}},
    {"奖金", {"奖金"}},
    {"理财收益", {"收益", "利息", "分红"}},
};

// The rules, by their place, whose category is one of `items`.
std::vector<std::size_t> ListedRules(const std::vector<Rule>& rules,
                                     const std::vector<std::string>& items) {
    std::vector<std::size_t> listed;
    for (std::size_t n = 0; n < rules.size(); ++n)
        if (std::find(items.begin(), items.end(), rules[n].szCategory) != items.end())
            listed.push_back(n);
    return listed;
}

// The order numbers met so far, as views of the bill's own, in a table made once for the
// bill: a set's node a row took a sixth of the planning.
class OrderSet {
public:
    explicit OrderSet(std::size_t nOrders) : m_slots(std::bit_ceil(2 * nOrders + 2)) {}
    /// False when `order` (not empty) is there already.
    bool Insert(std::string_view order) {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t at = std::hash<std::string_view>{}(order) & mask;
        for (; !m_slots[at].empty(); at = (at + 1) & mask)
            if (m_slots[at] == order)
                return false;
        m_slots[at] = order;
        return true;
    }

private:
    std::vector<std::string_view> m_slots; // empty: free
};

} // namespace

void BillLine::NoteInto(std::string& strNote) const {
    const BillRow& row = Row();
    strNote.assign(row.strCounterparty);
    if (!row.strGoods.empty() && row.strGoods != row.strCounterparty)
        strNote.append(strNote.empty() ? "" : " ").append(row.strGoods);
}

std::string BillLine::Note() const {
    std::string strNote;
    NoteInto(strNote);
    return strNote;
}

std::vector<std::string> ListEntries(CADODatabase& db, const char* szTable) {
    std::vector<std::string> entries;
    CADORecordset rs(&db);
    if (!rs.Open(std::string("SELECT 类型 FROM ") + szTable + " ORDER BY ID",
                 CADORecordset::ModeQuery))
        return entries;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string entry;
        rs.GetFieldValue(0, entry);
        entries.push_back(entry);
    }
    return entries;
}

std::string CategoryKey(bool bIncome, std::string_view strCounterparty) {
    return std::string(bIncome ? "收入|" : "支出|").append(strCounterparty);
}

void CBillPlanner::Load(CADODatabase& db, BillKind kind, const std::string& strMember) {
    m_nKind = kind;
    m_strMember = strMember;
    m_accounts.clear();
    if (CAccountLink::Present(db))
        for (CAccount& account : CAccountStore(db).Load())
            if (!account.bStopped)
                m_accounts.push_back(std::move(account));
    m_incomeItems = ListEntries(db, "收入类型");
    m_payItems = ListEntries(db, "支出类型");
    m_incomeRules = ListedRules(kIncomeRules, m_incomeItems);
    m_payRules = ListedRules(kPayRules, m_payItems);
    m_stored.clear();
    m_rememberedAccounts.clear();
    m_rememberedCategories.clear();
    const bool bBills = CRecordSource::Present(db);
    CADORecordset rs(&db);
    if (bBills) {
        if (rs.Open("SELECT o.单号, o.表, p.支出项目 FROM billOrder o LEFT JOIN normalPay p ON "
                    "o.表 = 'normalPay' AND p.编号 = o.编号 WHERE o.来源 = '" +
                        QuoteSql(BillSourceName(kind)) + "'",
                    CADORecordset::ModeQuery))
            for (; !rs.IsEOF(); rs.MoveNext()) {
                std::string strOrder;
                Stored stored;
                rs.GetFieldValue(0, strOrder);
                rs.GetFieldValue(1, stored.strTable);
                rs.GetFieldValue(2, stored.strCategory);
                m_stored[strOrder] = stored;
            }
        if (rs.Open("SELECT 种类, 文字, 选择 FROM billChoice", CADORecordset::ModeQuery))
            for (; !rs.IsEOF(); rs.MoveNext()) {
                std::string strKind, strText, strChoice;
                rs.GetFieldValue(0, strKind);
                rs.GetFieldValue(1, strText);
                rs.GetFieldValue(2, strChoice);
                if (strKind == "账户")
                    m_rememberedAccounts[strText] = std::atoll(strChoice.c_str());
                else
                    m_rememberedCategories[strText] = strChoice;
            }
    }
    // The member's records typed by hand (those from bills are known by their order).
    m_typed.clear();
    for (const bool bIncome : {true, false}) {
        const std::string table = bIncome ? "normalIncome" : "normalPay";
        const std::string prefix = bIncome ? "收入" : "支出";
        std::string sql = "SELECT " + prefix + "金额, " + prefix + "日期 FROM " + table + " WHERE " +
                          prefix + "人员 = '" + QuoteSql(strMember) + "'";
        if (bBills)
            sql += " AND 编号 NOT IN (SELECT 编号 FROM billOrder WHERE 表 = '" + table + "')";
        if (!rs.Open(sql, CADORecordset::ModeQuery))
            continue;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            double dAmount = 0;
            COleDateTime when;
            rs.GetFieldValue(0, dAmount);
            rs.GetFieldValue(1, when);
            m_typed.push_back(Typed{bIncome, std::llround(dAmount * 100), when.GetOleDate()});
        }
    }
    std::sort(m_typed.begin(), m_typed.end(),
              [](const Typed& a, const Typed& b) { return a.dWhen < b.dWhen; });
}

std::string CBillPlanner::AccountName(std::int64_t nId) const {
    for (const CAccount& account : m_accounts)
        if (account.nId == nId)
            return account.strName;
    return {};
}

std::int64_t CBillPlanner::WalletAccount() const {
    const std::string kind = m_nKind == BillKind::WeChat ? "微信" : "支付宝";
    std::int64_t nShared = 0;
    std::int64_t nOnly = 0;
    int nOfKind = 0;
    for (const CAccount& account : m_accounts) {
        if (account.strKind != kind)
            continue;
        if (account.strOwner == m_strMember)
            return account.nId;
        if (account.strOwner.empty() && nShared == 0)
            nShared = account.nId;
        nOnly = account.nId;
        ++nOfKind;
    }
    // Another member's wallet is not this member's money, unless it is the only one.
    return nShared != 0 ? nShared : nOfKind == 1 ? nOnly : 0;
}

std::int64_t CBillPlanner::ByTail(std::string_view strText) const {
    const std::string tail = TailOf(strText);
    if (tail.empty())
        return 0;
    std::int64_t nFound = 0;
    for (const CAccount& account : m_accounts)
        if (Contains(account.strName, tail)) {
            if (account.strOwner == m_strMember)
                return account.nId;
            if (nFound == 0)
                nFound = account.nId;
        }
    return nFound;
}

std::int64_t CBillPlanner::SourceAccount(std::string_view strMethod, const BillOptions& options,
                                         bool bFallback) const {
    if (auto chosen = options.accounts.find(strMethod); chosen != options.accounts.end())
        return chosen->second;
    if (auto remembered = m_rememberedAccounts.find(strMethod);
        remembered != m_rememberedAccounts.end() && !AccountName(remembered->second).empty())
        return remembered->second;
    if (IsWalletText(strMethod, m_nKind))
        return WalletAccount();
    if (std::int64_t nId = ByTail(strMethod))
        return nId;
    for (const CAccount& account : m_accounts)
        if (account.strName == strMethod)
            return account.nId;
    if (bFallback && !options.strAccount.empty())
        for (const CAccount& account : m_accounts)
            if (account.strName == options.strAccount)
                return account.nId;
    return 0;
}

std::int64_t CBillPlanner::Mentioned(std::string_view strText) const {
    if (std::int64_t nId = ByTail(strText))
        return nId;
    const bool bWeChatWallet = Contains(strText, "零钱");
    const bool bAlipayWallet = Contains(strText, "余额宝");
    if (bWeChatWallet || bAlipayWallet) {
        const std::string kind = bWeChatWallet ? "微信" : "支付宝";
        for (const CAccount& account : m_accounts)
            if (account.strKind == kind && (account.strOwner == m_strMember || account.strOwner.empty()))
                return account.nId;
    }
    for (const CAccount& account : m_accounts)
        if (account.strName.size() > 3 && Contains(strText, account.strName))
            return account.nId;
    return 0;
}

std::string CBillPlanner::CategoryOf(const BillRow& row, bool bIncome,
                                     const BillOptions& options) const {
    const std::vector<std::string>& items = Categories(bIncome);
    auto listed = [&items](std::string_view item) {
        return std::find(items.begin(), items.end(), item) != items.end();
    };
    // Most bills come with no choices made yet: no key to make.
    if (!options.categories.empty() || !m_rememberedCategories.empty()) {
        const std::string key = CategoryKey(bIncome, row.strCounterparty);
        if (auto chosen = options.categories.find(key); chosen != options.categories.end())
            return chosen->second;
        if (auto remembered = m_rememberedCategories.find(key);
            remembered != m_rememberedCategories.end() && listed(remembered->second))
            return remembered->second;
    }
    // A category of the ledger named in the service's type ("餐饮美食" → 餐饮), then the rules.
    for (const std::string& item : items)
        if (item.size() >= 6 && Contains(row.strType, item))
            return item;
    const Searched type(row.strType), counterparty(row.strCounterparty), goods(row.strGoods);
    const std::vector<Rule>& rules = bIncome ? kIncomeRules : kPayRules;
    for (const std::size_t n : bIncome ? m_incomeRules : m_payRules) {
        const Rule& rule = rules[n];
        for (const Keyword& word : rule.words)
            if (type.Holds(word) || counterparty.Holds(word) || goods.Holds(word))
                return rule.szCategory;
    }
    return {};
}

bool CBillPlanner::TypedByHand(bool bIncome, const BillRow& row) const {
    // Only the records typed within minutes of the row: a ledger holds many thousands.
    const double dWhen = row.dtWhen.GetOleDate();
    // Bank statements mostly give the day alone: any time of that day is close.
    const bool bDayOnly = m_nKind == BillKind::Bank && row.dtWhen.GetHour() == 0 &&
                          row.dtWhen.GetMinute() == 0 && row.dtWhen.GetSecond() == 0;
    const double dFrom = bDayOnly ? std::floor(dWhen) : dWhen - kSameTimeDays;
    const double dTo = bDayOnly ? std::floor(dWhen) + 1 : dWhen + kSameTimeDays;
    auto typed = std::lower_bound(m_typed.begin(), m_typed.end(), dFrom,
                                  [](const Typed& each, double d) { return each.dWhen < d; });
    for (; typed != m_typed.end() && (bDayOnly ? typed->dWhen < dTo : typed->dWhen <= dTo); ++typed)
        if (typed->bIncome == bIncome && typed->nCents == row.nCents)
            return true;
    return false;
}

// A statement is of one account: every line it stores moves that account, and a line that
// moved no money stores nothing.
void CBillPlanner::OnStatementAccount(std::vector<BillLine>& lines, std::int64_t nAccount) const {
    for (BillLine& line : lines) {
        if (line.Row().nCents == 0) {
            line.nKind = BillLine::Skipped;
            line.strReason = BankTexts::kZeroAmount;
        } else if (line.nKind == BillLine::Income || line.nKind == BillLine::Expense) {
            line.nAccount = nAccount;
            line.strSource.clear();
        }
    }
}

void CBillPlanner::Refund(std::vector<BillLine>& lines, std::size_t nAt,
                          const BillOptions& options) const {
    BillLine& line = lines[nAt];
    const BillRow& row = line.Row();
    line.nKind = BillLine::Expense;
    line.nCents = -row.nCents;
    // A refund's order number begins with the one of the payment it refunds; its merchant
    // order number is the payment's own.
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const BillRow& paid = lines[n].Row();
        if (n == nAt || paid.nDirection != BillDirection::Out || IsRefund(paid))
            continue;
        const bool bSameOrder = !paid.strOrder.empty() && row.strOrder.rfind(paid.strOrder, 0) == 0;
        const bool bSameMerchantOrder =
            !paid.strMerchantOrder.empty() && paid.strMerchantOrder == row.strMerchantOrder;
        if (!bSameOrder && !bSameMerchantOrder)
            continue;
        if (lines[n].nKind != BillLine::Expense || !lines[n].bChecked) {
            line.nKind = BillLine::Skipped;
            line.strReason = BillTexts::kRefundOfSkipped;
            return;
        }
        char reason[128];
        std::snprintf(reason, sizeof reason, BillTexts::kRefundOf, paid.nLine);
        line.strReason = reason;
        line.strCategory = lines[n].strCategory;
        line.nAccount = SourceAccount(row.strMethod, options, false);
        if (line.nAccount == 0)
            line.nAccount = lines[n].nAccount;
        return;
    }
    const std::string_view strOriginal = row.strOrder.substr(0, row.strOrder.find_first_of("_*"));
    if (auto stored = m_stored.find(strOriginal);
        stored != m_stored.end() && stored->second.strTable == "normalPay") {
        line.strReason = BillTexts::kRefundOfStored;
        line.strCategory = stored->second.strCategory;
    } else {
        line.strReason = BillTexts::kRefundAlone;
        line.strCategory = CategoryOf(row, false, options);
    }
    line.nAccount = SourceAccount(row.strMethod, options, true);
}

void CBillPlanner::Neutral(BillLine& line, const BillOptions& options) const {
    const BillRow& row = line.Row();
    const std::string texts = std::string(row.strType).append(" ").append(row.strCounterparty).append(" ").append(row.strGoods);
    std::int64_t nFrom = 0;
    std::int64_t nTo = 0;
    if (Contains(texts, "提现")) {
        // Out of the wallet onto a card, named wherever the bill puts it.
        nFrom = WalletAccount();
        nTo = ByTail(std::string(row.strMethod).append(" ").append(texts));
        if (nTo == 0 && !IsWalletText(row.strMethod, m_nKind))
            nTo = SourceAccount(row.strMethod, options, false);
    } else if (Contains(texts, "充值")) {
        nFrom = SourceAccount(row.strMethod, options, false);
        nTo = WalletAccount();
    } else {
        nFrom = SourceAccount(row.strMethod, options, false);
        nTo = Mentioned(texts);
    }
    if (nFrom == 0 || nTo == 0) {
        line.nKind = BillLine::Skipped;
        line.strReason = std::string(BillTexts::kOtherSideUnknown) + "（" +
                         std::string(row.strCounterparty.empty() ? row.strGoods : row.strCounterparty) +
                         "）";
        return;
    }
    if (nFrom == nTo) {
        line.nKind = BillLine::Skipped;
        line.strReason = BillTexts::kSameAccount;
        return;
    }
    line.nKind = BillLine::Transfer;
    line.nAccount = nFrom;
    line.nToAccount = nTo;
    line.nCents = row.nCents;
    line.strReason = std::string(BillTexts::kBetween) + "：" + AccountName(nFrom) + " → " +
                     AccountName(nTo);
}

std::vector<BillLine> CBillPlanner::Plan(const BillFile& bill, const BillOptions& options) const {
    std::vector<BillLine> lines(bill.rows.size());
    OrderSet seen(bill.rows.size());
    std::vector<std::size_t> refunds;
    for (std::size_t n = 0; n < bill.rows.size(); ++n) {
        BillLine& line = lines[n];
        const BillRow& row = *(line.pRow = &bill.rows[n]);
        if (row.strStatus == "交易关闭") {
            line.strReason = BillTexts::kClosed;
            continue;
        }
        if (!IsDone(row.strStatus) && kRefunds.count(row.strStatus) == 0) {
            line.strReason = std::string(BillTexts::kUnfinished).append(row.strStatus);
            continue;
        }
        if (m_stored.count(row.strOrder) > 0) {
            line.strReason = BillTexts::kStoredBefore;
            continue;
        }
        if (!row.strOrder.empty() && !seen.Insert(bill.rows[n].strOrder)) {
            line.strReason = BillTexts::kTwiceInBill;
            continue;
        }
        if (IsRefund(row)) {
            refunds.push_back(n); // after the payments it may lower are planned
            continue;
        }
        if (row.nDirection == BillDirection::Neutral) {
            Neutral(line, options);
            continue;
        }
        const bool bIncome = row.nDirection == BillDirection::In;
        line.nKind = bIncome ? BillLine::Income : BillLine::Expense;
        line.nCents = row.nCents;
        line.strReason = bIncome ? BillTexts::kReceived : BillTexts::kPaid;
        line.strCategory = CategoryOf(row, bIncome, options);
        line.nAccount = SourceAccount(row.strMethod, options, true);
        if (line.nAccount == 0 && !row.strMethod.empty())
            line.strSource = row.strMethod;
        if (TypedByHand(bIncome, row)) {
            line.bPossibleDuplicate = true;
            line.bChecked = options.ticked.count(row.nLine) > 0;
            line.strReason = BillTexts::kLikeTyped;
        }
    }
    for (std::size_t n : refunds)
        Refund(lines, n, options);
    if (bill.nKind == BillKind::Bank)
        OnStatementAccount(lines, bill.nAccount);
    return lines;
}
