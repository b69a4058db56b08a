#pragma once

#include <string>

class CADODatabase;

/// Every account with its kind, owner and balance, then 资产, 负债 and 净资产, as CSV text
/// in the export's conventions (UTF-8 with a byte-order mark, CRLF, quoted as needed).
std::string AccountsCsv(CADODatabase& db);
