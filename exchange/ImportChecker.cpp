#include "exchange/ImportChecker.h"

#include "data/ADORecordset.h"
#include "exchange/CellText.h"
#include "exchange/CsvReader.h"
#include "exchange/RecordReader.h"
#include "exchange/RecordTable.h"
#include "exchange/RecordText.h"
#include "exchange/TextEncoding.h"
#include "platform/ole/OleCalendar.h"
#include "records/AccountLink.h"

#include <cstring>

namespace {

void ReadList(CADODatabase& db, const char* szTable, std::unordered_set<std::string>& entries) {
    CADORecordset recordset(&db);
    if (!recordset.Open(szTable, CADORecordset::ModeTable))
        return;
    while (!recordset.IsEOF()) {
        std::string entry;
        recordset.GetFieldValue(1, entry);
        entries.insert(std::move(entry));
        recordset.MoveNext();
    }
    recordset.Close();
}

// A member's or category's name is at most this long; a note is at most kMaxCsvField.
constexpr std::size_t kMaxNameBytes = 256;

} // namespace

CImportChecker::CImportChecker(const ImportOptions& options, const ColumnMapping& mapping,
                               bool bCheckUtf8)
    : m_options(options), m_mapping(mapping), m_bCheckUtf8(bCheckUtf8) {
}

CImportChecker::Lists& CImportChecker::ListsOf(const RecordTable* table) {
    return table == &kIncomeRecords ? m_income : m_pay;
}

const CImportChecker::Lists& CImportChecker::ListsOf(const RecordTable* table) const {
    return table == &kIncomeRecords ? m_income : m_pay;
}

bool CImportChecker::MayWrite(const RecordTable* table) const {
    return !(table == &kIncomeRecords && m_options.nKind == ImportKind::Expense) &&
           !(table == &kPayRecords && m_options.nKind == ImportKind::Income);
}

void CImportChecker::KeyOf(const ExchangeRecord& record, std::string& key) {
    // The calendar parts, packed: two dates are one when they are written alike.
    std::int64_t time = -1;
    if (record.dtRecord.GetStatus() == COleDateTime::null)
        time = -2;
    else if (record.dtRecord.GetStatus() == COleDateTime::valid)
        if (const auto parts = ole::OleCalendar::Split(record.dtRecord.m_dt))
            time = ((((std::int64_t{parts->year} * 13 + parts->month) * 32 + parts->day) * 24 +
                     parts->hour) *
                        60 +
                    parts->minute) *
                       60 +
                   parts->second;
    key.assign(reinterpret_cast<const char*>(&time), sizeof time);
    key.append(reinterpret_cast<const char*>(&record.dAmount), sizeof record.dAmount);
    // Each text after its length, so that no text can run into the next.
    for (const std::string* part : {&record.strMember, &record.strItem, &record.strNote}) {
        const auto length = static_cast<std::uint32_t>(part->size());
        key.append(reinterpret_cast<const char*>(&length), sizeof length);
        key += *part;
    }
}

void CImportChecker::Load(CADODatabase& db) {
    ReadList(db, kMemberTable, m_members);
    // Stopped accounts too: an imported record may be an old one.
    if (m_mapping.nAccount >= 0)
        for (const CAccountLink::Choice& account : CAccountLink::Choices(db, true))
            m_accounts.emplace(account.strName, account.nId);
    for (const RecordTable* table : {&kIncomeRecords, &kPayRecords}) {
        if (!MayWrite(table))
            continue;
        Lists& lists = ListsOf(table);
        ReadList(db, table->szItemTable, lists.items);
        std::string key;
        if (!m_options.bKeepDuplicates)
            for (const ExchangeRecord& record : ReadAllRecords(db, *table)) {
                KeyOf(record, key);
                lists.keys.Insert(key);
            }
    }
}

void CImportChecker::Expect(std::size_t nLines) {
    if (m_options.bKeepDuplicates)
        return;
    for (const RecordTable* table : {&kIncomeRecords, &kPayRecords})
        if (MayWrite(table))
            ListsOf(table).keys.Reserve(ListsOf(table).keys.Size() + nLines);
}

CheckedLine CImportChecker::Check(const CsvRow& row) const {
    CheckedLine line;
    Check(row, line);
    return line;
}

void CImportChecker::Check(const CsvRow& row, CheckedLine& line) const {
    line.nStatus = CheckedLine::Bad;
    line.strReason.clear();
    line.pTable = nullptr;
    line.bNewMember = line.bNewItem = false;
    line.nAccount = 0;
    line.strKey.clear();
    ExchangeRecord& record = line.record;
    record.dAmount = 0.0;
    record.dtRecord = COleDateTime();
    for (std::string* text :
         {&record.strId, &record.strMember, &record.strItem, &record.strNote, &record.strAccount})
        text->clear();
    const auto bad = [&line](std::string reason) {
        line.nStatus = CheckedLine::Bad;
        line.strReason = std::move(reason);
    };
    if (row.bFieldTooLong)
        return bad("有一栏超过 64 KB");
    if (m_bCheckUtf8)
        for (const std::string& field : row.fields)
            if (!IsValidUtf8(field))
                return bad("不是有效的 UTF-8 文本");
    // The server cuts a text at a NUL and a file ledger keeps it: neither may get one.
    for (const std::string& field : row.fields)
        if (field.find('\0') != std::string::npos)
            return bad("含有空字符（NUL）");
    const auto field = [&row, this](ImportField which) -> const std::string& {
        static const std::string kEmpty;
        const int column = m_mapping[which];
        return column >= 0 && static_cast<size_t>(column) < row.fields.size()
                   ? row.fields[static_cast<size_t>(column)]
                   : kEmpty;
    };
    if (std::string reason = ParseRecordDate(field(FieldDate), record.dtRecord); !reason.empty())
        return bad(reason);
    if (std::string reason = ParseAmount(field(FieldAmount), record.dAmount); !reason.empty())
        return bad(reason);
    AssignCleanName(record.strMember, StripFormulaGuard(field(FieldMember)));
    AssignCleanName(record.strItem, StripFormulaGuard(field(FieldItem)));
    record.strNote.assign(StripFormulaGuard(field(FieldNote)));
    if (record.strMember.empty())
        return bad("成员为空");
    if (record.strItem.empty())
        return bad("类别为空");
    if (m_mapping.nAccount >= 0 && static_cast<size_t>(m_mapping.nAccount) < row.fields.size()) {
        AssignCleanName(record.strAccount,
                        StripFormulaGuard(row.fields[static_cast<size_t>(m_mapping.nAccount)]));
        if (record.strAccount == CAccountLink::kNoAccount)
            record.strAccount.clear();
        if (!record.strAccount.empty()) {
            // Accounts are not made up by an import: their kind and opening balance are the
            // family's to say.
            const auto account = m_accounts.find(record.strAccount);
            if (account == m_accounts.end())
                return bad("账户“" + record.strAccount + "”不存在");
            line.nAccount = account->second;
        }
    }
    if (record.strMember.size() > kMaxNameBytes)
        return bad("成员名称太长");
    if (record.strItem.size() > kMaxNameBytes)
        return bad("类别名称太长");

    switch (m_options.nKind) {
    case ImportKind::Income:
        line.pTable = &kIncomeRecords;
        break;
    case ImportKind::Expense:
        line.pTable = &kPayRecords;
        break;
    case ImportKind::ByColumn:
        if (m_mapping[FieldKind] >= 0) {
            const std::string kind = CleanName(StripFormulaGuard(field(FieldKind)));
            if (kind == kIncomeRecords.szKind)
                line.pTable = &kIncomeRecords;
            else if (kind == kPayRecords.szKind)
                line.pTable = &kPayRecords;
            else
                return bad("收支应为收入或支出");
        } else if (record.dAmount < 0) {
            line.pTable = &kPayRecords;
            record.dAmount = -record.dAmount;
        } else {
            line.pTable = &kIncomeRecords;
        }
        break;
    }

    const Lists& lists = ListsOf(line.pTable);
    line.bNewMember = m_members.count(record.strMember) == 0;
    line.bNewItem = lists.items.count(record.strItem) == 0;
    if (line.bNewMember && !m_options.bAddMissing)
        return bad("成员“" + record.strMember + "”不在家庭成员中");
    if (line.bNewItem && !m_options.bAddMissing)
        return bad("类别“" + record.strItem + "”不在" + line.pTable->szItemTable + "中");
    line.nStatus = CheckedLine::Good;
    if (!m_options.bKeepDuplicates) {
        KeyOf(record, line.strKey);
        if (lists.keys.Contains(line.strKey))
            line.nStatus = CheckedLine::Duplicate;
    }
}

void CImportChecker::Accept(const CheckedLine& line) {
    if (line.nStatus != CheckedLine::Good)
        return;
    Lists& lists = ListsOf(line.pTable);
    if (line.bNewMember)
        m_members.insert(line.record.strMember);
    if (line.bNewItem)
        lists.items.insert(line.record.strItem);
    if (!m_options.bKeepDuplicates)
        lists.keys.Insert(line.strKey);
}
