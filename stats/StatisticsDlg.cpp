#include "stats/StatisticsDlg.h"

#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "exchange/CsvWriter.h"
#include "exchange/ExchangeTexts.h"
#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/FileDialog.h"
#include "stats/StatisticsChart.h"
#include "stats/StatisticsPeriod.h"

#include <QComboBox>
#include <QPixmap>
#include <QSaveFile>

#include <algorithm>
#include <exception>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

// The table's headings, also the first line of its export.
const char* const kHeadings[] = {"分组", "收入", "支出", "结余"};

const char* const kTextSaveChartCaption = "保存图表";
const char* const kFilterPng = "PNG 图片 (*.png)";
const char* const kChartFileName = "收支统计.png";
const char* const kTextChartSaved = "图表已保存！";
const char* const kTextChartNotSaved = "图表保存失败！\n";
const char* const kTextExportTableCaption = "导出统计表";
const char* const kTableFileName = "收支统计.csv";
const char* const kTextTableExported = "统计表已导出！";

// Which inquiry a double-click opens: the one of the clicked amount's column, else the
// one the row stands for; a row of both goes to its expense, where the money went.
bool OpensIncome(const StatisticsRow& row, int nColumn) {
    if (nColumn == 1 && row.bIncome)
        return true;
    if (nColumn == 2 && row.bExpense)
        return false;
    if (!row.bExpense)
        return true;
    if (!row.bIncome)
        return false;
    return row.nExpense == 0 && row.nIncome > 0;
}

CStatisticsDlg::ViewFactory& BudgetViewFactory() {
    static CStatisticsDlg::ViewFactory factory;
    return factory;
}

} // namespace

CStatisticsDlg::CStatisticsDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listResult(new CReportCtrl(this)),
      m_chart(new CStatisticsChart(this)), m_dtFrom(COleDateTime::GetCurrentTime()),
      m_dtTo(COleDateTime::GetCurrentTime()) {
    UseControl(IDC_RESULT, m_listResult);
    UseControl(IDC_CHART, m_chart);
    for (int id : {IDC_THIS_MONTH, IDC_THIS_YEAR, IDC_ALL, IDC_INTERVAL, IDC_BY_MONTH,
                   IDC_BY_CATEGORY, IDC_BY_MEMBER, IDC_BY_ACCOUNT, IDC_MEMBER_CHECK, IDC_COUNT})
        OnCommand(id, [this] { OnCount(); });
    OnCommand(IDC_BUDGET, [this] { OnBudget(); });
    OnCommand(IDC_SAVE_CHART, [this] { OnSaveChart(); });
    OnCommand(IDC_EXPORT, [this] { OnExport(); });
    OnNotify(IDC_MEMBER, ui::Notification::SelChange, [this](ui::NotifyInfo&) { OnCount(); });
    OnNotify(IDC_RESULT, ui::Notification::DblClk,
             [this](ui::NotifyInfo& info) { OnResultDblClk(info); });
    OnNotify(IDC_RESULT, ui::Notification::ColumnClick,
             [this](ui::NotifyInfo& info) { OnResultColumnClick(info); });
}

CStatisticsDlg::~CStatisticsDlg() = default;

void CStatisticsDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    ui::DDX_Radio(dx, IDC_THIS_MONTH, m_nPeriod);
    ui::DDX_Radio(dx, IDC_BY_MONTH, m_nGrouping);
    ui::DDX_DateTimeCtrl(dx, IDC_FROM, m_dtFrom);
    ui::DDX_DateTimeCtrl(dx, IDC_TO, m_dtTo);
    ui::DDX_Check(dx, IDC_MEMBER_CHECK, m_bMember);
    ui::DDX_CBString(dx, IDC_MEMBER, m_strMember);
}

bool CStatisticsDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    dsSkinWindow(GetDlgItem(IDC_COUNT), SkinPushButton, "buttonSearch", 1);
    m_cbMember = Item<QComboBox>(IDC_MEMBER);
    GetDlgItem(IDC_BUDGET)->setVisible(static_cast<bool>(BudgetViewFactory()));
    m_listResult->setAccessibleName(windowTitle());

    // As in the inquiry, 宋体's 6-pixel characters set the widths; a wider font widens them.
    const double scale = std::max(1.0, ui::DialogUnits(m_listResult->font()).BaseX() / 6.0);
    const auto width = [scale](int nPixels) { return static_cast<int>(nPixels * scale + 0.5); };
    m_listResult->InsertColumn(0, kHeadings[0], ui::LVCFMT_LEFT, width(100));
    for (int nColumn = 1; nColumn < 4; ++nColumn)
        m_listResult->InsertColumn(nColumn, kHeadings[nColumn], ui::LVCFMT_RIGHT, width(76));

    m_dtFrom = COleDateTime(m_dtFrom.GetYear(), m_dtFrom.GetMonth(), 1, 0, 0, 0);
    std::exception_ptr error;
    m_db.SetConnectionString(kConnection);
    try {
        if (m_db.Open())
            FillMembers();
    } catch (...) {
        error = std::current_exception();
    }
    UpdateData(false);
    m_cbMember->setCurrentIndex(0);
    if (error)
        std::rethrow_exception(error);
    OnCount(); // 今年 by month, as the window opens
    return true;
}

void CStatisticsDlg::FillMembers() {
    CADORecordset recordset(&m_db);
    if (!recordset.Open("家庭成员", CADORecordset::ModeTable))
        return;
    while (!recordset.IsEOF()) {
        std::string strEntry;
        recordset.GetFieldValue(1, strEntry);
        m_cbMember->addItem(QString::fromStdString(strEntry));
        recordset.MoveNext();
    }
    recordset.Close();
}

std::vector<std::string> CStatisticsDlg::Cells(const StatisticsRow& row) {
    return {row.strGroup, row.income.Text(), row.expense.Text(), row.Balance().Text()};
}

void CStatisticsDlg::SetBudgetView(ViewFactory factory) {
    BudgetViewFactory() = std::move(factory);
}

void CStatisticsDlg::OnBudget() {
    if (!BudgetViewFactory() || !m_db.IsOpen())
        return;
    delete m_budgetView; // made afresh, so it shows what the ledger holds now
    m_budgetView = nullptr;
    m_budgetView = BudgetViewFactory()(this, m_db);
    m_budgetView->setGeometry(m_listResult->geometry().united(m_chart->geometry()));
    m_listResult->hide();
    m_chart->hide();
    m_budgetView->show();
    EnableTableControls(false);
}

// The period, saving the chart and exporting the table are of the table and chart: the
// budget view has its own month and neither.
void CStatisticsDlg::EnableTableControls(bool bEnable) {
    for (int id : {IDC_THIS_MONTH, IDC_THIS_YEAR, IDC_ALL, IDC_INTERVAL, IDC_SAVE_CHART, IDC_EXPORT})
        EnableItem(id, bEnable);
    // The dates count only for 区间.
    const bool bInterval = m_nPeriod == static_cast<int>(StatisticsPeriod::Interval);
    EnableItem(IDC_FROM, bEnable && bInterval);
    EnableItem(IDC_TO, bEnable && bInterval);
}

void CStatisticsDlg::OnCount() {
    // Any choice of period or grouping brings the table and chart back.
    delete m_budgetView;
    m_budgetView = nullptr;
    m_listResult->show();
    m_chart->show();
    m_listResult->DeleteAllItems();
    m_rows.clear();
    UpdateData(true);
    EnableTableControls(true);

    InquiryPreset scope =
        CStatisticsPeriod::Scope(static_cast<StatisticsPeriod>(std::max(0, m_nPeriod)),
                                 COleDateTime::GetCurrentTime(), m_dtFrom, m_dtTo);
    if (m_bMember != 0 && !m_strMember.empty())
        scope.member = m_strMember;
    const auto grouping = static_cast<StatisticsGrouping>(std::max(0, m_nGrouping));

    // An engine error leaves an empty table and chart, not half of them.
    std::vector<StatisticsRow> rows;
    try {
        rows = CStatisticsQuery(m_db).Run(grouping, scope);
    } catch (...) {
        m_chart->Show(grouping, {});
        throw;
    }
    m_chart->Show(grouping, rows);
    rows.push_back(CStatisticsQuery::Total(rows, scope));
    m_rows = std::move(rows);
    for (const StatisticsRow& row : m_rows)
        m_listResult->InsertItem(m_listResult->GetItemCount(), Cells(row));
}

const StatisticsRow* CStatisticsDlg::RowOfItem(int nItem) const {
    if (nItem < 0 || nItem >= m_listResult->GetItemCount())
        return nullptr;
    std::vector<std::string> cells;
    for (int nColumn = 0; nColumn < 4; ++nColumn)
        cells.push_back(m_listResult->GetItemText(nItem, nColumn));
    // A sort moves the rows; their texts tell which group each is.
    for (const StatisticsRow& row : m_rows)
        if (Cells(row) == cells)
            return &row;
    return nullptr;
}

void CStatisticsDlg::OnResultDblClk(ui::NotifyInfo& info) {
    info.result = 0;
    const int nItem = info.item >= 0 ? info.item : m_listResult->GetFirstSelectedItem();
    const StatisticsRow* row = RowOfItem(nItem);
    if (row == nullptr || !row->preset)
        return;
    const int nColumn =
        m_listResult->columnAt(m_listResult->viewport()->mapFromGlobal(info.screenPos).x());
    const InquiryPreset preset = *row->preset; // the rows may be counted again meanwhile
    if (OpensIncome(*row, nColumn)) {
        CIncomeInquiryDlg inquiry(this);
        inquiry.SetPreset(preset);
        inquiry.DoModal();
    } else {
        CPayInquiryDlg inquiry(this);
        inquiry.SetPreset(preset);
        inquiry.DoModal();
    }
}

void CStatisticsDlg::OnResultColumnClick(ui::NotifyInfo&) {
    KeepTotalLast();
}

void CStatisticsDlg::KeepTotalLast() {
    // The list has just been sorted; 合计 goes back under the groups.
    if (m_rows.empty())
        return;
    const std::vector<std::string> total = Cells(m_rows.back());
    const int nCount = m_listResult->GetItemCount();
    for (int nItem = nCount - 1; nItem >= 0; --nItem) {
        bool bTotal = true;
        for (int nColumn = 0; nColumn < 4 && bTotal; ++nColumn)
            bTotal =
                m_listResult->GetItemText(nItem, nColumn) == total[static_cast<size_t>(nColumn)];
        if (bTotal) {
            m_listResult->MoveDown(nItem, nCount - 1 - nItem);
            return;
        }
    }
}

void CStatisticsDlg::OnSaveChart() {
    ui::FileDialogRequest request;
    request.bSave = true;
    request.strCaption = kTextSaveChartCaption;
    request.filters = {kFilterPng};
    request.strFileName = kChartFileName;
    const std::optional<ui::FileDialogAnswer> answer = ui::GetFileName(this, request);
    if (!answer)
        return;
    // Written aside and moved into place: a failed save leaves any earlier file as it was.
    QSaveFile file(QString::fromStdString(answer->strPath));
    const bool bSaved =
        file.open(QIODevice::WriteOnly) && m_chart->grab().save(&file, "PNG") && file.commit();
    ui::MessageBox(this, bSaved ? std::string(kTextChartSaved)
                                : kTextChartNotSaved + file.errorString().toStdString());
}

void CStatisticsDlg::OnExport() {
    ui::FileDialogRequest request;
    request.bSave = true;
    request.strCaption = kTextExportTableCaption;
    request.filters = {kFilterCsv};
    request.strFileName = kTableFileName;
    const std::optional<ui::FileDialogAnswer> answer = ui::GetFileName(this, request);
    if (!answer)
        return;
    // The table as shown: its headings, then its rows in the order of the last sort.
    CCsvWriter writer;
    bool bWritten = writer.Open(answer->strPath);
    if (bWritten) {
        writer.WriteRow({kHeadings[0], kHeadings[1], kHeadings[2], kHeadings[3]});
        for (int nItem = 0; nItem < m_listResult->GetItemCount(); ++nItem) {
            std::vector<std::string> cells;
            for (int nColumn = 0; nColumn < 4; ++nColumn)
                cells.push_back(m_listResult->GetItemText(nItem, nColumn));
            writer.WriteRow(cells);
        }
        bWritten = writer.Commit();
    }
    ui::MessageBox(this, bWritten ? std::string(kTextTableExported)
                                  : kTextExportFailed + writer.GetLastError());
}
