#include "plan/RecurringBook.h"

#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "plan/PlanTables.h"
#include "records/RecordTwin.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <utility>

namespace {

const char* const kColumns = "ID, 收支, 人员, 项目, 金额, 备注, 规则, 规则日, 首日, 末日, 自动";

std::string Text(const std::string& strValue) {
    return "'" + QuoteSql(strValue) + "'";
}

std::string Number(std::int64_t nValue) {
    return NumberText::Itoa(nValue);
}

RecurringTemplate ReadTemplate(CADORecordset& rs) {
    RecurringTemplate tmpl;
    double dValue = 0;
    std::string strText;
    rs.GetFieldValue(0, dValue);
    tmpl.nId = static_cast<long>(dValue);
    rs.GetFieldValue(1, dValue);
    tmpl.bIncome = dValue != 0;
    rs.GetFieldValue(2, tmpl.strMember);
    rs.GetFieldValue(3, tmpl.strItem);
    rs.GetFieldValue(4, dValue);
    tmpl.nCents = std::llround(dValue);
    rs.GetFieldValue(5, tmpl.strNote);
    rs.GetFieldValue(6, dValue);
    tmpl.kind = static_cast<RecurrenceKind>(std::clamp(static_cast<int>(dValue), 0, 2));
    rs.GetFieldValue(7, dValue);
    tmpl.nDay = static_cast<int>(dValue);
    rs.GetFieldValue(8, strText);
    CPlanDate::Parse(strText, tmpl.first);
    rs.GetFieldValue(9, strText);
    if (CPlanDate day; CPlanDate::Parse(strText, day))
        tmpl.last = day;
    rs.GetFieldValue(10, dValue);
    tmpl.bAutomatic = dValue != 0;
    return tmpl;
}

std::string OccurrenceWhere(long nTemplate, const CPlanDate& day) {
    return " where 模板 = " + Number(nTemplate) + " and 日期 = " + Text(day.Text());
}

// Whether two versions of a template come round on the same days (a yearly one's day is
// its first date's).
bool SameRule(const RecurringTemplate& a, const RecurringTemplate& b) {
    return a.kind == b.kind && a.first == b.first &&
           (a.kind == RecurrenceKind::Yearly || a.nDay == b.nDay);
}

// The days a template has made already.
std::set<long> MadeDays(CADORecordset& rs, long nTemplate) {
    std::set<long> made;
    if (rs.Open("select 日期 from planOccurrence where 模板 = " + Number(nTemplate),
                CADORecordset::ModeQuery)) {
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string strDay;
            rs.GetFieldValue(0, strDay);
            if (CPlanDate day; CPlanDate::Parse(strDay, day))
                made.insert(day.Serial());
        }
        rs.Close();
    }
    return made;
}

// A changed rule applies from the day of the change: the days the new rule would have come
// on before it are marked as passed over, so no record is made for them, and what the old
// rule made stays as it is.
void PassOverDaysBefore(CADORecordset& rs, const RecurringTemplate& tmpl, const CPlanDate& today) {
    const std::set<long> made = MadeDays(rs, tmpl.nId);
    for (const CPlanDate& day : tmpl.Occurrences(CPlanDate::FromSerial(today.Serial() - 1)))
        if (made.count(day.Serial()) == 0)
            rs.Open("insert into planOccurrence (模板, 日期) values (" + Number(tmpl.nId) + ", " +
                        Text(day.Text()) + ")",
                    CADORecordset::ModeUnknown);
}

} // namespace

std::vector<RecurringTemplate> CRecurringBook::Templates() {
    std::vector<RecurringTemplate> templates;
    if (!CPlanTables::Present(m_db))
        return templates;
    CADORecordset rs(&m_db);
    if (!rs.Open(std::string("select ") + kColumns + " from planRecurring order by ID",
                 CADORecordset::ModeQuery))
        return templates;
    for (; !rs.IsEOF(); rs.MoveNext())
        templates.push_back(ReadTemplate(rs));
    rs.Close();
    return templates;
}

bool CRecurringBook::Save(RecurringTemplate& tmpl, std::string& strError) {
    if (!CPlanTables::Ensure(m_db, strError))
        return false;
    const std::vector<std::pair<const char*, std::string>> values = {
        {"收支", Number(tmpl.bIncome ? 1 : 0)},
        {"人员", Text(tmpl.strMember)},
        {"项目", Text(tmpl.strItem)},
        {"金额", Number(tmpl.nCents)},
        {"备注", Text(tmpl.strNote)},
        {"规则", Number(static_cast<int>(tmpl.kind))},
        {"规则日", Number(tmpl.nDay)},
        {"首日", Text(tmpl.first.Text())},
        {"末日", tmpl.last ? Text(tmpl.last->Text()) : "NULL"},
        {"自动", Number(tmpl.bAutomatic ? 1 : 0)},
    };
    InTransaction(m_db, [this, &tmpl, &values] {
        CADORecordset rs(&m_db);
        std::string sql;
        if (tmpl.nId == 0) {
            std::string names, texts;
            for (const auto& [name, text] : values) {
                names += std::string(names.empty() ? "" : ", ") + name;
                texts += (texts.empty() ? "" : ", ") + text;
            }
            rs.Open("insert into planRecurring (" + names + ") values (" + texts + ")",
                    CADORecordset::ModeUnknown);
            if (rs.Open("select max(ID) from planRecurring", CADORecordset::ModeQuery) &&
                !rs.IsEOF()) {
                double dId = 0;
                rs.GetFieldValue(0, dId);
                tmpl.nId = static_cast<long>(dId);
            }
        } else {
            std::optional<RecurringTemplate> stored;
            if (rs.Open(std::string("select ") + kColumns +
                            " from planRecurring where ID = " + Number(tmpl.nId),
                        CADORecordset::ModeQuery) &&
                !rs.IsEOF())
                stored = ReadTemplate(rs);
            rs.Close();
            for (const auto& [name, text] : values)
                sql += std::string(sql.empty() ? "" : ", ") + name + " = " + text;
            rs.Open("update planRecurring set " + sql + " where ID = " + Number(tmpl.nId),
                    CADORecordset::ModeUnknown);
            if (stored && !SameRule(*stored, tmpl))
                PassOverDaysBefore(rs, tmpl,
                                   CPlanDate::FromDateTime(COleDateTime::GetCurrentTime()));
        }
    });
    return true;
}

void CRecurringBook::Remove(long nId) {
    if (!CPlanTables::Present(m_db))
        return;
    // Its made occurrences go with it: a later template may be given the same key.
    InTransaction(m_db, [this, nId] {
        CADORecordset rs(&m_db);
        rs.Open("delete from planOccurrence where 模板 = " + Number(nId),
                CADORecordset::ModeUnknown);
        rs.Open("delete from planRecurring where ID = " + Number(nId), CADORecordset::ModeUnknown);
    });
}

std::vector<DueOccurrence> CRecurringBook::Due(const CPlanDate& today) {
    return Due(Templates(), today);
}

std::vector<DueOccurrence> CRecurringBook::Due(const std::vector<RecurringTemplate>& templates,
                                               const CPlanDate& today) {
    std::vector<DueOccurrence> due;
    if (templates.empty())
        return due;
    // What is made already, read once: the ledger gives its keys, not one query per day.
    std::set<std::pair<long, long>> made;
    CADORecordset rs(&m_db);
    if (rs.Open("select 模板, 日期 from planOccurrence", CADORecordset::ModeQuery)) {
        for (; !rs.IsEOF(); rs.MoveNext()) {
            double dTemplate = 0;
            std::string strDay;
            rs.GetFieldValue(0, dTemplate);
            rs.GetFieldValue(1, strDay);
            if (CPlanDate day; CPlanDate::Parse(strDay, day))
                made.emplace(static_cast<long>(dTemplate), day.Serial());
        }
        rs.Close();
    }
    for (const RecurringTemplate& tmpl : templates)
        for (const CPlanDate& day : tmpl.Occurrences(today))
            if (made.count({tmpl.nId, day.Serial()}) == 0)
                due.push_back({tmpl, day});
    std::stable_sort(due.begin(), due.end(),
                     [](const DueOccurrence& a, const DueOccurrence& b) { return a.day < b.day; });
    return due;
}

bool CRecurringBook::Make(const DueOccurrence& due) {
    const CRecordTwin& twin = due.tmpl.bIncome ? CRecordTwin::Income : CRecordTwin::Pay;
    bool bMade = false;
    InTransaction(m_db, [&] {
        CADORecordset rs(&m_db);
        // Looked up under the write lock: whoever made it first, the others see it here.
        if (!rs.Open("select 模板 from planOccurrence" + OccurrenceWhere(due.tmpl.nId, due.day),
                     CADORecordset::ModeQuery) ||
            !rs.IsEOF())
            return;
        if (!rs.Open(std::string("select * from ") + twin.szRecordTable + " where 编号 = -1",
                     CADORecordset::ModeQuery))
            return;
        rs.AddNew();
        rs.SetFieldValue(twin.szMemberColumn, due.tmpl.strMember);
        rs.SetFieldValue(twin.szItemColumn, due.tmpl.strItem);
        rs.SetFieldValue(twin.szAmountColumn, static_cast<double>(due.tmpl.nCents) / 100.0);
        rs.SetFieldValue(twin.szDateColumn, due.day.AtHour(kRecordHour));
        rs.SetFieldValue("备注", due.tmpl.strNote);
        if (!rs.Update())
            return;
        rs.Open("insert into planOccurrence (模板, 日期) values (" + Number(due.tmpl.nId) + ", " +
                    Text(due.day.Text()) + ")",
                CADORecordset::ModeUnknown);
        bMade = true;
    });
    return bMade;
}
