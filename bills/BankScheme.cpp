#include "bills/BankScheme.h"

#include "backup/AdditionBackup.h"
#include "bills/BankTexts.h"
#include "bills/BillFields.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"

#include <cstdlib>
#include <string_view>

namespace {

const char* const kFieldNames[BankFieldCount] = {"记账日期", "交易时间", "交易金额", "收入",
                                                 "支出",     "余额",     "摘要",     "对方户名"};

// The headings banks give each field, the likelier first: a statement with both 交易日期
// and 交易时间 has its date in the one and its time in the other.
const std::vector<std::string_view> kGuesses[BankFieldCount] = {
    {"记账日期", "交易日期", "入账日期", "日期", "记账时间", "交易时间"},
    {"交易时间", "时间"},
    {"交易金额", "金额", "发生额", "交易额", "收支金额"},
    {"收入金额", "收入", "存入金额", "存入", "贷方发生额", "贷方金额"},
    {"支出金额", "支出", "支取金额", "支取", "借方发生额", "借方金额"},
    {"余额", "账户余额", "联机余额", "当前余额", "可用余额"},
    {"摘要", "交易摘要", "业务摘要", "交易类型", "用途", "附言"},
    {"对方户名", "对方名称", "对方账户名称", "对方账户名", "交易对方", "对手户名"},
};

// The column names, the columns of bankScheme in the order of BankField.
const char* const kColumnNames[BankFieldCount] = {"日期列", "时间列", "金额列", "收入列",
                                                  "支出列", "余额列", "摘要列", "对方列"};

// "余额(元)", "交易金额（元）": the heading without the unit.
std::string WithoutUnit(std::string heading) {
    for (std::string_view unit : {"(元)", "（元）", "(人民币)", "（人民币）"})
        if (heading.size() > unit.size() &&
            heading.compare(heading.size() - unit.size(), unit.size(), unit) == 0)
            heading.resize(heading.size() - unit.size());
    return heading;
}

// Headings kept as one text: a tab cannot stand inside a cleaned heading's ends, and a
// heading with a tab in its middle is not one a bank writes.
std::string HeaderText(const std::vector<std::string>& header) {
    std::string text;
    for (size_t n = 0; n < header.size(); ++n)
        text += (n ? "\t" : "") + header[n];
    return text;
}

std::vector<std::string> HeaderOf(const std::string& text) {
    std::vector<std::string> header;
    for (size_t at = 0;;) {
        const size_t end = text.find('\t', at);
        header.push_back(text.substr(at, end == std::string::npos ? end : end - at));
        if (end == std::string::npos)
            return header;
        at = end + 1;
    }
}

} // namespace

const char* BankFieldName(BankField field) {
    return kFieldNames[field];
}

std::vector<std::string> BankHeader(const std::vector<std::string>& fields) {
    std::vector<std::string> header;
    for (const std::string& field : fields)
        header.push_back(CleanBillField(field));
    while (!header.empty() && header.back().empty())
        header.pop_back();
    return header;
}

CBankScheme GuessBankScheme(const std::vector<std::string>& header) {
    CBankScheme scheme;
    scheme.header = header;
    for (int field = 0; field < BankFieldCount; ++field)
        for (std::string_view guess : kGuesses[field]) {
            int found = -1;
            for (int column = 0; column < static_cast<int>(header.size()) && found < 0; ++column) {
                bool bTaken = false;
                for (int other = 0; other < field; ++other)
                    bTaken = bTaken || scheme.columns[other] == column;
                if (!bTaken && WithoutUnit(header[column]) == guess)
                    found = column;
            }
            if (found >= 0) {
                scheme.columns[field] = found;
                break;
            }
        }
    // Separate columns for money in and out say more than an amount beside them.
    if (scheme[BankIn] >= 0 && scheme[BankOut] >= 0)
        scheme[BankAmount] = -1;
    return scheme;
}

std::string BankSchemeMissingText(const CBankScheme& scheme) {
    if (scheme[BankDate] < 0)
        return BankTexts::kNoDate;
    if (scheme[BankAmount] < 0 && (scheme[BankIn] < 0 || scheme[BankOut] < 0))
        return BankTexts::kNoAmount;
    if (scheme.nAccount == 0)
        return BankTexts::kNoAccount;
    return {};
}

bool CBankSchemeStore::Present() {
    return CLedgerAdditions::Read(m_db) >= CLedgerAdditions::kBankSchemes;
}

bool CBankSchemeStore::Exists(const std::string& strName) {
    CADORecordset rs(&m_db);
    return rs.Open("SELECT 名称 FROM bankScheme WHERE 名称 = '" + QuoteSql(strName) + "'",
                   CADORecordset::ModeQuery) &&
           !rs.IsEOF();
}

std::vector<CBankScheme> CBankSchemeStore::Load() {
    std::vector<CBankScheme> schemes;
    if (!Present())
        return schemes;
    std::string sql = "SELECT 名称, 标题, 账户";
    for (const char* column : kColumnNames)
        sql += std::string(", ") + column;
    CADORecordset rs(&m_db);
    if (!rs.Open(sql + " FROM bankScheme ORDER BY 名称", CADORecordset::ModeQuery))
        return schemes;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        CBankScheme scheme;
        std::string strHeader, strAccount;
        rs.GetFieldValue(0, scheme.strName);
        rs.GetFieldValue(1, strHeader);
        rs.GetFieldValue(2, strAccount);
        scheme.header = HeaderOf(strHeader);
        scheme.nAccount = std::atoll(strAccount.c_str());
        for (int field = 0; field < BankFieldCount; ++field) {
            std::string strColumn;
            rs.GetFieldValue(3 + field, strColumn);
            scheme.columns[field] = std::atoi(strColumn.c_str());
        }
        schemes.push_back(std::move(scheme));
    }
    return schemes;
}

std::string CBankSchemeStore::Save(const CBankScheme& scheme) {
    if (scheme.strName.empty())
        return BankTexts::kNoName;
    if (std::string missing = BankSchemeMissingText(scheme); !missing.empty())
        return missing;
    if (!Present()) {
        std::string strError;
        if (!BackUpBeforeAddition(m_db, strError))
            return strError;
        CLedgerAdditions::Add(m_db, CLedgerAdditions::kBankSchemes);
    }
    std::string names = "名称, 标题, 账户";
    std::string values = "'" + QuoteSql(scheme.strName) + "', '" +
                         QuoteSql(HeaderText(scheme.header)) + "', " +
                         NumberText::Itoa(scheme.nAccount);
    for (int field = 0; field < BankFieldCount; ++field) {
        names += std::string(", ") + kColumnNames[field];
        values += ", " + NumberText::Itoa(scheme.columns[field]);
    }
    if (!m_db.BeginTrans())
        return "账本没有打开";
    try {
        CADORecordset rs(&m_db);
        rs.Open("DELETE FROM bankScheme WHERE 名称 = '" + QuoteSql(scheme.strName) + "'",
                CADORecordset::ModeUnknown);
        rs.Open("INSERT INTO bankScheme (" + names + ") VALUES (" + values + ")",
                CADORecordset::ModeUnknown);
        m_db.CommitTrans();
    } catch (...) {
        m_db.RollbackTrans();
        throw;
    }
    return {};
}

std::string CBankSchemeStore::Rename(const std::string& strOld, const std::string& strNew) {
    if (strNew.empty())
        return BankTexts::kNoName;
    if (!Present() || !Exists(strOld))
        return BankTexts::kNoSuchScheme;
    if (strNew == strOld)
        return {};
    if (Exists(strNew))
        return BankTexts::kNameTaken;
    CADORecordset rs(&m_db);
    rs.Open("UPDATE bankScheme SET 名称 = '" + QuoteSql(strNew) + "' WHERE 名称 = '" +
                QuoteSql(strOld) + "'",
            CADORecordset::ModeUnknown);
    return {};
}

bool CBankSchemeStore::Delete(const std::string& strName) {
    if (!Present() || !Exists(strName))
        return false;
    CADORecordset rs(&m_db);
    rs.Open("DELETE FROM bankScheme WHERE 名称 = '" + QuoteSql(strName) + "'",
            CADORecordset::ModeUnknown);
    return true;
}
