#pragma once

#include "records/RecordDlg.h"

#include <string>

/// Changes one stored income or expense record. The opener sets m_strId, runs the dialog,
/// and on IDOK reads the values written from m_dAmount, m_strMember, m_strItem and
/// m_dtRecord. Any other result means nothing was written.
class CRecordEditDlg : public CRecordDlg {
public:
    std::string m_strId;
    std::string m_strMember;
    std::string m_strItem;
    COleDateTime m_dtRecord;

protected:
    CRecordEditDlg(const CRecordTwin& twin, int templateId, QWidget* parent);

    bool OnInitDialog() override;
    void FillFromLedger() override;
    void OnEdit();

private:
    /// Opens the record m_strId on the recordset; false when there is no such record (a
    /// text that is not a record number never reaches the SQL text).
    bool FindRecord(CADORecordset& rs) const;

    // The texts the record held when the dialog opened: kept when a list offers no entry
    // for them (a member or category removed from its list since).
    std::string m_strStoredMember;
    std::string m_strStoredItem;
};
