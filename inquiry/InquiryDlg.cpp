#include "inquiry/InquiryDlg.h"

#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "data/FieldConversion.h"
#include "data/FormatDateTime.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "exchange/ExchangeTexts.h"
#include "exchange/RecordExport.h"
#include "exchange/RecordReader.h"
#include "exchange/RecordTable.h"
#include "inquiry/ExportTarget.h"
#include "inquiry/InquiryRowFormatter.h"
#include "inquiry/InquiryRows.h"
#include "inquiry/InquiryTwin.h"
#include "inquiry/ListedRecord.h"
#include "inquiry/RecordNumberSet.h"
#include "pictures/PictureStore.h"
#include "pictures/PictureTexts.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MenuResource.h"
#include "records/AccountLink.h"

#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <unordered_map>
#include <utility>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

// Account ids are given from 1 up, one per account a household opens.
constexpr std::int64_t kSmallAccountIds = 4096;
constexpr std::uint32_t kNoName = 0xFFFFFFFF;

// A name column's value as GetFieldValue writes it: a stored text where the cursor holds
// it, anything else written into `strRoom`.
std::string_view NameOf(const ado::ValueView& value, std::string& strRoom) {
    if (value.kind == ado::VarKind::Text)
        return value.text;
    FieldConversion::ToText(value, "", strRoom);
    return strRoom;
}

// A year's list is a hundred thousand rows: the view learns of them all at once when they
// are in, or when a read error ends the walk.
class RedrawOff {
public:
    explicit RedrawOff(ui::ListCtrl* list) : m_list(list) { m_list->SetRedraw(false); }
    ~RedrawOff() { m_list->SetRedraw(true); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    ui::ListCtrl* m_list;
};

// Whatever ends a listing, an engine error included, the totals line tells of the rows
// that made it into the list.
template <class Show> class AtScopeEnd {
public:
    explicit AtScopeEnd(Show show) : m_show(std::move(show)) {}
    ~AtScopeEnd() { m_show(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Show m_show;
};

} // namespace

CInquiryDlg::CInquiryDlg(const InquiryTwin& twin, QWidget* parent)
    : ui::Dialog(twin.nTemplateId, parent), m_listResult(new CReportCtrl(this)),
      m_dtFrom(COleDateTime::GetCurrentTime()), m_dtTo(COleDateTime::GetCurrentTime()),
      m_twin(twin), m_rows(std::make_shared<CInquiryRows>()) {
    m_listResult->SetCells(m_rows);
    UseControl(twin.nListId, m_listResult);
    OnCommand(IDC_TODAY, [this] { OnToday(); });
    OnCommand(IDC_THIS_WEEK, [this] { OnThisWeek(); });
    OnCommand(IDC_THIS_MONTH, [this] { OnThisMonth(); });
    OnCommand(IDC_THIS_YEAR, [this] { OnThisYear(); });
    OnCommand(IDC_INTERVAL_QUERY, [this] { OnIntervalQuery(); });
    OnCommand(IDC_EXPORT, [this] { OnExport(); });
    OnCommand(twin.nEditCommand, [this] { OnEditRecord(); });
    OnCommand(twin.nDeleteCommand, [this] { OnDeleteRecord(); });
    OnNotify(twin.nListId, ui::Notification::DblClk,
             [this](ui::NotifyInfo& info) { OnResultDblClk(info); });
    OnNotify(twin.nListId, ui::Notification::RClick,
             [this](ui::NotifyInfo& info) { OnResultRClick(info); });
}

CInquiryDlg::~CInquiryDlg() = default;

int CInquiryDlg::GetResultListId() const {
    return m_twin.nListId;
}

void CInquiryDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    ui::DDX_CBString(dx, IDC_MEMBER, m_strMember);
    ui::DDX_CBString(dx, IDC_ITEM, m_strItem);
    ui::DDX_DateTimeCtrl(dx, IDC_FROM, m_dtFrom);
    ui::DDX_DateTimeCtrl(dx, IDC_TO, m_dtTo);
    ui::DDX_Check(dx, IDC_MEMBER_CHECK, m_bMember);
    ui::DDX_Check(dx, IDC_ITEM_CHECK, m_bItem);
    ui::DDX_Check(dx, IDC_ACCOUNT_CHECK, m_bAccount);
    ui::DDX_Check(dx, IDC_PICTURES_CHECK, m_bPictures);
}

bool CInquiryDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    dsSkinWindow(GetDlgItem(IDC_INTERVAL_QUERY), SkinPushButton, "buttonSearch", 1);
    m_cbMember = Item<QComboBox>(IDC_MEMBER);
    m_cbItem = Item<QComboBox>(IDC_ITEM);
    m_listResult->setAccessibleName(windowTitle());
    // The paperclip needs an emoji font, which not every system has: a box would mark nothing.
    m_strPictureMark = QFontMetrics(m_listResult->font()).inFontUcs4(0x1F4CE)
                           ? CPictureTexts::kListMark
                           : CPictureTexts::kPlainListMark;
    m_rows->SetPictureMark(m_strPictureMark);
    m_bTotals = GetDlgItem(IDC_TOTALS) != nullptr;

    // An engine error while a combo is filled must not leave the dialog without its columns
    // and dates: finish setting up, then let it be reported once.
    std::exception_ptr error;
    m_db.SetConnectionString(kConnection);
    try {
        if (m_db.Open()) {
            CADORecordset recordset(&m_db);
            for (auto [szTable, combo] :
                 {std::pair{"家庭成员", m_cbMember}, std::pair{m_twin.szItemTable, m_cbItem}}) {
                try {
                    FillCombo(recordset, szTable, combo);
                } catch (...) {
                    if (!error)
                        error = std::current_exception();
                }
            }
            FillAccounts();
        }
    } catch (...) {
        error = std::current_exception();
    }

    InsertColumns();
    m_dtFrom = COleDateTime(m_dtFrom.GetYear(), m_dtFrom.GetMonth(), 1, 0, 0, 0);

    UpdateData(false);
    m_cbMember->setCurrentIndex(0);
    m_cbItem->setCurrentIndex(0);
    UpdateData(true);

    if (m_preset) {
        try {
            ListPreset();
        } catch (...) {
            if (!error)
                error = std::current_exception();
        }
    }
    if (error)
        std::rethrow_exception(error);
    return true;
}

void CInquiryDlg::ReopenIfClosed() {
    if (m_db.IsOpen() || !m_db.Open())
        return;
    CADORecordset recordset(&m_db);
    FillCombo(recordset, "家庭成员", m_cbMember);
    FillCombo(recordset, m_twin.szItemTable, m_cbItem);
    m_cbMember->setCurrentIndex(0);
    m_cbItem->setCurrentIndex(0);
}

void CInquiryDlg::FillCombo(CADORecordset& recordset, const char* szTable, QComboBox* combo) {
    if (!recordset.Open(szTable, CADORecordset::ModeTable))
        return;
    combo->clear();
    while (!recordset.IsEOF()) {
        std::string strEntry;
        recordset.GetFieldValue(1, strEntry);
        combo->addItem(QString::fromStdString(strEntry));
        recordset.MoveNext();
    }
    recordset.Close();
}

void CInquiryDlg::InsertColumns() {
    // The widths are pixels of 宋体 9 pt, whose characters are 6 pixels wide on average; a
    // wider substitute font widens the columns alike, as it widens the dialog units, so that
    // a date cell is not cut off.
    const double scale = std::max(1.0, ui::DialogUnits(m_listResult->font()).BaseX() / 6.0);
    const auto width = [scale](int nPixels) { return static_cast<int>(nPixels * scale + 0.5); };
    m_listResult->InsertColumn(0, "编号", ui::LVCFMT_LEFT, width(50));
    m_listResult->InsertColumn(1, "金额", ui::LVCFMT_LEFT, width(70));
    m_listResult->InsertColumn(2, m_twin.szMemberHeading, ui::LVCFMT_LEFT, width(100));
    m_listResult->InsertColumn(3, m_twin.szDateHeading, ui::LVCFMT_LEFT, width(100));
    m_listResult->InsertColumn(4, m_twin.szItemHeading, ui::LVCFMT_LEFT, width(100));
    m_listResult->InsertColumn(5, "账户", ui::LVCFMT_LEFT, width(80));
    m_listResult->InsertColumn(6, CPictureTexts::kLabel, ui::LVCFMT_LEFT, width(40));
}

void CInquiryDlg::FillAccounts() {
    auto* combo = Item<QComboBox>(IDC_ACCOUNT);
    if (combo == nullptr)
        return;
    combo->clear();
    combo->addItem(QString::fromUtf8(CAccountLink::kNoAccount), QVariant::fromValue<qlonglong>(0));
    for (const CAccountLink::Choice& choice : CAccountLink::Choices(m_db, true))
        combo->addItem(QString::fromStdString(choice.strName),
                       QVariant::fromValue<qlonglong>(choice.nId));
}

InquiryAccounts CInquiryDlg::AccountNames(std::int64_t nLow, std::int64_t nHigh) {
    InquiryAccounts accounts;
    if (!CAccountLink::Present(m_db))
        return accounts;
    // A handful of accounts, read first (their ids are small: looked up by position, any
    // other by a map); then one range of the links' key (it begins with the table and the
    // number), not the listing's query a second time.
    std::vector<std::uint32_t> byId;
    std::unordered_map<std::int64_t, std::uint32_t> byLargeId;
    for (const CAccountLink::Choice& choice : CAccountLink::Choices(m_db, true)) {
        const auto nName = static_cast<std::uint32_t>(accounts.names.size());
        accounts.names.push_back(choice.strName);
        if (choice.nId < 0 || choice.nId >= kSmallAccountIds) {
            byLargeId.emplace(choice.nId, nName);
            continue;
        }
        if (static_cast<size_t>(choice.nId) >= byId.size())
            byId.resize(static_cast<size_t>(choice.nId) + 1, kNoName);
        byId[static_cast<size_t>(choice.nId)] = nName;
    }
    const auto nameOf = [&byId, &byLargeId](std::int64_t nAccount) {
        if (nAccount >= 0 && static_cast<std::uint64_t>(nAccount) < byId.size())
            return byId[static_cast<size_t>(nAccount)];
        const auto found = byLargeId.find(nAccount);
        return found == byLargeId.end() ? kNoName : found->second;
    };
    // Read at once: the links of a year are as many as half its records.
    std::vector<std::int64_t> links;
    links.reserve(static_cast<size_t>(std::min<std::int64_t>(nHigh - nLow + 1, 1 << 20)));
    CADORecordset recordset(&m_db);
    if (!recordset.ReadIntegers(std::string("select 编号, 账户 from accountLink where 表 = '") +
                                    m_twin.szTable + "' and 编号 >= " + NumberText::Itoa(nLow) +
                                    " and 编号 <= " + NumberText::Itoa(nHigh) + " order by 编号",
                                links))
        return accounts;
    accounts.links.reserve(links.size() / 2);
    for (size_t i = 0; i + 1 < links.size(); i += 2)
        if (const std::uint32_t nName = nameOf(links[i + 1]); nName != kNoName)
            accounts.links.emplace_back(links[i], nName);
    return accounts;
}

std::unordered_set<std::int64_t> CInquiryDlg::RecordsWithPictures() {
    return CPictureStore(m_db).RecordsWithPictures(m_twin.szTable);
}

void CInquiryDlg::ShowPictureMark(int nItem, const std::string& strId) {
    const bool bPictures =
        IsRecordNumber(strId) &&
        CPictureStore(m_db).Count(m_twin.szTable, std::strtoll(strId.c_str(), nullptr, 10)) > 0;
    m_listResult->SetItemText(nItem, CInquiryRows::ColumnPictures,
                              bPictures ? m_strPictureMark : std::string());
}

void CInquiryDlg::RunInquiry(InquiryKind kind) {
    m_listResult->DeleteAllItems();
    m_totals.Clear();
    const AtScopeEnd showTotals([this] { ShowTotals(); });
    ReopenIfClosed();
    UpdateData(true);

    CInquiryQuery query(m_twin, kind);
    query.ComputeBounds(COleDateTime::GetCurrentTime(), m_dtFrom, m_dtTo);
    if (!m_db.IsOpen())
        return;

    auto* account = Item<QComboBox>(IDC_ACCOUNT);
    const std::int64_t nAccount = account != nullptr && account->currentIndex() >= 0
                                      ? account->currentData().toLongLong()
                                      : 0;
    // A ledger that keeps no receipts has no record with one.
    if (m_bPictures != 0 && !CPictureStore(m_db).Present())
        return;
    const std::string statement = query.BuildStatement(InquiryConditions{
        m_bMember, m_strMember, m_bItem, m_strItem, m_bAccount, nAccount, m_bPictures});
    // One walk forward: the cursor need not keep the rows the list keeps.
    CADORecordset recordset(&m_db);
    if (!recordset.OpenForwardOnly(statement))
        return;
    ListRecords(recordset, query.GetDatePattern());
    recordset.Close();
}

void CInquiryDlg::ListRecords(CADORecordset& recordset, const char* szDatePattern) {
    try {
        ListRows(recordset, szDatePattern);
    } catch (...) {
        // Rows read before a read error are not the answer to the query.
        m_listResult->DeleteAllItems();
        m_totals.Clear();
        throw;
    }
}

void CInquiryDlg::ListRows(CADORecordset& recordset, const char* szDatePattern) {
    // The list keeps each row as its values; the cells are written when they are shown.
    m_rows->Clear(szDatePattern);
    // Few records have receipts: their numbers are read once, not the links of every row.
    const CRecordNumberSet pictures(RecordsWithPictures());
    const RedrawOff redrawOff(m_listResult);
    InquiryRecord record; // its texts keep their room from row to row
    std::string strMemberRoom, strItemRoom;
    // The span of the listed numbers: their accounts are read once the walk is done.
    std::int64_t nLowest = INT64_MAX, nHighest = INT64_MIN;
    // 编号, member, amount, date, category: read in one call, where the cursor holds them.
    ado::ValueView values[5];
    while (!recordset.IsEOF()) {
        record.dtRecord = COleDateTime();
        recordset.GetFieldViews(values, 5);
        // The number as read: its text is written only when a cell shows it.
        record.bNumberId = FieldConversion::ToInteger(values[0], record.nId);
        if (!record.bNumberId)
            FieldConversion::ToText(values[0], "", record.strId);
        record.dAmount = FieldConversion::ToDouble(values[2]);
        record.member = NameOf(values[1], strMemberRoom);
        // Another tool may have stored a text that is no date ("2026-02-30 10:00:00"): it
        // is shown as it stands rather than as the day dates count from.
        record.bDate = FieldConversion::ToDateTime(values[3], record.dtRecord);
        if (!record.bDate)
            FieldConversion::ToText(values[3], "", record.strStoredDate);
        record.item = NameOf(values[4], strItemRoom);
        if (record.bNumberId) {
            nLowest = std::min(nLowest, record.nId);
            nHighest = std::max(nHighest, record.nId);
        }
        record.bPictures = !pictures.Empty() && record.bNumberId && pictures.Contains(record.nId);
        if (m_bTotals)
            m_totals.Add(record.dAmount);
        m_rows->Add(record);
        recordset.MoveNext();
    }
    if (nLowest <= nHighest)
        m_rows->NameAccounts(AccountNames(nLowest, nHighest));
    // The rows go in at once, in the order read, each naming its record.
    m_listResult->AppendItemsFromCells(0, m_rows->GetCount());
}

void CInquiryDlg::ListPreset() {
    m_listResult->DeleteAllItems();
    m_totals.Clear();
    const AtScopeEnd showTotals([this] { ShowTotals(); });

    const InquiryPreset& preset = *m_preset;
    if (preset.bSpan) {
        m_dtFrom = preset.dtLower;
        m_dtTo = preset.dtUpper.AddDays(-1); // 到 shows the last day counted
    }
    m_bMember = preset.member ? 1 : 0;
    m_bItem = preset.item ? 1 : 0;
    UpdateData(false);
    // The exact texts: writing a combo through the exchange would pick an entry that only
    // begins with them.
    if (preset.member)
        m_cbMember->setEditText(QString::fromStdString(*preset.member));
    if (preset.item)
        m_cbItem->setEditText(QString::fromStdString(*preset.item));
    UpdateData(true);

    if (!m_db.IsOpen())
        return;
    CADORecordset recordset(&m_db);
    if (!recordset.OpenForwardOnly(CInquiryQuery::BuildPresetStatement(m_twin, preset)))
        return;
    ListRecords(recordset, m_twin.szQuickDatePattern);
    recordset.Close();
}

std::optional<double> CInquiryDlg::StoredAmount(const std::string& strId) {
    // The totals line keeps nothing per row: an edit asks the store what it replaces.
    if (!m_bTotals)
        return std::nullopt;
    return CListedRecord(m_db, m_twin, strId).StoredAmount();
}

void CInquiryDlg::ShowTotals() {
    if (m_bTotals)
        SetDlgItemText(IDC_TOTALS, m_totals.Text());
}

void CInquiryDlg::OnResultDblClk(ui::NotifyInfo& info) {
    OnEditRecord();
    info.result = 0;
}

void CInquiryDlg::OnResultRClick(ui::NotifyInfo& info) {
    const ui::MenuResource menu = ui::MenuResource::Load(129);
    const QPoint cursor = QCursor::pos();
    dsTrackPopupMenu(menu.GetSubMenu(m_twin.nPopup), 2, cursor.x(), cursor.y(), this, 0);
    info.result = 0;
}

void CInquiryDlg::OnEditRecord() {
    const int nItem = m_listResult->GetFirstSelectedItem();
    if (nItem < 0)
        return;
    const std::string strId = m_listResult->GetItemText(nItem, 0);
    const std::optional<double> stored = StoredAmount(strId);
    const std::optional<EditedRecord> edited = m_twin.RunEditor(this, strId);
    // The editor's 凭证 strip writes at once, even when the edit itself is cancelled.
    if (m_db.IsOpen())
        ShowPictureMark(nItem, strId);
    if (!edited)
        return;
    m_listResult->SetItemText(nItem, 1, CInquiryRowFormatter::Amount(edited->dAmount));
    m_listResult->SetItemText(nItem, 2, edited->strMember);
    // A stored date that does not read as a date and was kept is shown as stored still.
    if (edited->dtRecord.GetStatus() == COleDateTime::valid)
        m_listResult->SetItemText(nItem, 3,
                                  FormatDateTime(edited->dtRecord, m_twin.szEditedDatePattern));
    m_listResult->SetItemText(nItem, 4, edited->strItem);
    if (IsRecordNumber(strId))
        m_listResult->SetItemText(
            nItem, 5,
            CAccountLink::Name(m_db, CAccountLink::Of(m_db, m_twin.szTable,
                                                      std::strtoll(strId.c_str(), nullptr, 10))));
    if (stored) {
        m_totals.Replace(*stored, edited->dAmount);
        ShowTotals();
    }
}

void CInquiryDlg::OnDeleteRecord() {
    const int nItem = m_listResult->GetFirstSelectedItem();
    if (nItem < 0)
        return;
    const std::string strId = m_listResult->GetItemText(nItem, 0);
    ReopenIfClosed();
    double dAmount = 0.0;
    if (CListedRecord(m_db, m_twin, strId).DeleteFromList(this, dAmount)) {
        m_listResult->DeleteItem(nItem);
        m_totals.Remove(dAmount);
        ShowTotals();
    }
}

void CInquiryDlg::OnExport() {
    const int nCount = m_listResult->GetItemCount();
    if (nCount > 0 && !m_db.IsOpen())
        return;
    const std::optional<ExportTarget> target =
        AskExportTarget(this, nCount, m_twin.pRecords->szKind);
    if (!target)
        return;

    // The rows as listed, in the list's current order; the note is read from the store.
    std::vector<std::string> ids;
    ids.reserve(static_cast<size_t>(nCount));
    for (int nItem = 0; nItem < nCount; ++nItem)
        ids.push_back(m_listResult->GetItemText(nItem, 0));
    std::vector<ExchangeRecord> records = ReadRecordsById(m_db, *m_twin.pRecords, ids);
    CountPictures(m_db, *m_twin.pRecords, records);

    std::string strError;
    const bool ok =
        target->bXlsx
            ? ExportRecordsXlsx(target->strPath, {ExportSheet{m_twin.pRecords->szKind, &records}},
                                strError)
            : ExportRecordsCsv(target->strPath, records, strError);
    ui::MessageBox(this, ok ? ExportDoneText(records.size()) : kTextExportFailed + strError);
}
