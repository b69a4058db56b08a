#include "records/RecordEntryDlg.h"

#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "pictures/PictureStore.h"
#include "pictures/PictureStrip.h"
#include "platform/ui/DateTimePicker.h"
#include "records/AccountLink.h"
#include "records/ExpenseWatch.h"
#include "records/RecordWriter.h"

#include <QComboBox>

namespace {

const char* const kMemberTable = "家庭成员";

} // namespace

CRecordEntryDlg::CRecordEntryDlg(const CRecordTwin& twin, int templateId, QWidget* parent)
    : CRecordDlg(twin, templateId, parent) {
    OnCommand(IDC_ADD, [this] { OnAdd(); });
    OnCommand(twin.nEntryCloseId, [this] { OnOK(); });
    OnNotify(IDC_MEMBER, ui::Notification::SelChange,
             [this](ui::NotifyInfo&) { SelectLastAccount(); });
}

void CRecordEntryDlg::SelectLastAccount() {
    if (m_db.IsOpen())
        SelectAccount(CAccountLink::LastUsed(m_db, m_twin, SelectedText(m_cbMember)));
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
    FillAccounts();
    SelectLastAccount();
    m_stripPictures->HoldForNewRecord(&m_db);
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
        ui::MessageBox(this, CRecordWriter::kNoMemberMessage);
        return;
    }
    if (m_cbItem->currentIndex() < 0) {
        ui::MessageBox(this, m_twin.szNoCategoryMessage);
        return;
    }

    // The picture tables come after their backup, before the record's transaction.
    const std::vector<CPreparedPicture>& pictures = m_stripPictures->Pending();
    if (std::string error; !pictures.empty() && !CPictureStore(m_db).Ensure(error)) {
        ui::MessageBox(this, error);
        return;
    }
    CADORecordset rs(&m_db);
    if (!rs.Open(m_twin.szRecordTable, CADORecordset::ModeTable))
        return;
    const CExpenseWatch::After watch =
        m_twin.bWatched ? CExpenseWatch::Start(m_db, item, date) : nullptr;
    // A record and its account land together; without an account, the write is the one it
    // always was.
    const std::int64_t nAccount = SelectedAccount();
    bool added = false;
    const auto add = [&] {
        rs.AddNew();
        WriteFields(rs, member, item, date);
        added = rs.Update();
        if (added && (nAccount != 0 || !pictures.empty())) {
            double dRecord = 0;
            rs.GetFieldValue(0, dRecord);
            const auto nRecord = static_cast<std::int64_t>(dRecord);
            if (nAccount != 0)
                CRecordWriter(m_db).Attach(m_twin, nRecord, nAccount);
            for (const CPreparedPicture& picture : pictures)
                CPictureStore(m_db).Attach(m_twin.szRecordTable, nRecord, picture);
        }
    };
    if (nAccount != 0 || !pictures.empty())
        InTransaction(m_db, add);
    else
        add();
    rs.Close();
    // The receipts went with this record; the next one starts without them.
    if (added)
        m_stripPictures->ClearPending();
    std::string text = added ? CRecordWriter::kAddedMessage : CRecordWriter::kFailedMessage;
    if (const std::string note = added ? CExpenseWatch::Finish(watch) : ""; !note.empty())
        text += "\n" + note;
    ui::MessageBox(this, text);
}
