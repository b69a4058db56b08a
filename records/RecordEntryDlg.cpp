#include "records/RecordEntryDlg.h"

#include "data/ADORecordset.h"
#include "platform/ui/DateTimePicker.h"
#include "records/ExpenseWatch.h"

#include <QComboBox>

namespace {

const char* const kMemberTable = "家庭成员";
const char* const kNoMemberMessage = "请先在系统设置中添加家庭成员！";

} // namespace

CRecordEntryDlg::CRecordEntryDlg(const CRecordTwin& twin, int templateId, QWidget* parent)
    : CRecordDlg(twin, templateId, parent) {
    OnCommand(IDC_ADD, [this] { OnAdd(); });
    OnCommand(twin.nEntryCloseId, [this] { OnOK(); });
}

bool CRecordEntryDlg::OnInitDialog() {
    CRecordDlg::OnInitDialog();
    if (OpenConnection())
        FillFromLedger();
    return true;
}

void CRecordEntryDlg::FillFromLedger() {
    CADORecordset rs(&m_db);
    if (FillList(rs, kMemberTable, m_cbMember))
        m_cbMember->setCurrentIndex(0);
    if (FillList(rs, m_twin.szCategoryTable, m_cbItem))
        m_cbItem->setCurrentIndex(0);
}

void CRecordEntryDlg::OnAdd() {
    // A box that does not hold a number has been prompted for; going on would store the
    // previous amount and note a second time.
    if (!UpdateData(true))
        return;
    ReopenIfClosed();
    const std::string member = SelectedText(m_cbMember);
    const std::string item = SelectedText(m_cbItem);
    const COleDateTime date = m_dtPicker->GetTime();

    if (m_dAmount == 0.0) {
        ui::MessageBox(this, m_twin.szZeroAmountMessage);
        return;
    }
    if (!m_db.IsOpen())
        return;
    // Only an empty list table leaves nothing selected; a record that belongs to no one
    // and to no category could never be found by member or category.
    if (m_cbMember->currentIndex() < 0) {
        ui::MessageBox(this, kNoMemberMessage);
        return;
    }
    if (m_cbItem->currentIndex() < 0) {
        ui::MessageBox(this, m_twin.szNoCategoryMessage);
        return;
    }

    CADORecordset rs(&m_db);
    if (!rs.Open(m_twin.szRecordTable, CADORecordset::ModeTable))
        return;
    const CExpenseWatch::After watch =
        m_twin.bWatched ? CExpenseWatch::Start(m_db, item, date) : nullptr;
    rs.AddNew();
    WriteFields(rs, member, item, date);
    const bool added = rs.Update();
    rs.Close();
    std::string text = added ? "数据添加成功！" : "出错！";
    if (const std::string note = added ? CExpenseWatch::Finish(watch) : ""; !note.empty())
        text += "\n" + note;
    ui::MessageBox(this, text);
}
