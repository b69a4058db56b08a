#include "search/SearchDlg.h"

#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "exchange/ExchangeTexts.h"
#include "exchange/RecordExport.h"
#include "exchange/RecordReader.h"
#include "exchange/RecordTable.h"
#include "inquiry/ExportTarget.h"
#include "inquiry/InquiryTwin.h"
#include "inquiry/ListedRecord.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageBox.h"
#include "search/SearchExport.h"
#include "search/SearchRows.h"
#include "stats/StatisticsPeriod.h"

#include <QCursor>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";
const char* const kTextIndexing = "正在建立搜索索引，请稍候…";

} // namespace

CSearchDlg::CSearchDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listResult(new CReportCtrl(this)),
      m_dtFrom(COleDateTime::GetCurrentTime()), m_dtTo(COleDateTime::GetCurrentTime()),
      m_rows(std::make_shared<CSearchRows>()), m_timer(new QTimer(this)) {
    m_listResult->SetCells(m_rows);
    UseControl(IDC_RESULT, m_listResult);
    m_timer->setSingleShot(true);
    m_timer->setInterval(kPauseMs);
    connect(m_timer, &QTimer::timeout, this, [this] { OnSearch(); });
    for (int id : {IDC_THIS_MONTH, IDC_THIS_YEAR, IDC_ALL, IDC_INTERVAL})
        OnCommand(id, [this] { OnSearch(); });
    OnCommand(IDC_EXPORT, [this] { OnExport(); });
    for (const InquiryTwin* twin : {&kIncomeInquiry, &kPayInquiry}) {
        OnCommand(twin->nEditCommand, [this] { OnEditRecord(); });
        OnCommand(twin->nDeleteCommand, [this] { OnDeleteRecord(); });
    }
    OnNotify(IDC_RESULT, ui::Notification::DblClk,
             [this](ui::NotifyInfo& info) { OnResultDblClk(info); });
    OnNotify(IDC_RESULT, ui::Notification::RClick,
             [this](ui::NotifyInfo& info) { OnResultRClick(info); });
}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    ui::DDX_Radio(dx, IDC_THIS_MONTH, m_nPeriod);
    ui::DDX_DateTimeCtrl(dx, IDC_FROM, m_dtFrom);
    ui::DDX_DateTimeCtrl(dx, IDC_TO, m_dtTo);
}

bool CSearchDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listResult->setAccessibleName(windowTitle());
    auto* edit = Item<QLineEdit>(IDC_TEXT);
    edit->setAccessibleName(windowTitle());
    edit->setClearButtonEnabled(true);
    connect(edit, &QLineEdit::textChanged, this, [this] { OnTextChanged(); });
    for (auto [id, name] : {std::pair{IDC_FROM, "从"}, std::pair{IDC_TO, "到"}}) {
        Item<ui::DateTimePicker>(id)->setAccessibleName(QString::fromUtf8(name));
        connect(Item<ui::DateTimePicker>(id), &QDateEdit::dateChanged, this,
                [this] { OnTextChanged(); });
    }

    // As in the inquiry, 宋体's 6-pixel characters set the widths; a wider font widens them.
    const double scale = std::max(1.0, ui::DialogUnits(m_listResult->font()).BaseX() / 6.0);
    const auto width = [scale](int nPixels) { return static_cast<int>(nPixels * scale + 0.5); };
    const int widths[CSearchRows::ColumnCount] = {40, 50, 70, 60, 100, 70, 170};
    for (int nColumn = 0; nColumn < CSearchRows::ColumnCount; ++nColumn)
        m_listResult->InsertColumn(nColumn, CSearchRows::kHeadings[nColumn], ui::LVCFMT_LEFT,
                                   width(widths[nColumn]));

    m_dtFrom = COleDateTime(m_dtFrom.GetYear(), m_dtFrom.GetMonth(), 1, 0, 0, 0);
    UpdateData(false);
    EnableItem(IDC_FROM, false);
    EnableItem(IDC_TO, false);
    m_db.SetConnectionString(kConnection);
    m_worker = std::make_unique<CSearchWorker>(kConnection, [this](SearchAnswer answer) {
        QMetaObject::invokeMethod(
            this, [this, answer = std::move(answer)]() mutable { OnAnswer(std::move(answer)); },
            Qt::QueuedConnection);
    });
    edit->setFocus();
    // The row actions work on the window's own connection; the searches on the worker's.
    m_db.Open();
    return true;
}

void CSearchDlg::OnOK() {
    OnSearch();
}

void CSearchDlg::OnTextChanged() {
    m_timer->start();
}

void CSearchDlg::OnSearch() {
    m_timer->stop();
    UpdateData(true);
    const bool bInterval = m_nPeriod == static_cast<int>(StatisticsPeriod::Interval);
    EnableItem(IDC_FROM, bInterval);
    EnableItem(IDC_TO, bInterval);
    const InquiryPreset scope =
        CStatisticsPeriod::Scope(static_cast<StatisticsPeriod>(std::max(0, m_nPeriod)),
                                 COleDateTime::GetCurrentTime(), m_dtFrom, m_dtTo);
    SearchRequest request;
    request.nTicket = ++m_nTicket;
    request.strText = GetDlgItemText(IDC_TEXT);
    if (scope.bSpan)
        request.span = SearchSpan{scope.dtLower, scope.dtUpper};
    m_worker->Ask(std::move(request));
}

void CSearchDlg::OnAnswer(SearchAnswer answer) {
    // A text typed since then has its own search coming.
    if (answer.nTicket != m_nTicket)
        return;
    if (answer.bIndexing) {
        SetDlgItemText(IDC_TOTALS, kTextIndexing);
        return;
    }
    ++m_nAnswers;
    m_listResult->DeleteAllItems();
    m_listed.clear();
    m_rows->Set(std::move(answer.rows));
    for (std::size_t i = 0; i < m_rows->Rows().size(); ++i)
        m_listed[{m_rows->Rows()[i].nKind, m_rows->Rows()[i].nId}] = i;
    m_listResult->SetRedraw(false);
    m_listResult->AppendItemsFromCells(0, m_rows->GetCount());
    m_listResult->SetRedraw(true);
    ShowTotals();
    if (!answer.strError.empty())
        ui::MessageBox(this, answer.strError);
}

void CSearchDlg::ShowTotals() {
    std::vector<const SearchRow*> rows;
    rows.reserve(m_listed.size());
    for (const auto& [key, nIndex] : m_listed)
        rows.push_back(&m_rows->Rows()[nIndex]);
    SetDlgItemText(IDC_TOTALS, CSearchRows::TotalsText(rows));
}

const InquiryTwin& CSearchDlg::TwinOf(int nKind) {
    return nKind == 0 ? kIncomeInquiry : kPayInquiry;
}

bool CSearchDlg::SelectedRecord(int& nItem, int& nKind, std::string& strId) const {
    nItem = m_listResult->GetFirstSelectedItem();
    if (nItem < 0)
        return false;
    nKind = m_listResult->GetItemText(nItem, CSearchRows::ColumnKind) == SearchKindText(0) ? 0 : 1;
    strId = m_listResult->GetItemText(nItem, CSearchRows::ColumnId);
    return true;
}

void CSearchDlg::OnResultDblClk(ui::NotifyInfo& info) {
    OnEditRecord();
    info.result = 0;
}

void CSearchDlg::OnResultRClick(ui::NotifyInfo& info) {
    int nItem = 0, nKind = 0;
    std::string strId;
    // The menu of the row's kind; with no row, the expense menu, whose commands then do
    // nothing.
    if (!SelectedRecord(nItem, nKind, strId))
        nKind = 1;
    const ui::MenuResource menu = ui::MenuResource::Load(129);
    const QPoint cursor = QCursor::pos();
    dsTrackPopupMenu(menu.GetSubMenu(TwinOf(nKind).nPopup), 2, cursor.x(), cursor.y(), this, 0);
    info.result = 0;
}

void CSearchDlg::OnEditRecord() {
    int nItem = 0, nKind = 0;
    std::string strId;
    if (!SelectedRecord(nItem, nKind, strId))
        return;
    if (!TwinOf(nKind).RunEditor(this, strId))
        return;
    Refresh(nItem, nKind, strId);
}

void CSearchDlg::Refresh(int nItem, int nKind, const std::string& strId) {
    // The editor wrote the record: the row shows it as now stored, its note included.
    if (!m_db.IsOpen() && !m_db.Open())
        return;
    const std::vector<ExchangeRecord> stored =
        ReadRecordsById(m_db, *TwinOf(nKind).pRecords, {strId});
    const auto listed = m_listed.find({nKind, std::stoll(strId)});
    if (stored.empty() || listed == m_listed.end())
        return;
    SearchRow& row = m_rows->Rows()[listed->second];
    row.dAmount = stored[0].dAmount;
    row.strMember = stored[0].strMember;
    row.bDate = stored[0].dtRecord.GetStatus() == COleDateTime::valid;
    if (row.bDate)
        row.dtRecord = stored[0].dtRecord;
    row.strItem = stored[0].strItem;
    row.strNote = stored[0].strNote;
    for (int nColumn = CSearchRows::ColumnAmount; nColumn < CSearchRows::ColumnCount; ++nColumn)
        m_listResult->SetItemText(nItem, nColumn, m_rows->Text(listed->second, nColumn));
    ShowTotals();
}

void CSearchDlg::OnDeleteRecord() {
    int nItem = 0, nKind = 0;
    std::string strId;
    if (!SelectedRecord(nItem, nKind, strId))
        return;
    if (!m_db.IsOpen() && !m_db.Open())
        return;
    double dAmount = 0.0;
    if (CListedRecord(m_db, TwinOf(nKind), strId).DeleteFromList(this, dAmount)) {
        m_listResult->DeleteItem(nItem);
        m_listed.erase({nKind, std::stoll(strId)});
        ShowTotals();
    }
}

void CSearchDlg::OnExport() {
    const int nCount = m_listResult->GetItemCount();
    if (nCount > 0 && !m_db.IsOpen() && !m_db.Open())
        return;
    const std::optional<ExportTarget> target =
        AskExportTarget(this, nCount, windowTitle().toStdString());
    if (!target)
        return;

    // The rows as listed, in the list's current order; each record as stored.
    std::vector<std::string> ids[2];
    std::vector<int> kinds;
    for (int nItem = 0; nItem < nCount; ++nItem) {
        const int nKind =
            m_listResult->GetItemText(nItem, CSearchRows::ColumnKind) == SearchKindText(0) ? 0 : 1;
        kinds.push_back(nKind);
        ids[nKind].push_back(m_listResult->GetItemText(nItem, CSearchRows::ColumnId));
    }
    std::vector<ExchangeRecord> records[2] = {ReadRecordsById(m_db, kIncomeRecords, ids[0]),
                                              ReadRecordsById(m_db, kPayRecords, ids[1])};
    CountPictures(m_db, kIncomeRecords, records[0]);
    CountPictures(m_db, kPayRecords, records[1]);

    std::string strError;
    bool ok = false;
    std::size_t nWritten = records[0].size() + records[1].size();
    if (target->bXlsx) {
        std::vector<ExportSheet> sheets;
        for (int nKind : {0, 1})
            if (!records[nKind].empty())
                sheets.push_back({SearchKindText(nKind), &records[nKind]});
        ok = ExportRecordsXlsx(target->strPath, sheets, strError);
    } else {
        std::vector<std::pair<int, ExchangeRecord>> ordered;
        std::size_t next[2] = {0, 0};
        for (const int nKind : kinds)
            if (next[nKind] < records[nKind].size())
                ordered.emplace_back(nKind, records[nKind][next[nKind]++]);
        ok = ExportSearchCsv(target->strPath, ordered, strError);
    }
    ui::MessageBox(this, ok ? ExportDoneText(nWritten) : kTextExportFailed + strError);
}
