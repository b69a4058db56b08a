#include "records/RecordEditDlg.h"

#include "data/ADORecordset.h"
#include "data/SqlText.h"
#include "platform/ui/DateTimePicker.h"

#include <QComboBox>

namespace {

const char* const kMemberTable = "家庭成员";

// The last entry equal to the record's text is selected; with none, or with no record,
// nothing is.
void SelectLastEqual(QComboBox* combo, bool found, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    int selected = -1;
    for (int index = 0; found && index < combo->count(); ++index) {
        if (combo->itemText(index) == wanted)
            selected = index;
    }
    combo->setCurrentIndex(selected);
}

} // namespace

CRecordEditDlg::CRecordEditDlg(const CRecordTwin& twin, int templateId, QWidget* parent)
    : CRecordDlg(twin, templateId, parent) {
    // Enter reaches the accept command when no button takes it: it edits, so that an
    // accepted dialog always means a written record. The expense dialog's 关闭 carries the
    // accept id and replaces this with the cancel below.
    OnCommand(ui::IDOK, [this] { OnEdit(); });
    OnCommand(twin.nEditButtonId, [this] { OnEdit(); });
    OnCommand(twin.nEditCloseId, [this] { OnCancel(); });
}

bool CRecordEditDlg::FindRecord(CADORecordset& rs) const {
    if (!IsRecordNumber(m_strId))
        return false;
    const std::string query =
        std::string("select * from ") + m_twin.szRecordTable + " where 编号 = " + m_strId;
    return rs.Open(query, CADORecordset::ModeQuery) && rs.GetRecordCount() >= 1;
}

bool CRecordEditDlg::OnInitDialog() {
    CRecordDlg::OnInitDialog();
    if (OpenConnection())
        FillFromLedger();
    UpdateData(false);
    return true;
}

void CRecordEditDlg::FillFromLedger() {
    CADORecordset rs(&m_db);
    const bool found = FindRecord(rs);
    if (found) {
        COleDateTime date;
        rs.GetFieldValue(1, m_strStoredMember);
        rs.GetFieldValue(2, m_dAmount);
        rs.GetFieldValue(3, date);
        rs.GetFieldValue(4, m_strStoredItem);
        rs.GetFieldValue(5, m_strNote);
        m_dtPicker->SetTime(date);
    }
    FillList(rs, kMemberTable, m_cbMember);
    FillList(rs, m_twin.szCategoryTable, m_cbItem);
    SelectLastEqual(m_cbMember, found, m_strStoredMember);
    SelectLastEqual(m_cbItem, found, m_strStoredItem);
}

void CRecordEditDlg::OnEdit() {
    // Until now the controls did not show the record, so what they held is not written:
    // they show it now, and the next press writes what the user makes of it.
    if (ReopenIfClosed()) {
        UpdateData(false);
        return;
    }
    if (!UpdateData(true))
        return;
    // A list with nothing selected leaves the record's text as it was, rather than
    // wiping the member or category of a record whose entry left its list.
    m_strMember = m_cbMember->currentIndex() < 0 ? m_strStoredMember : SelectedText(m_cbMember);
    m_strItem = m_cbItem->currentIndex() < 0 ? m_strStoredItem : SelectedText(m_cbItem);
    m_dtRecord = m_dtPicker->GetTime();

    if (!m_db.IsOpen())
        return;
    CADORecordset rs(&m_db);
    if (!FindRecord(rs)) {
        // Deleted since the dialog opened, or never there: nothing to write.
        ui::MessageBox(this, "出错！");
        return;
    }
    rs.Edit();
    WriteFields(rs, m_strMember, m_strItem, m_dtRecord);
    const bool written = rs.Update();
    rs.Close();
    if (written)
        OnOK();
    else
        ui::MessageBox(this, "出错！");
}
