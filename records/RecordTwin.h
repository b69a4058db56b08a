#pragma once

/// What differs between the income and the expense record dialogs; everything else they
/// share. One constant per twin.
struct CRecordTwin {
    int nAmountId;     // the amount box
    int nEntryCloseId; // 关闭 of the entry dialog: it takes the accept path
    int nEditButtonId; // 编辑 of the edit dialog
    int nEditCloseId;  // 关闭 of the edit dialog: cancels without writing
    const char* szCategoryTable;
    const char* szRecordTable;
    const char* szMemberColumn;
    const char* szItemColumn;
    const char* szAmountColumn;
    const char* szDateColumn;
    const char* szZeroAmountMessage;
    const char* szNoCategoryMessage;
    bool bWatched; // writes are told to the CExpenseWatch

    static const CRecordTwin Income;
    static const CRecordTwin Pay;
};
