#include "inquiry/InquiryTwin.h"

#include "exchange/RecordTable.h"
#include "platform/ui/MessageBox.h"
#include "records/NormalIncomEditDlg.h"
#include "records/PayEditDlg.h"

namespace {

template <class Editor>
std::optional<EditedRecord> RunRecordEditor(QWidget* parent, const std::string& strId) {
    Editor editor(parent);
    editor.m_strId = strId;
    if (editor.DoModal() != ui::IDOK)
        return std::nullopt;
    return EditedRecord{editor.m_dAmount, editor.m_strMember, editor.m_strItem, editor.m_dtRecord};
}

} // namespace

const InquiryTwin kIncomeInquiry = {
    136,
    1050,
    "收入类型",
    "收入人员",
    "收入日期",
    "收入项目",
    "select * from normalIncome where 收入日期 > #",
    "# and 收入日期 < #",
    "# and 收入日期 <= #",
    " and 收入人员='",
    " and 收入项目='",
    "%Y-%m-%d %H时",
    "%Y-%m-%d %H时",
    "%Y-%m-%d %H时",
    2,
    32808,
    32802,
    "select * from normalIncome where 编号 = %s",
    &RunRecordEditor<CNormalIncomEditDlg>,
    &kIncomeRecords,
    "normalIncome",
    "收入日期",
    "收入人员",
    "收入项目",
};

const InquiryTwin kPayInquiry = {
    137,
    1047,
    "支出类型",
    "支出人员",
    "支出日期",
    "支出项目",
    "select * from normalPay where 支出日期 > #",
    "# and 支出日期 < #",
    "# and 支出日期 < #",
    " and 支出人员='",
    " and 支出项目='",
    "%Y-%m-%d %H",
    "%Y-%m-%d %H时",
    "%Y-%m-%d %H时",
    1,
    32809,
    32810,
    "select * from normalPay where 编号 = %s",
    &RunRecordEditor<CPayEditDlg>,
    &kPayRecords,
    "normalPay",
    "支出日期",
    "支出人员",
    "支出项目",
};
