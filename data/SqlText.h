#pragma once

#include <string>
#include <string_view>

/// The text with every single quote doubled, for putting between single quotes in SQL.
std::string QuoteSql(std::string_view text);
/// The name between double quotes, inner double quotes doubled, for a table or column name.
std::string QuoteIdentifier(std::string_view name);
/// True for a record number that may go into SQL bare: non-empty, ASCII digits only.
bool IsRecordNumber(std::string_view text);
