#include "exchange/RecordReader.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "data/SqlText.h"
#include "exchange/RecordTable.h"
#include "records/AccountLink.h"

#include <unordered_map>

namespace {

// The six stored columns, read by position as everywhere else.
ExchangeRecord ReadRecord(CADORecordset& recordset) {
    ExchangeRecord record;
    recordset.GetFieldValue(0, record.strId);
    recordset.GetFieldValue(1, record.strMember);
    recordset.GetFieldValue(2, record.dAmount);
    recordset.GetFieldValue(3, record.dtRecord);
    recordset.GetFieldValue(4, record.strItem);
    recordset.GetFieldValue(5, record.strNote);
    return record;
}

void ReadInto(CADORecordset& recordset, std::vector<ExchangeRecord>& records) {
    while (!recordset.IsEOF()) {
        records.push_back(ReadRecord(recordset));
        recordset.MoveNext();
    }
    recordset.Close();
}

// The accounts of the records of `table`, by name, from the links beside them.
void ReadAccounts(CADODatabase& db, const RecordTable& table,
                  std::vector<ExchangeRecord>& records) {
    if (records.empty() || !CAccountLink::Present(db))
        return;
    CADORecordset recordset(&db);
    if (!recordset.Open(std::string("select l.编号, a.名称 from accountLink l, accountList a "
                                    "where l.表 = '") +
                            table.szTable + "' and a.ID = l.账户",
                        CADORecordset::ModeQuery))
        return;
    std::unordered_map<std::string, std::string> names;
    for (; !recordset.IsEOF(); recordset.MoveNext()) {
        std::string strId;
        recordset.GetFieldValue(0, strId);
        recordset.GetFieldValue(1, names[strId]);
    }
    recordset.Close();
    if (names.empty())
        return;
    for (ExchangeRecord& record : records)
        if (const auto found = names.find(record.strId); found != names.end())
            record.strAccount = found->second;
}

} // namespace

std::vector<ExchangeRecord> ReadRecordsById(CADODatabase& db, const RecordTable& table,
                                            const std::vector<std::string>& ids) {
    // Fetched a few hundred at a time by number, then put in the caller's order.
    constexpr size_t kBatch = 500;
    std::vector<ExchangeRecord> found;
    CADORecordset recordset(&db);
    for (size_t start = 0; start < ids.size(); start += kBatch) {
        std::string list;
        for (size_t i = start; i < ids.size() && i < start + kBatch; ++i) {
            if (!IsRecordNumber(ids[i]))
                continue;
            list += (list.empty() ? "" : ",") + ids[i];
        }
        if (list.empty())
            continue;
        if (recordset.Open(std::string("select * from ") + table.szTable + " where 编号 in (" +
                               list + ")",
                           CADORecordset::ModeQuery))
            ReadInto(recordset, found);
    }
    std::unordered_map<std::string, size_t> byId;
    for (size_t i = 0; i < found.size(); ++i)
        byId.emplace(found[i].strId, i);
    std::vector<ExchangeRecord> records;
    records.reserve(ids.size());
    for (const std::string& id : ids) {
        const auto it = byId.find(id);
        if (it != byId.end())
            records.push_back(found[it->second]);
    }
    ReadAccounts(db, table, records);
    return records;
}

std::vector<ExchangeRecord> ReadAllRecords(CADODatabase& db, const RecordTable& table) {
    std::vector<ExchangeRecord> records;
    CADORecordset recordset(&db);
    if (recordset.Open(table.szTable, CADORecordset::ModeTable))
        ReadInto(recordset, records);
    ReadAccounts(db, table, records);
    return records;
}

bool CountPictures(CADODatabase& db, const RecordTable& table, std::vector<ExchangeRecord>& records) {
    if (CLedgerAdditions::Read(db) < CLedgerAdditions::kPictures)
        return false;
    std::unordered_map<std::string, int> counts;
    CADORecordset recordset(&db);
    if (recordset.Open(std::string("SELECT 编号, COUNT(*) FROM pictureLink WHERE 表 = '") +
                           table.szTable + "' GROUP BY 编号",
                       CADORecordset::ModeQuery))
        for (; !recordset.IsEOF(); recordset.MoveNext()) {
            std::string id;
            double dCount = 0;
            recordset.GetFieldValue(0, id);
            recordset.GetFieldValue(1, dCount);
            counts[id] = static_cast<int>(dCount);
        }
    for (ExchangeRecord& record : records) {
        const auto it = counts.find(record.strId);
        record.nPictures = it == counts.end() ? 0 : it->second;
    }
    return true;
}
