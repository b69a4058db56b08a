#pragma once

#include <array>
#include <string>
#include <vector>

/// What a column of an imported file may hold.
enum ImportField {
    FieldDate,
    FieldAmount,
    FieldMember,
    FieldItem,
    FieldNote,
    FieldKind,
    FieldCount
};

/// Which column (from 0) holds each field; -1 for none.
struct ColumnMapping {
    std::array<int, FieldCount> columns;
    /// The column of the records' account (账户/account), found by its heading only; -1
    /// for none.
    int nAccount = -1;
    ColumnMapping() { columns.fill(-1); }
    int operator[](ImportField field) const { return columns[field]; }
    int& operator[](ImportField field) { return columns[field]; }
};

/// The field's name as the window shows it (日期, 金额, ...).
const char* ImportFieldName(ImportField field);

/// Maps the columns by their headings, ignoring case and spaces: 日期/时间/date,
/// 金额/amount, 成员/人员/member, 类别/类型/项目/category, 备注/note, 收支/type, and the
/// headings of our own export and of the record tables. The first column that fits wins.
ColumnMapping MapHeader(const std::vector<std::string>& header);

/// Why the mapping cannot be imported (a needed field without a column), or "".
std::string MissingFieldsText(const ColumnMapping& mapping);
