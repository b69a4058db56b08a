#pragma once

#include "records/RecordDlg.h"

#include <string>

/// Changes one stored income or expense record. The opener sets m_strId, runs the dialog,
/// and on IDOK reads the values written from m_dAmount, m_strMember, m_strItem and
/// m_dtRecord (null when a stored date that does not read as a date was kept as it is).
/// Any other result means nothing was written.
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
    /// m_strId as a number; only for an m_strId that IsRecordNumber accepts.
    std::int64_t RecordNumber() const;
    /// Shows the dialog's values and remembers the note as the box gives it back.
    void ShowRecord();

    // The texts the record held when the dialog opened: kept when a list offers no entry
    // for them (a member or category removed from its list since).
    std::string m_strStoredMember;
    std::string m_strStoredItem;
    // A date another tool stored in a form that does not read as a date, and what the
    // picker showed for it: kept as stored unless the user picks another date.
    bool m_bDateUnreadable = false;
    COleDateTime m_dtShown;
    // The note as the box showed it; a note left alone is not written back, so a long one
    // shown only in part, or one the box would change, stays as stored.
    std::string m_strShownNote;
};
