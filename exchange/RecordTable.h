#pragma once

/// Where one kind of record is stored: the twin tables of income and expense records, as
/// the exchange reads and writes them.
struct RecordTable {
    const char* szKind; // 收入 or 支出: sheet and file names, the values of a 收支 column
    const char* szTable;
    const char* szMemberColumn;
    const char* szAmountColumn;
    const char* szDateColumn;
    const char* szItemColumn;
    const char* szItemTable; // the categories a record may name
};

extern const RecordTable kIncomeRecords;
extern const RecordTable kPayRecords;

/// The list table of family members, shared by both kinds.
inline constexpr const char* kMemberTable = "家庭成员";
