#pragma once

#include "exchange/ExchangeRecord.h"

#include <functional>
#include <string>
#include <vector>

class CADODatabase;
struct RecordTable;

/// The stored records whose numbers are given, in the order given; numbers that are not
/// stored (any more) are left out.
std::vector<ExchangeRecord> ReadRecordsById(CADODatabase& db, const RecordTable& table,
                                            const std::vector<std::string>& ids);
/// Every stored record of the table, in the order they were added.
std::vector<ExchangeRecord> ReadAllRecords(CADODatabase& db, const RecordTable& table);

/// Fills in how many receipts each record has; false, leaving them, when the ledger keeps
/// no receipts.
bool CountPictures(CADODatabase& db, const RecordTable& table, std::vector<ExchangeRecord>& records);
