#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>

/// One stored record as it travels in and out: the six stored columns.
struct ExchangeRecord {
    std::string strId;
    double dAmount = 0.0;
    std::string strMember;
    COleDateTime dtRecord;
    std::string strItem;
    std::string strNote;
};

/// The headings of an exported table, in column order; the import knows them too.
inline constexpr const char* kExportHeadings[] = {"编号", "金额", "成员", "日期", "类别", "备注"};
