#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>
#include <string_view>

/// An amount as stored: the shortest text that reads back as the same double ("1234.56",
/// "12", "-0.1").
std::string FormatAmount(double dAmount);
/// A record's date and time, "YYYY-MM-DD HH:MM:SS".
std::string FormatRecordDate(const COleDateTime& dtRecord);

/// Reads "1234.56", "1,234.56", "¥1234.56", "-12.5" (white space around is ignored). An
/// empty string on success, else the reason the text is not an amount.
std::string ParseAmount(std::string_view text, double& dAmount);
/// Reads "YYYY-MM-DD", "YYYY/MM/DD", either with " HH:MM" or " HH:MM:SS", and
/// "YYYY年MM月DD日" (month, day and hour may have one digit). An empty string on success,
/// else the reason the text is not a date.
std::string ParseRecordDate(std::string_view text, COleDateTime& dtRecord);
