#pragma once

#include "exchange/ColumnMapping.h"
#include "exchange/ExchangeRecord.h"
#include "exchange/KeySet.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CADODatabase;
struct CsvRow;
struct RecordTable;

/// Which table the lines of an import go to: all to one, or each by its 收支 column (or,
/// without one, by the sign of its amount: negative is an expense).
enum class ImportKind { Income, Expense, ByColumn };

struct ImportOptions {
    ImportKind nKind = ImportKind::Income;
    bool bAddMissing = false;     // members and categories not in their lists are added
    bool bKeepDuplicates = false; // lines equal to a stored record or an earlier line too
};

/// One line as it will be stored, or why it will not.
struct CheckedLine {
    enum Status { Good, Duplicate, Bad };
    Status nStatus = Bad;
    std::string strReason; // for a bad line
    const RecordTable* pTable = nullptr;
    ExchangeRecord record;
    bool bNewMember = false;
    bool bNewItem = false;
    std::int64_t nAccount = 0; // the account the record gets; 0 for none
    std::string strKey;        // what makes it a duplicate (see KeyOf), made once
};

/// Checks the lines of an import against the ledger: the texts must read as a date and an
/// amount, member and category must be in their lists (or be added), and a line equal to a
/// stored record or an earlier line is a duplicate.
class CImportChecker {
public:
    CImportChecker(const ImportOptions& options, const ColumnMapping& mapping, bool bCheckUtf8);

    /// Reads the lists and the stored records of the tables the import may write.
    void Load(CADODatabase& db);
    /// Makes room for about `nLines` more lines, so that a large import does not rehash.
    void Expect(std::size_t nLines);
    CheckedLine Check(const CsvRow& row) const;
    /// The same into `line`, whose strings' buffers a long import reuses line after line.
    void Check(const CsvRow& row, CheckedLine& line) const;
    /// Takes a line that will be stored into account for the lines after it.
    void Accept(const CheckedLine& line);

    const ImportOptions& GetOptions() const { return m_options; }

private:
    struct Lists {
        std::unordered_set<std::string> items;
        CKeySet keys; // stored and accepted records
    };
    Lists& ListsOf(const RecordTable* table);
    const Lists& ListsOf(const RecordTable* table) const;
    bool MayWrite(const RecordTable* table) const;
    /// What makes two records the same, as bytes: the date to the second as it is written,
    /// the amount's bits, member, category and note. Made in `key`.
    static void KeyOf(const ExchangeRecord& record, std::string& key);

    ImportOptions m_options;
    ColumnMapping m_mapping;
    bool m_bCheckUtf8;
    std::unordered_set<std::string> m_members;
    std::unordered_map<std::string, std::int64_t> m_accounts; // every account, by name
    Lists m_income;
    Lists m_pay;
};
