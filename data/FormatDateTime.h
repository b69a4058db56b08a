#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>

/// The date-time value as text by a strftime pattern ("%Y-%m-%d %H时"); bytes that are not
/// conversions are copied. A null value gives "", an invalid one "Invalid DateTime".
std::string FormatDateTime(const COleDateTime& dateTime, const std::string& pattern);
