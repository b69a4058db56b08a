#pragma once

#include "accounts/Account.h"
#include "bills/BillRow.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class CADODatabase;

/// One bill row as it will be stored, or why it will not.
struct BillLine {
    enum Kind { Income, Expense, Transfer, Skipped };
    /// The bill's own row, not a copy (copies of 20,000 rows cost more than planning them):
    /// the bill is kept for as long as its plan.
    const BillRow* pRow = nullptr;
    Kind nKind = Skipped;
    std::string strReason;     ///< why it is stored so, or skipped
    std::string strCategory;   ///< income and expense: "" while none is known
    std::int64_t nCents = 0;   ///< what is stored; a refund is a negative expense
    std::int64_t nAccount = 0; ///< income and expense: its account; a transfer: from
    std::int64_t nToAccount = 0; ///< a transfer: to
    std::string strSource;     ///< the source as the bill names it when no account is known
    bool bPossibleDuplicate = false; ///< like a record typed by hand; stored only if ticked
    bool bChecked = true;            ///< stored (income, expense and transfer lines)

    bool Stored() const { return nKind != Skipped && bChecked; }
    const BillRow& Row() const { return *pRow; }
    /// The note it is stored with: the counterparty and the goods. Made when asked for, not
    /// kept: a bill's notes would be most of its plan's memory.
    std::string Note() const;
    /// The note written into `strNote`, which keeps its room.
    void NoteInto(std::string& strNote) const;
};

/// What the user says about a bill: whose it is and the choices made in the preview.
struct BillOptions {
    std::string strMember;
    /// The account for sources no rule and no earlier choice knows; "" for none.
    std::string strAccount;
    /// Accounts chosen for sources (收/付款方式 texts), by the text.
    std::map<std::string, std::int64_t, std::less<>> accounts;
    /// Categories chosen for counterparties, by CategoryKey.
    std::map<std::string, std::string, std::less<>> categories;
    /// The lines (BillRow::nLine) ticked although they look like records typed by hand.
    std::set<std::size_t> ticked;
    /// A bank statement whose 余额 parts from the account's running balance is written all
    /// the same (the window asks; the tools are told).
    bool bAcceptBalance = false;
};

/// The entries of a list table (家庭成员, 收入类型, 支出类型) in their order.
std::vector<std::string> ListEntries(CADODatabase& db, const char* szTable);

/// What a counterparty's category is remembered under: the direction and the name.
std::string CategoryKey(bool bIncome, std::string_view strCounterparty);

/// Works out, for each row of a bill, what it becomes in the ledger: income, expense (a
/// refund lowering it), a transfer between two of the household's accounts, or nothing and
/// why. Load reads what it needs from the ledger once; Plan can then be asked again and
/// again as the user chooses in the preview.
class CBillPlanner {
public:
    /// Reads the accounts, the lists, the rows stored from earlier bills of this kind, the
    /// choices remembered and the member's records.
    void Load(CADODatabase& db, BillKind kind, const std::string& strMember);
    /// The lines point at `bill`'s rows: keep the bill, unmoved rows and all, while using them.
    std::vector<BillLine> Plan(const BillFile& bill, const BillOptions& options) const;

    const std::vector<CAccount>& Accounts() const { return m_accounts; }
    const std::vector<std::string>& Categories(bool bIncome) const {
        return bIncome ? m_incomeItems : m_payItems;
    }
    /// The account of `nId`'s name; "" for 0 or an unknown one.
    std::string AccountName(std::int64_t nId) const;

private:
    struct Stored {
        std::string strTable;
        std::string strCategory;
    };
    struct Typed {
        bool bIncome = false;
        std::int64_t nCents = 0;
        double dWhen = 0;
    };

    std::int64_t SourceAccount(std::string_view strMethod, const BillOptions& options,
                               bool bAsk) const;
    std::int64_t WalletAccount() const;
    std::int64_t Mentioned(std::string_view strText) const;
    std::int64_t ByTail(std::string_view strText) const;
    std::string CategoryOf(const BillRow& row, bool bIncome, const BillOptions& options) const;
    bool TypedByHand(bool bIncome, const BillRow& row) const;
    void Refund(std::vector<BillLine>& lines, std::size_t nAt,
                const BillOptions& options) const;
    void Neutral(BillLine& line, const BillOptions& options) const;
    void OnStatementAccount(std::vector<BillLine>& lines, std::int64_t nAccount) const;

    BillKind m_nKind = BillKind::Alipay;
    std::string m_strMember;
    std::vector<CAccount> m_accounts; // those still in use
    std::vector<std::string> m_incomeItems, m_payItems;
    std::vector<std::size_t> m_incomeRules, m_payRules; // the keyword rules of listed categories
    std::map<std::string, Stored, std::less<>> m_stored; // by order number
    std::map<std::string, std::string, std::less<>> m_rememberedCategories;
    std::map<std::string, std::int64_t, std::less<>> m_rememberedAccounts;
    std::vector<Typed> m_typed;
};
