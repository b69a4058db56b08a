#pragma once

#include <cstdint>
#include <string>

class CADODatabase;

/// Where a record or transfer read from a bill came from: the bill's source ("支付宝",
/// "微信", a bank scheme's name) and the row's order number, kept in the ledger's billOrder
/// table beside the row it made. A source and order number stored once keep a second copy
/// out, whichever bill brings it again.
class CRecordSource {
public:
    /// True when the open ledger holds the bill tables.
    static bool Present(CADODatabase& db);
    /// Notes that row `nRow` of `strTable` came from this order. Run it in the transaction
    /// that wrote the row; engine errors are thrown (a second copy of an order among them).
    static void Set(CADODatabase& db, const std::string& strSource, const std::string& strOrder,
                    const std::string& strTable, std::int64_t nRow);
    /// The row an order made: false when the order was never stored.
    static bool Find(CADODatabase& db, const std::string& strSource, const std::string& strOrder,
                     std::string& strTable, std::int64_t& nRow);
};
