#include "records/RecordEditDlg.h"

#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/SqlText.h"
#include "pictures/PictureStrip.h"
#include "platform/ui/DateTimePicker.h"
#include "records/AccountLink.h"
#include "records/ExpenseWatch.h"
#include "records/RecordWriter.h"

#include <QComboBox>
#include <QPlainTextEdit>

#include <cstdlib>

namespace {

const char* const kMemberTable = "家庭成员";

// Laying out a note of a million characters on one line takes the box a minute; a note
// longer than this is shown in part, read-only, and kept as stored.
constexpr qsizetype kShownNoteLength = 10000;

// The note as the box shows it: whole, or its beginning and "…"; true when shortened.
bool ShortenNote(std::string& note) {
    if (note.size() <= static_cast<size_t>(kShownNoteLength))
        return false;
    const QString text = QString::fromStdString(note);
    if (text.size() <= kShownNoteLength)
        return false;
    qsizetype length = kShownNoteLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    note = (text.left(length) + QStringLiteral("…")).toStdString();
    return true;
}

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
    ShowRecord();
    return true;
}

void CRecordEditDlg::ShowRecord() {
    UpdateData(false);
    m_strShownNote = GetDlgItemText(IDC_NOTE);
}

void CRecordEditDlg::FillFromLedger() {
    CADORecordset rs(&m_db);
    const bool found = FindRecord(rs);
    if (found) {
        COleDateTime date;
        rs.GetFieldValue(1, m_strStoredMember);
        rs.GetFieldValue(2, m_dAmount);
        m_bDateUnreadable = !rs.GetFieldValue(3, date);
        rs.GetFieldValue(4, m_strStoredItem);
        rs.GetFieldValue(5, m_strNote);
        m_dtPicker->SetTime(date);
        m_dtShown = m_dtPicker->GetTime();
        const bool shortened = ShortenNote(m_strNote);
        if (auto* note = qobject_cast<QPlainTextEdit*>(GetDlgItem(IDC_NOTE)))
            note->setReadOnly(shortened);
    }
    FillList(rs, kMemberTable, m_cbMember);
    FillList(rs, m_twin.szCategoryTable, m_cbItem);
    SelectLastEqual(m_cbMember, found, m_strStoredMember);
    SelectLastEqual(m_cbItem, found, m_strStoredItem);
    const std::int64_t nAccount = found && IsRecordNumber(m_strId)
                                      ? CAccountLink::Of(m_db, m_twin.szRecordTable, RecordNumber())
                                      : 0;
    FillAccounts(nAccount);
    SelectAccount(nAccount);
    m_stripPictures->ShowRecord(&m_db, m_twin.szRecordTable, found ? RecordNumber() : 0);
}

std::int64_t CRecordEditDlg::RecordNumber() const {
    // Saturates on a number too long for any record: it then finds none.
    return std::strtoll(m_strId.c_str(), nullptr, 10);
}

void CRecordEditDlg::OnEdit() {
    // Until now the controls did not show the record, so what they held is not written:
    // they show it now, and the next press writes what the user makes of it.
    if (ReopenIfClosed()) {
        ShowRecord();
        return;
    }
    if (!UpdateData(true))
        return;
    // A list with nothing selected leaves the record's text as it was, rather than
    // wiping the member or category of a record whose entry left its list.
    m_strMember = m_cbMember->currentIndex() < 0 ? m_strStoredMember : SelectedText(m_cbMember);
    m_strItem = m_cbItem->currentIndex() < 0 ? m_strStoredItem : SelectedText(m_cbItem);
    m_dtRecord = m_dtPicker->GetTime();
    int nKeep = KeepNone;
    if (m_bDateUnreadable && m_dtRecord == m_dtShown) {
        nKeep |= KeepDate;
        m_dtRecord.SetStatus(COleDateTime::null);
    }
    if (m_strNote == m_strShownNote)
        nKeep |= KeepNote;

    if (!m_db.IsOpen())
        return;
    // A record the bank's statement was checked against changes only when the user says so.
    if (IsRecordNumber(m_strId) &&
        !CAccountLink::ReconciledOn(m_db, m_twin.szRecordTable, RecordNumber()).empty() &&
        ui::AskYesNo(this, CRecordWriter::kReconciledEditQuestion) != ui::IDYES)
        return;
    CADORecordset rs(&m_db);
    bool found = false;
    bool written = false;
    CExpenseWatch::After watch;
    // The record and its account change together, and only while the record is there.
    InTransaction(m_db, [&] {
        found = FindRecord(rs);
        if (!found)
            return;
        watch = m_twin.bWatched ? CExpenseWatch::Start(m_db, m_strItem, m_dtRecord) : nullptr;
        rs.Edit();
        WriteFields(rs, m_strMember, m_strItem, m_dtRecord, nKeep);
        written = rs.Update();
        if (written)
            CRecordWriter(m_db).Attach(m_twin, RecordNumber(), SelectedAccount());
    });
    if (!found) {
        // Deleted since the dialog opened, or never there: nothing to write.
        ui::MessageBox(this, CRecordWriter::kFailedMessage);
        return;
    }
    rs.Close();
    // The edit has no message of its own; only a budget just overrun is worth one.
    if (const std::string note = written ? CExpenseWatch::Finish(watch) : ""; !note.empty())
        ui::MessageBox(this, note);
    if (written)
        OnOK();
    else
        ui::MessageBox(this, CRecordWriter::kFailedMessage);
}
