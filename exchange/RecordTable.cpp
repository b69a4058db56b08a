#include "exchange/RecordTable.h"

const RecordTable kIncomeRecords = {
    "收入", "normalIncome", "收入人员", "收入金额", "收入日期", "收入项目", "收入类型",
};

const RecordTable kPayRecords = {
    "支出", "normalPay", "支出人员", "支出金额", "支出日期", "支出项目", "支出类型",
};
