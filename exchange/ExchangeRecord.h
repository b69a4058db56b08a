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
    std::string strAccount; // the account's name, kept beside the record; "" for none
    int nPictures = 0; ///< the receipts the record has, where they are counted
};

/// The headings of an exported table, in column order; the import knows them too.
inline constexpr const char* kExportHeadings[] = {"编号", "金额", "成员", "日期", "类别", "备注"};
/// The heading of the column added after them when some exported record has an account.
inline constexpr const char* kAccountHeading = "账户";
/// The heading of the receipts' count, added after them when some exported record has
/// receipts (an import does not read it).
inline constexpr const char* kPicturesHeading = "凭证";
