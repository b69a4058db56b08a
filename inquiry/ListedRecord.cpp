#include "inquiry/ListedRecord.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/SqlText.h"
#include "inquiry/InquiryTwin.h"
#include "platform/ui/MessageBox.h"

std::string CListedRecord::Statement() const {
    std::string statement = m_twin.szRecordStatement;
    statement.replace(statement.find("%s"), 2, m_strId);
    return statement;
}

std::optional<double> CListedRecord::StoredAmount() {
    if (!m_db.IsOpen() || !IsRecordNumber(m_strId))
        return std::nullopt;
    CADORecordset recordset(&m_db);
    if (!recordset.Open(Statement(), CADORecordset::ModeQuery) || recordset.IsEOF())
        return std::nullopt;
    double dAmount = 0.0;
    recordset.GetFieldValue(2, dAmount);
    recordset.Close();
    return dAmount;
}

CListedRecord::Deletion CListedRecord::Delete(double& dAmount) {
    // A record number goes into the statement bare, so anything but digits finds nothing.
    if (!m_db.IsOpen() || !IsRecordNumber(m_strId))
        return NotFound;
    CADORecordset recordset(&m_db);
    if (!recordset.Open(Statement(), CADORecordset::ModeQuery) || recordset.GetRecordCount() == 0)
        return NotFound;
    dAmount = 0.0;
    recordset.GetFieldValue(2, dAmount);
    const Deletion result = recordset.Delete() ? Deleted : Failed;
    recordset.Close();
    return result;
}

bool CListedRecord::DeleteFromList(QWidget* owner, double& dAmount) {
    const Deletion result = Delete(dAmount);
    if (result == Failed)
        ui::MessageBox(owner, "delete");
    return result == Deleted;
}
