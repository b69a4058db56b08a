#pragma once

#include "bills/BillRow.h"

#include <string>
#include <string_view>

/// Reads an Alipay or WeChat Pay bill as it is downloaded, a CSV file or (WeChat Pay) an
/// Excel workbook with the same rows in its first sheet: the encoding (GB18030 or UTF-8,
/// with or without a byte-order mark) and the layout are recognised by themselves, the
/// heading row is found by its fields wherever the preamble ends, and the padding the
/// services put around their fields (spaces, tabs after order numbers, trailing commas, "/"
/// for empty, "¥" before amounts) is taken off.
///
/// False, with the reason in plain words naming `strName` (the file's name), when the bytes
/// are no bill of a kind known here or a row cannot be read; nothing of a bad file is kept.
bool ReadBill(std::string_view bytes, const std::string& strName, BillFile& bill,
              std::string& strError);

/// The same for a file on disk.
bool ReadBillFile(const std::string& strPath, BillFile& bill, std::string& strError);
