#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>
#include <string_view>

/// The largest amount a record takes: 13 digits before the point keep every cent exact.
inline constexpr double kMaxAmount = 9999999999999.99;

/// An amount as exported: plain decimals to the cent, trailing zeros dropped, never an
/// exponent ("1234.56", "12", "-0.1", "100000").
std::string FormatAmount(double dAmount);
/// An amount as the windows beyond the inquiry lists show it: always two decimals ("8.00").
std::string FormatCents(double dAmount);
/// A record's date and time, "YYYY-MM-DD HH:MM:SS".
std::string FormatRecordDate(const COleDateTime& dtRecord);

/// Reads "1234.56", "1,234.56", "¥1234.56", "-12.5" (white space around is ignored): what
/// the amount box takes (cents at most, up to kMaxAmount), with a sign and thousands
/// separators as banks write them. An empty string on success, else the reason the text is
/// not an amount.
std::string ParseAmount(std::string_view text, double& dAmount);
/// Reads "YYYY-MM-DD", "YYYY/MM/DD", either with " HH:MM" or " HH:MM:SS", and
/// "YYYY年MM月DD日" (month, day and hour may have one digit). An empty string on success,
/// else the reason the text is not a date.
std::string ParseRecordDate(std::string_view text, COleDateTime& dtRecord);
