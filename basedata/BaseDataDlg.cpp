#include "basedata/BaseDataDlg.h"

#include "basedata/ListEntryWatch.h"
#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "data/SqlText.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MessageBox.h"

#include <cctype>
#include <utility>
#include <vector>

namespace {

constexpr const char* kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";
constexpr const char* kTypeColumn = "类型";
constexpr const char* kRemarkColumn = "备注";

// An entry without a text could never be found again by its text.
constexpr const char* kEmptyTypeMessage = "类型不能为空，请输入类型！";
constexpr const char* kChangedElsewhereMessage =
    "这些数据刚被其他程序修改过，已重新读取，请再操作一次！";

// The list tables are named by the rows of this one.
constexpr const char* kTableOfTables = "baseData";

// A table name as it goes into a statement: a word of Chinese letters, digits and
// underscores as it is, anything else (a space, a quote, an English word that might be a
// keyword) between double quotes.
std::string TableInSql(const std::string& strTable) {
    bool bChinese = false;
    for (char c : strTable) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80)
            bChinese = true;
        else if (!std::isalnum(u) && c != '_')
            return QuoteIdentifier(strTable);
    }
    const bool bPlain = bChinese && std::isdigit(static_cast<unsigned char>(strTable[0])) == 0;
    return bPlain ? strTable : QuoteIdentifier(strTable);
}

} // namespace

CBaseDataDlg::CBaseDataDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listEntries(new CReportCtrl(this)) {
    UseControl(IDC_ENTRIES, m_listEntries);
    OnNotify(IDC_TABLES, ui::Notification::Click, [this](ui::NotifyInfo&) { OnTableClick(); });
    OnNotify(IDC_ENTRIES, ui::Notification::Click, [this](ui::NotifyInfo&) { OnEntryClick(); });
    OnCommand(IDC_ADD, [this] { OnAddType(); });
    OnCommand(IDC_DELETE, [this] { OnDeleteType(); });
    OnCommand(IDC_CHANGE, [this] { OnChangeType(); });
    OnCommand(IDC_MOVE_UP, [this] { OnMoveUp(); });
    OnCommand(IDC_MOVE_DOWN, [this] { OnMoveDown(); });
    OnCommand(IDC_CLOSE, [this] { OnOK(); });
}

CBaseDataDlg::~CBaseDataDlg() = default;

bool CBaseDataDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);

    m_listTables = Item<ui::ListCtrl>(IDC_TABLES);
    m_listTables->InsertColumn(0, kTypeColumn, ui::LVCFMT_LEFT, 100);
    m_listEntries->InsertColumn(0, kTypeColumn, ui::LVCFMT_LEFT, 100);
    m_listEntries->InsertColumn(1, kRemarkColumn, ui::LVCFMT_LEFT, 120);

    m_db.SetConnectionString(kConnection);
    if (!m_db.Open()) {
        ui::MessageBox(this, "Open error!");
        return true;
    }

    FillTables();
    return true;
}

void CBaseDataDlg::FillTables() {
    CADORecordset rs(&m_db);
    if (!rs.Open(kTableOfTables, CADORecordset::ModeTable))
        return;
    m_listTables->DeleteAllItems();
    std::string strTable;
    while (!rs.IsEOF()) {
        rs.GetFieldValue(kTypeColumn, strTable);
        m_listTables->InsertItem(m_listTables->GetItemCount(), strTable);
        rs.MoveNext();
    }
    rs.Close();
}

void CBaseDataDlg::ReopenIfClosed() {
    if (m_db.IsOpen() || !m_db.Open())
        return;
    // The shown entries may no longer be what the table holds.
    FillTables();
    if (!m_strShownTable.empty())
        ReloadEntries(m_strShownTable);
}

void CBaseDataDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::DDX_Text(dx, IDC_TYPE, m_strType);
    ui::DDX_Text(dx, IDC_REMARK, m_strRemark);
}

void CBaseDataDlg::OnTableClick() {
    ReopenIfClosed();
    const int nRow = m_listTables->GetFirstSelectedItem();
    if (nRow < 0)
        return;
    const std::string strTable = m_listTables->GetItemText(nRow, 0);
    if (!strTable.empty())
        ReloadEntries(strTable);
}

bool CBaseDataDlg::ReadEntries(const std::string& strTable, Entries& entries) {
    CADORecordset rs(&m_db);
    if (!rs.Open(strTable, CADORecordset::ModeTable))
        return false;
    entries.clear();
    while (!rs.IsEOF()) {
        std::string strType, strRemark;
        rs.GetFieldValue(kTypeColumn, strType);
        rs.GetFieldValue(kRemarkColumn, strRemark);
        entries.emplace_back(std::move(strType), std::move(strRemark));
        rs.MoveNext();
    }
    rs.Close();
    return true;
}

bool CBaseDataDlg::ReloadEntries(const std::string& strTable) {
    // Read everything first: a table that fails half-way must not leave the list showing
    // part of it under its name, where a reorder would store the part.
    Entries entries;
    if (!ReadEntries(strTable, entries))
        return false;
    m_listEntries->DeleteAllItems();
    for (const auto& [strType, strRemark] : entries)
        m_listEntries->InsertItem(m_listEntries->GetItemCount(), strType, strRemark);
    m_strShownTable = strTable;
    m_shownEntries = std::move(entries);
    return true;
}

void CBaseDataDlg::OnEntryClick() {
    const int nRow = m_listEntries->GetFirstSelectedItem();
    if (nRow < 0)
        return;
    m_strType = m_listEntries->GetItemText(nRow, 0);
    m_strRemark = m_listEntries->GetItemText(nRow, 1);
    UpdateData(false);
}

bool CBaseDataDlg::OpenEntry(CADORecordset& rs, const std::string& strText) {
    if (m_strShownTable.empty())
        return false;
    ReopenIfClosed();
    // A blank entry of an older ledger holds NULL: it is found by an empty text too, so
    // that it can be deleted or given a name.
    const std::string strCondition =
        strText.empty() ? "类型 is null or 类型 = ''" : "类型 = '" + QuoteSql(strText) + "'";
    return rs.Open("select * from " + TableInSql(m_strShownTable) + " where " + strCondition,
                   CADORecordset::ModeUnknown);
}

void CBaseDataDlg::OnAddType() {
    UpdateData(true);
    if (m_strShownTable.empty())
        return;
    if (m_strType.empty()) {
        ui::MessageBox(this, kEmptyTypeMessage);
        return;
    }
    CADORecordset rs(&m_db);
    if (!OpenEntry(rs, m_strType))
        return;
    if (rs.GetRecordCount() >= 1) {
        rs.Close();
        ui::MessageBox(this, "该类型已存在，无法添加已存在的类型！");
        return;
    }
    if (rs.AddNew()) {
        rs.SetFieldValue(kTypeColumn, m_strType);
        rs.SetFieldValue(kRemarkColumn, m_strRemark);
        if (rs.Update())
            ReloadEntries(m_strShownTable);
    }
    rs.Close();
}

void CBaseDataDlg::OnDeleteType() {
    UpdateData(true);
    CADORecordset rs(&m_db);
    if (!OpenEntry(rs, m_strType))
        return;
    if (rs.GetRecordCount() < 1)
        ui::MessageBox(this, "没有此数据项，请重新选项！");
    else if (rs.Delete()) {
        ReloadEntries(m_strShownTable);
        TellWatch(m_strType, std::nullopt);
    } else {
        ui::MessageBox(this, "数据删除失败！");
    }
    rs.Close();
}

void CBaseDataDlg::OnChangeType() {
    UpdateData(true);
    const int nRow = m_listEntries->GetFirstSelectedItem();
    const std::string strOld = nRow >= 0 ? m_listEntries->GetItemText(nRow, 0) : std::string();
    if (m_strShownTable.empty())
        return;
    if (m_strType.empty()) {
        ui::MessageBox(this, kEmptyTypeMessage);
        return;
    }
    CADORecordset rs(&m_db);
    if (!OpenEntry(rs, strOld))
        return;
    if (rs.GetRecordCount() < 1) {
        ui::MessageBox(this, "没有此数据项，请重新选项！");
    } else {
        rs.Edit();
        rs.SetFieldValue(kTypeColumn, m_strType);
        rs.SetFieldValue(kRemarkColumn, m_strRemark);
        if (rs.Update()) {
            ReloadEntries(m_strShownTable);
            TellWatch(strOld, m_strType);
        } else {
            ui::MessageBox(this, "数据更改失败！");
        }
    }
    rs.Close();
}

void CBaseDataDlg::TellWatch(const std::string& strEntry,
                             const std::optional<std::string>& renamed) {
    if (renamed && *renamed == strEntry)
        return;
    const std::string note = CListEntryWatch::Tell(m_db, m_strShownTable, strEntry, renamed);
    if (!note.empty())
        ui::MessageBox(this, note);
}

void CBaseDataDlg::OnMoveUp() {
    const int nRow = m_listEntries->GetFirstSelectedItem();
    const bool bMoved = nRow > 0 && m_listEntries->MoveUp(nRow);
    m_listEntries->setFocus();
    SaveOrder([this, bMoved, nRow] {
        if (bMoved)
            m_listEntries->SwapItems(nRow - 1, nRow);
    });
}

void CBaseDataDlg::OnMoveDown() {
    const int nRow = m_listEntries->GetFirstSelectedItem();
    const bool bMoved = nRow >= 0 && m_listEntries->SwapItems(nRow, nRow + 1);
    m_listEntries->setFocus();
    SaveOrder([this, bMoved, nRow] {
        if (bMoved)
            m_listEntries->SwapItems(nRow, nRow + 1);
    });
}

// The table is emptied and written again in the list's order. Both halves run in one
// transaction, so a failure part-way leaves the table exactly as it was instead of short of
// rows; the list then goes back to the order the table still has. Another running copy may
// have changed the table since the list was read: the list is then not written over it.
void CBaseDataDlg::SaveOrder(const std::function<void()>& undoMove) {
    if (m_strShownTable.empty())
        return;
    if (!m_db.IsOpen()) {
        // Reopening refills the list from the table; the user presses again on that.
        undoMove();
        ReopenIfClosed();
        return;
    }
    enum class Outcome { Stored, NotStored, ChangedElsewhere } outcome = Outcome::NotStored;
    try {
        if (!m_db.BeginTrans()) {
            undoMove();
            return;
        }
        Entries stored;
        if (!ReadEntries(m_strShownTable, stored) || stored != m_shownEntries)
            outcome = Outcome::ChangedElsewhere;
        else {
            ClearTable();
            if (RewriteTable() && m_db.CommitTrans())
                outcome = Outcome::Stored;
        }
    } catch (...) {
        AbandonTrans();
        undoMove();
        throw; // shown once, by the handler boundary
    }
    if (outcome == Outcome::Stored) {
        m_shownEntries.clear();
        for (int nRow = 0; nRow < m_listEntries->GetItemCount(); ++nRow)
            m_shownEntries.emplace_back(m_listEntries->GetItemText(nRow, 0),
                                        m_listEntries->GetItemText(nRow, 1));
        return;
    }
    AbandonTrans();
    if (outcome == Outcome::ChangedElsewhere) {
        ui::MessageBox(this, kChangedElsewhereMessage);
        if (!ReloadEntries(m_strShownTable))
            undoMove();
        return;
    }
    undoMove();
    ui::MessageBox(this, "数据更改失败！");
}

void CBaseDataDlg::AbandonTrans() {
    try {
        m_db.RollbackTrans();
    } catch (...) {
        m_db.Close();
    }
}

void CBaseDataDlg::ClearTable() {
    CADORecordset rs(&m_db);
    rs.Open("delete from " + TableInSql(m_strShownTable), CADORecordset::ModeUnknown);
    rs.Update();
    rs.Close();
}

bool CBaseDataDlg::RewriteTable() {
    CADORecordset rs(&m_db);
    // By name, so that any table name opens; nothing is read from it.
    if (!rs.Open(m_strShownTable, CADORecordset::ModeTable))
        return false;
    for (int nRow = 0; nRow < m_listEntries->GetItemCount(); ++nRow) {
        if (!rs.AddNew())
            return false;
        rs.SetFieldValue(kTypeColumn, m_listEntries->GetItemText(nRow, 0));
        rs.SetFieldValue(kRemarkColumn, m_listEntries->GetItemText(nRow, 1));
        if (!rs.Update())
            return false;
    }
    rs.Close();
    return true;
}
