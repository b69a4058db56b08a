#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CADODatabase;

/// What a column of a bank statement may hold.
enum BankField {
    BankDate,         ///< 记账日期 / 交易日期, with the time or without
    BankTime,         ///< a time of day in a column of its own
    BankAmount,       ///< one signed amount: less than 0 is money out
    BankIn,           ///< 收入 in a column of its own
    BankOut,          ///< 支出 in a column of its own
    BankBalance,      ///< 余额 after the line
    BankSummary,      ///< 摘要
    BankCounterparty, ///< 对方户名
    BankFieldCount
};

/// The field's name as the windows show it.
const char* BankFieldName(BankField field);

/// An import scheme ("导入方案"): how one bank's statements are read, known by their heading
/// row, and the account they are of.
struct CBankScheme {
    std::string strName;
    std::vector<std::string> header; ///< the heading row's fields, as BankHeader gives them
    std::array<int, BankFieldCount> columns; ///< the column of each field, -1 for none
    std::int64_t nAccount = 0;

    CBankScheme() { columns.fill(-1); }
    int operator[](BankField field) const { return columns[field]; }
    int& operator[](BankField field) { return columns[field]; }
};

/// A row's fields as a heading is compared: each cleaned, the empty ones at its end dropped
/// (statements end their lines with commas as they please).
std::vector<std::string> BankHeader(const std::vector<std::string>& fields);

/// The columns guessed from the headings banks give them (记账日期, 交易金额, 收入金额,
/// 支出金额, 余额, 摘要, 对方户名 and their kin), for the user to correct.
CBankScheme GuessBankScheme(const std::vector<std::string>& header);

/// Why a scheme cannot read a statement (no date column, no amount column, no account), or
/// "" when it can. The name is not looked at.
std::string BankSchemeMissingText(const CBankScheme& scheme);

/// The schemes a ledger keeps (bankScheme), by name. A ledger without them is given the
/// table, after a verified backup, the first time one is saved.
class CBankSchemeStore {
public:
    explicit CBankSchemeStore(CADODatabase& db) : m_db(db) {}

    /// Every scheme, ordered by name; none on a ledger that never saved one.
    std::vector<CBankScheme> Load();
    /// Saves the scheme under its name, in place of one so named; "" or why not.
    std::string Save(const CBankScheme& scheme);
    /// "" or why not (no such scheme, an empty name, a name already taken).
    std::string Rename(const std::string& strOld, const std::string& strNew);
    /// Forgets the scheme; false when there is none of that name.
    bool Delete(const std::string& strName);

private:
    bool Present();
    bool Exists(const std::string& strName);

    CADODatabase& m_db;
};
