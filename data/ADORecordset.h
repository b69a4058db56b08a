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
class Connection;
class Recordset;
} // namespace ado

/// One SQL text or one table on a CADODatabase's connection, for one dialog operation:
/// walk the rows, read and write fields, add, change and delete rows.
///
/// Errors: an engine error inside Open, GetFieldValue, PutFieldValue/SetFieldValue and
/// Update is recorded (last error text and code) and thrown as CADOException; engine errors
/// of the other operations reach the caller as ado::ComError.
class CADORecordset {
public:
    /// How Open reads its text (nested, so callers write CADORecordset::ModeTable).
    enum RecordsetOpenMode {
        ModeUnknown = 0,
        ModeQuery = 1,
        ModeTable = 2,
        ModeStoredProcedure = 3,
    };
    /// What Update will write.
    enum EditStatus {
        EditNone = 0,
        EditNew = 1,
        EditExisting = 2,
    };

    /// The database need not be open yet.
    explicit CADORecordset(CADODatabase* pDatabase);
    virtual ~CADORecordset();
    CADORecordset(const CADORecordset&) = delete;
    CADORecordset& operator=(const CADORecordset&) = delete;

    /// Runs `strText` (or, when it is empty, the previous text again). True when a cursor is
    /// open afterwards: a text that returns no rows (a DELETE) runs and gives false.
    /// ModeStoredProcedure is not supported and gives false.
    bool Open(const std::string& strText = "", RecordsetOpenMode nMode = ModeUnknown);
    /// Runs the query `strText` for one walk forward, as Open does, holding only the current
    /// row: a listing of many rows keeps none behind the cursor. GetRecordCount, and once the
    /// cursor has moved anything that moves back, throw ado::ComError instead.
    bool OpenForwardOnly(const std::string& strText);
    /// Runs the query `strText`, whose columns hold integers, and reads all its rows at once,
    /// row after row into `values` (a row holding a value that is no integer is left out),
    /// leaving no cursor open: for walks over many keys, with none of a cursor's work per
    /// row. False (nothing read) without an open database; engine errors as Open.
    bool ReadIntegers(const std::string& strText, std::vector<std::int64_t>& values);
    /// Cancels a pending edit and closes the cursor.
    void Close();
    bool IsOpen() const;
    bool IsEOF();
    bool IsBOF();
    void MoveNext();
    /// The row count, read without moving the cursor.
    long GetRecordCount();

    // Reading the current row; column indexes count from 0 in the table's column order.
    bool GetFieldValue(int nIndex, double& dValue);
    bool GetFieldValue(int nIndex, std::string& strValue, const std::string& strDateFormat = "");
    bool GetFieldValue(const std::string& strFieldName, std::string& strValue,
                       const std::string& strDateFormat = "");
    bool GetFieldValue(int nIndex, COleDateTime& time);
    /// The value where the cursor keeps it, nothing copied: valid until the cursor moves.
    /// For walks over many rows; convert it with FieldConversion.
    ado::ValueView GetFieldView(int nIndex) { return ReadField(nIndex); }
    /// The first `nCount` values of the current row in one call, each as GetFieldView.
    void GetFieldViews(ado::ValueView* pViews, int nCount);

    // Writing the row being added or edited; false (nothing stored) without AddNew/Edit.
    bool SetFieldValue(int nIndex, const std::string& strValue);
    bool SetFieldValue(const std::string& strFieldName, const std::string& strValue);
    bool SetFieldValue(const std::string& strFieldName, double dValue);
    bool SetFieldValue(const std::string& strFieldName, const COleDateTime& time);
    bool PutFieldValue(int nIndex, const ado::Variant& value);
    bool PutFieldValue(const std::string& strFieldName, const ado::Variant& value);

    bool AddNew();
    void Edit() { m_nEditStatus = EditExisting; }
    /// Writes the pending row; true without a pending edit.
    bool Update();
    /// Deletes the current row at once.
    bool Delete();

    std::string GetQuery() const { return m_strQuery; }
    EditStatus GetEditStatus() const { return m_nEditStatus; }
    std::string GetLastErrorString() const { return m_strLastError; }
    std::uint32_t GetLastError() const { return m_dwLastError; }

private:
    bool OpenCursor(const std::string& strText, RecordsetOpenMode nMode, bool bForwardOnly);
    [[noreturn]] void HandleRecordsetError(const ado::ComError& error);
    /// The current row's value, engine errors taking the error path.
    /// The value in place (see ado::Recordset::GetValueView): use it before the cursor moves.
    ado::ValueView ReadField(int nIndex);
    ado::ValueView ReadField(const std::string& strFieldName);

    std::unique_ptr<ado::Recordset> m_pRecordset;
    std::shared_ptr<ado::Connection> m_pConnection;
    EditStatus m_nEditStatus = EditNone;
    std::string m_strLastError;
    std::uint32_t m_dwLastError = 0;
    std::string m_strQuery;
};
