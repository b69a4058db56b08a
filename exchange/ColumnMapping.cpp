#include "exchange/ColumnMapping.h"

#include <string_view>

namespace {

struct FieldNames {
    ImportField field;
    std::vector<std::string_view> names;
};

const FieldNames kNames[] = {
    {FieldDate, {"日期", "时间", "date", "收入日期", "支出日期", "日期时间"}},
    {FieldAmount, {"金额", "amount", "收入金额", "支出金额"}},
    {FieldMember, {"成员", "人员", "member", "收入人员", "支出人员", "家庭成员"}},
    {FieldItem, {"类别", "类型", "项目", "category", "收入项目", "支出项目"}},
    {FieldNote, {"备注", "note"}},
    {FieldKind, {"收支", "type"}},
};

const char* const kFieldNames[FieldCount] = {"日期", "金额", "成员", "类别", "备注", "收支"};

// Lower-case ASCII, without spaces (ideographic ones included) or a byte-order mark.
std::string Normalise(std::string_view heading) {
    std::string out;
    for (size_t i = 0; i < heading.size(); ++i) {
        const char c = heading[i];
        if (heading.substr(i, 3) == "\xE3\x80\x80" || heading.substr(i, 3) == "\xEF\xBB\xBF") {
            i += 2;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return out;
}

} // namespace

const char* ImportFieldName(ImportField field) {
    return kFieldNames[field];
}

ColumnMapping MapHeader(const std::vector<std::string>& header) {
    ColumnMapping mapping;
    for (size_t column = 0; column < header.size(); ++column) {
        const std::string heading = Normalise(header[column]);
        if (mapping.nAccount < 0 && (heading == "账户" || heading == "account"))
            mapping.nAccount = static_cast<int>(column);
        for (const FieldNames& names : kNames) {
            if (mapping[names.field] >= 0)
                continue;
            for (std::string_view name : names.names)
                if (heading == name) {
                    mapping[names.field] = static_cast<int>(column);
                    break;
                }
        }
    }
    return mapping;
}

std::string MissingFieldsText(const ColumnMapping& mapping) {
    std::string missing;
    for (ImportField field : {FieldDate, FieldAmount, FieldMember, FieldItem})
        if (mapping[field] < 0)
            missing += (missing.empty() ? "" : "、") + std::string(kFieldNames[field]);
    return missing.empty() ? missing : "找不到" + missing + "列";
}
