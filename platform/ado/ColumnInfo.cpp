#include "platform/ado/ColumnInfo.h"

#include <cctype>

namespace ado {

bool ColumnInfo::KindOfDeclaredType(std::string_view declared, VarKind& kind) {
    // The first word decides: "INTEGER PRIMARY KEY", "DECIMAL(10,2)", "VARCHAR(50)".
    std::string word;
    for (char c : declared) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            if (word.empty() && c == ' ')
                continue;
            break;
        }
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    struct Entry {
        std::string_view word;
        VarKind kind;
    };
    static const Entry kTable[] = {
        {"INTEGER", VarKind::I4},      {"INT", VarKind::I4},         {"LONG", VarKind::I4},
        {"COUNTER", VarKind::I4},      {"SMALLINT", VarKind::I2},    {"SHORT", VarKind::I2},
        {"TINYINT", VarKind::UI1},     {"BYTE", VarKind::UI1},       {"DOUBLE", VarKind::R8},
        {"REAL", VarKind::R8},         {"FLOAT", VarKind::R8},       {"SINGLE", VarKind::R4},
        {"DATETIME", VarKind::Date},   {"DATE", VarKind::Date},      {"TIME", VarKind::Date},
        {"TIMESTAMP", VarKind::Date},  {"TEXT", VarKind::Text},      {"VARCHAR", VarKind::Text},
        {"CHAR", VarKind::Text},       {"NVARCHAR", VarKind::Text},  {"MEMO", VarKind::Text},
        {"BIT", VarKind::Bool},        {"BOOLEAN", VarKind::Bool},   {"BOOL", VarKind::Bool},
        {"YESNO", VarKind::Bool},      {"CURRENCY", VarKind::Currency},
        {"MONEY", VarKind::Currency},  {"DECIMAL", VarKind::Decimal},
        {"NUMERIC", VarKind::Decimal}, {"BLOB", VarKind::Binary},
    };
    for (const auto& entry : kTable) {
        if (entry.word == word) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

} // namespace ado
