#include "inquiry/InquiryQuery.h"

#include "data/FormatDateTime.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "inquiry/InquiryTwin.h"

#include <vector>

namespace {

COleDateTime FirstOfMonth(int nYear, int nMonth) {
    return COleDateTime(nYear, nMonth, 1, 0, 0, 0);
}

// "列 = 'value'", or, for the empty value, the records whose column is empty or missing.
std::string ExactCondition(const char* szColumn, const std::string& strValue) {
    if (strValue.empty())
        return std::string("(") + szColumn + " is null or " + szColumn + " = '')";
    return std::string(szColumn) + " = '" + QuoteSql(strValue) + "'";
}

} // namespace

void CInquiryQuery::ComputeBounds(const COleDateTime& now, const COleDateTime& from,
                                  const COleDateTime& to) {
    switch (m_kind) {
    case InquiryKind::Today:
        m_dtLower = now;
        m_dtUpper = now + 1;
        break;
    case InquiryKind::ThisWeek:
        // Weeks run from Sunday to the next Sunday.
        m_dtLower = now - (now.GetDayOfWeek() - 1);
        m_dtUpper = m_dtLower + 7;
        break;
    case InquiryKind::ThisMonth:
        m_dtLower = FirstOfMonth(now.GetYear(), now.GetMonth());
        m_dtUpper = m_dtLower.GetMonth() == 12
                        ? FirstOfMonth(m_dtLower.GetYear() + 1, 1)
                        : FirstOfMonth(m_dtLower.GetYear(), m_dtLower.GetMonth() + 1);
        break;
    case InquiryKind::ThisYear:
        m_dtLower = FirstOfMonth(now.GetYear(), 1);
        m_dtUpper = FirstOfMonth(m_dtLower.GetYear() + 1, 1);
        break;
    case InquiryKind::Interval:
        // The whole of the day shown in 到.
        m_dtLower = from;
        m_dtUpper = to + 1;
        break;
    }
}

std::string CInquiryQuery::BuildStatement(const InquiryConditions& conditions) const {
    std::string statement = m_twin.szStatementHead;
    statement += FormatDateTime(m_dtLower, "%Y-%m-%d");
    statement += m_kind == InquiryKind::Interval ? m_twin.szIntervalMiddle : m_twin.szQuickMiddle;
    statement += FormatDateTime(m_dtUpper, "%Y-%m-%d");
    statement += "#";
    if (conditions.bMember != 0 && !conditions.strMember.empty())
        statement += m_twin.szMemberCondition + QuoteSql(conditions.strMember) + "'";
    if (conditions.bItem != 0 && !conditions.strItem.empty())
        statement += m_twin.szItemCondition + QuoteSql(conditions.strItem) + "'";
    // Beyond the dialog's own conditions: without it, the statement is the one it always was.
    if (conditions.bAccount != 0)
        statement += AccountCondition(m_twin, conditions.nAccount);
    if (conditions.bPictures != 0)
        statement += PicturesCondition(m_twin);
    return statement;
}

std::string CInquiryQuery::AccountCondition(const InquiryTwin& twin, std::int64_t nAccount) {
    const std::string links =
        std::string("select 编号 from accountLink where 表 = '") + twin.szTable + "'";
    return nAccount == 0
               ? " and 编号 not in (" + links + ")"
               : " and 编号 in (" + links + " and 账户 = " + NumberText::Itoa(nAccount) + ")";
}

std::string CInquiryQuery::PicturesCondition(const InquiryTwin& twin) {
    // The links' key begins with the table and the number: the engine finds the records by
    // their numbers instead of reading the whole span.
    return std::string(" and 编号 in (select 编号 from pictureLink where 表 = '") + twin.szTable +
           "')";
}

std::string CInquiryQuery::BuildPresetStatement(const InquiryTwin& twin,
                                                const InquiryPreset& preset) {
    return std::string("select * from ") + twin.szTable + BuildPresetConditions(twin, preset);
}

std::string CInquiryQuery::BuildPresetConditions(const InquiryTwin& twin,
                                                 const InquiryPreset& preset) {
    std::vector<std::string> conditions;
    if (preset.bSpan) {
        conditions.push_back(std::string(twin.szDateColumn) + " >= #" +
                             FormatDateTime(preset.dtLower, "%Y-%m-%d") + "#");
        conditions.push_back(std::string(twin.szDateColumn) + " < #" +
                             FormatDateTime(preset.dtUpper, "%Y-%m-%d") + "#");
    }
    if (preset.member)
        conditions.push_back(ExactCondition(twin.szMemberColumn, *preset.member));
    if (preset.item)
        conditions.push_back(ExactCondition(twin.szItemColumn, *preset.item));
    if (preset.account)
        conditions.push_back(AccountCondition(twin, *preset.account).substr(5));

    std::string text;
    for (size_t n = 0; n < conditions.size(); ++n)
        text += (n == 0 ? " where " : " and ") + conditions[n];
    return text;
}

const char* CInquiryQuery::GetDatePattern() const {
    return m_kind == InquiryKind::ThisYear ? m_twin.szYearDatePattern : m_twin.szQuickDatePattern;
}
