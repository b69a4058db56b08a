#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class CADODatabase;
class CRecordBatch;
struct CRecordTwin;

/// One income or expense record as a writer other than the entry windows hands it in (the
/// phone page, imports, bills, recurring templates, the tools).
struct CNewRecord {
    bool bIncome = false;
    /// The amount as typed: "12", "12.5", "12.50". A point, never a comma, whatever the
    /// locale; at most two decimals (cents).
    std::string strAmount;
    std::string strMember;  ///< an entry of 家庭成员
    std::string strItem;    ///< an entry of 收入类型 or 支出类型
    COleDateTime dtRecord;  ///< date and time of day
    std::string strNote;    ///< "" is stored as NULL
    std::string strAccount; ///< an account's name; "" (or "（不指定）") for none
    std::string strSource;  ///< the bill it came from ("支付宝", "微信", …); "" for none
    std::string strOrder;   ///< the bill row's order number, kept with strSource
};

/// Checks and writes one record together with everything attached to it (today: its
/// account), in one transaction, with the outcomes and messages of the entry windows:
/// "数据添加成功！" (and the budget line an expense may bring), the number prompt, the
/// zero-amount message, the empty-list messages, "出错！". Every writer of records calls it;
/// the entry and edit windows keep their own SQL and reach Attach for what they add.
///
/// No widgets: the caller shows Result::strMessage the way it shows things. Engine errors
/// are thrown (CADOException), with nothing written.
class CRecordWriter {
public:
    enum Outcome {
        Added,
        NoAmount,        ///< the amount is empty
        NotANumber,      ///< the amount is not a number
        NotCents,        ///< more than two decimals
        ZeroAmount,      ///< the amount is 0
        NoMember,        ///< 家庭成员 is empty
        NoCategory,      ///< the category list is empty
        UnknownMember,   ///< the member is not an entry of 家庭成员
        UnknownCategory, ///< the category is not an entry of its list ("没有这个支出项目！")
        UnknownAccount, ///< no account has that name
        StoppedAccount, ///< the account is stopped
        Failed,         ///< the engine did not store the row
    };

    struct Result {
        Outcome nOutcome = Failed;
        std::int64_t nRecord = 0; ///< the new record's 编号 when added
        std::string strMessage;   ///< what the entry window would say
        bool Ok() const { return nOutcome == Added; }
    };

    static constexpr const char* kAddedMessage = "数据添加成功！";
    static constexpr const char* kFailedMessage = "出错！";
    static constexpr const char* kNoMemberMessage = "请先在系统设置中添加家庭成员！";
    static constexpr const char* kUnknownMemberMessage = "没有这个家庭成员！";
    static constexpr const char* kNotCentsMessage = "金额最多两位小数（到分）！";
    static constexpr const char* kUnknownAccountMessage = "没有这个账户！";
    static constexpr const char* kStoppedAccountMessage = "这个账户已停用！";
    static constexpr const char* kReconciledEditQuestion = "这笔记录已经对过账，确定要修改吗？";
    static constexpr const char* kReconciledDeleteQuestion = "这笔记录已经对过账，确定要删除吗？";

    explicit CRecordWriter(CADODatabase& db);
    ~CRecordWriter();
    CRecordWriter(const CRecordWriter&) = delete;
    CRecordWriter& operator=(const CRecordWriter&) = delete;

    /// Checks the record and, when it passes, writes it and its account in one transaction.
    Result Add(const CNewRecord& record);

    /// The same inside the caller's transaction, for a writer that stores many records at
    /// once or none (a bill): no transaction of its own and no budget line.
    Result AddWithin(const CNewRecord& record);

    /// For many AddWithin calls in one transaction (a bill of thousands of rows): from now on
    /// the lists and accounts are read once, as they are at this point, and the record, its
    /// account link and its order number go in through statements prepared once. Outcomes,
    /// messages and rows stay those of single calls. Call FinishBatch before the commit.
    void StartBatch();
    /// Writes what the batch still holds back and ends it; engine errors are thrown.
    void FinishBatch();

    /// For a window that wrote record `nRecord` of the twin's table itself: attaches the
    /// account `nAccount` (0: none), inside the caller's transaction.
    void Attach(const CRecordTwin& twin, std::int64_t nRecord, std::int64_t nAccount);

    /// "12.34" → 1234, exactly. Outcome Added when it reads, else NoAmount, NotANumber or
    /// NotCents. A leading minus is read (an amount may be negative, as the windows allow).
    static Outcome ParseCents(std::string_view text, std::int64_t& nCents);

    /// What the entry window says for an outcome of a record of this twin.
    static std::string MessageOf(Outcome nOutcome, const CRecordTwin& twin);

private:
    Outcome Check(const CNewRecord& record, const CRecordTwin& twin, std::int64_t& nCents,
                  std::int64_t& nAccount);
    /// Writes a checked record and what is attached to it; false when the engine stored no row.
    bool Write(const CNewRecord& record, const CRecordTwin& twin, std::int64_t nCents,
               std::int64_t nAccount, std::int64_t& nRecord);
    bool InList(const char* szTable, const std::string& strEntry, bool& bEmpty);

    CADODatabase& m_db;
    std::unique_ptr<CRecordBatch> m_pBatch;
};
