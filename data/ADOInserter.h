#pragma once

#include "data/ADOException.h"
#include "platform/ado/Variant.h"
#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CADODatabase;

namespace ado {
class ComError;
class RowInserter;
} // namespace ado

/// Adds many rows to one table, each with values for the same columns, faster than a
/// recordset's AddNew and Update per row: for imports, inside a transaction. Set the fields
/// of a row by their place in the column list, then Add it; Finish before committing.
///
/// Errors: every engine error is recorded (last error text and code) and thrown as
/// CADOException; a row that fails is not added.
class CADOInserter {
public:
    /// The database must be open; `columns` are named as in the table.
    CADOInserter(CADODatabase* pDatabase, const std::string& strTable,
                 const std::vector<std::string>& columns);
    ~CADOInserter();
    CADOInserter(const CADOInserter&) = delete;
    CADOInserter& operator=(const CADOInserter&) = delete;

    // The fields of the next row; those not set are null. "" is written as null.
    void SetFieldValue(int nIndex, const std::string& strValue);
    void SetFieldValue(int nIndex, double dValue);
    void SetFieldValue(int nIndex, const COleDateTime& time);
    /// Writes the row and starts the next one with every field null.
    void Add();
    /// Writes the row at once and gives its key (the table's integer key, as a recordset
    /// reads it from column 0), for a row that others refer to by it.
    std::int64_t AddNow();
    /// Writes the row, or holds it back inside a transaction, and gives the key it has: for
    /// many rows others refer to, with nothing reading or changing the table until Finish.
    std::int64_t AddKeyed();
    /// Writes what the engine still holds back.
    void Finish();

    std::string GetLastErrorString() const { return m_strLastError; }
    std::uint32_t GetLastError() const { return m_dwLastError; }

private:
    std::int64_t Write(bool bHeld);
    [[noreturn]] void HandleError(const ado::ComError& error);
    /// Every value null again for the next row; texts keep their room.
    void ClearRow();

    std::string m_strTable;
    std::unique_ptr<ado::RowInserter> m_pInserter;
    std::vector<ado::Variant> m_row;
    std::string m_strLastError;
    std::uint32_t m_dwLastError = 0;
};
