#include "records/RecordTwin.h"

#include "platform/ui/MessageBox.h"

const CRecordTwin CRecordTwin::Income = {
    1020,
    1017,
    1016,
    1017,
    "收入类型",
    "normalIncome",
    "收入人员",
    "收入项目",
    "收入金额",
    "收入日期",
    "收入金额不能为0！请填入正确的收入金额！",
    "请先在系统设置中添加收入类型！",
    false,
};

const CRecordTwin CRecordTwin::Pay = {
    1026,
    ui::IDOK,
    1061,
    ui::IDOK,
    "支出类型",
    "normalPay",
    "支出人员",
    "支出项目",
    "支出金额",
    "支出日期",
    "支出金额不能为0！请填入正确的支出金额！",
    "请先在系统设置中添加支出类型！",
    true,
};
