#include "accounts/BalancesDlg.h"

#include "accounts/AccountBalances.h"
#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "accounts/HistoryDlg.h"
#include "accounts/TransferDlg.h"
#include "controls/ReportCtrl.h"
#include "data/Cents.h"
#include "data/FormatDateTime.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <iterator>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

// The first day of the month `nBack` months before `date`'s, as 'YYYY-MM-DD'.
std::string MonthsBefore(const COleDateTime& date, int nBack) {
    int nMonths = date.GetYear() * 12 + date.GetMonth() - 1 - nBack;
    return FormatDateTime(COleDateTime(nMonths / 12, nMonths % 12 + 1, 1, 0, 0, 0), "%Y-%m-%d");
}

// A month's end as the chart's x value: the last day of the month before the bound.
qreal MonthEndX(const std::string& nextMonth) {
    const QDate bound = QDate::fromString(QString::fromStdString(nextMonth), Qt::ISODate);
    return static_cast<qreal>(QDateTime(bound.addDays(-1), QTime(0, 0)).toMSecsSinceEpoch());
}

} // namespace

QPen CBalancesDlg::LinePen(int nLine) {
    // Ten colours told apart at a glance, none of them near black; after ten the colours
    // come round again dashed, so no two lines look alike.
    static const QColor kColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e),
                                      QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
                                      QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                      QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
                                      QColor(0xbc, 0xbd, 0x22), QColor(0x7f, 0x7f, 0x7f)};
    constexpr int kCount = static_cast<int>(std::size(kColours));
    if (nLine < 0) // 净资产: the one black line, drawn thicker
        return QPen(QBrush(Qt::black), 3);
    static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                           Qt::DashDotLine, Qt::DashDotDotLine};
    QPen pen(QBrush(kColours[nLine % kCount]), 1.5);
    pen.setStyle(kStyles[(nLine / kCount) % std::size(kStyles)]);
    return pen;
}

CBalancesDlg::CBalancesDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listBalances(new CReportCtrl(this)),
      m_chart(new QChartView(this)) {
    UseControl(IDC_LIST, m_listBalances);
    UseControl(IDC_CHART, m_chart);
    OnNotify(IDC_LIST, ui::Notification::DblClk, [this](ui::NotifyInfo&) { OnHistory(); });
    OnCommand(IDC_HISTORY, [this] { OnHistory(); });
    OnCommand(IDC_TRANSFER, [this] { OnTransfer(); });
}

CBalancesDlg::~CBalancesDlg() = default;

bool CBalancesDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listBalances->setAccessibleName(windowTitle());
    m_chart->setAccessibleName(QStringLiteral("图表"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    const double scale = std::max(1.0, ui::DialogUnits(m_listBalances->font()).BaseX() / 6.0);
    m_listBalances->InsertColumn(0, "账户", ui::LVCFMT_LEFT, static_cast<int>(90 * scale));
    m_listBalances->InsertColumn(1, "种类", ui::LVCFMT_LEFT, static_cast<int>(60 * scale));
    m_listBalances->InsertColumn(2, "所有人", ui::LVCFMT_LEFT, static_cast<int>(50 * scale));
    m_listBalances->InsertColumn(3, "余额", ui::LVCFMT_RIGHT, static_cast<int>(90 * scale));
    m_db.SetConnectionString(kConnection);
    if (m_db.Open())
        Reload();
    return true;
}

void CBalancesDlg::Reload() {
    m_accounts = CAccountStore(m_db).Load();
    const std::map<std::int64_t, std::int64_t> balances = CAccountBalances(m_db).Now(m_accounts);
    m_listBalances->DeleteAllItems();
    for (const CAccount& account : m_accounts)
        m_listBalances->InsertItem(m_listBalances->GetItemCount(), account.strName, account.strKind,
                                   account.strOwner, CCents::Text(balances.at(account.nId)));
    const CAccountBalances::Totals totals = CAccountBalances::Sum(balances);
    SetDlgItemText(IDC_TOTALS, std::string(AccountTexts::kAssets) + "：" +
                                   CCents::Text(totals.nAssets) + "    " + AccountTexts::kDebts +
                                   "：" + CCents::Text(totals.nDebts) + "\n" +
                                   AccountTexts::kNetWorth + "：" + CCents::Text(totals.nNet));
    DrawChart();
}

void CBalancesDlg::DrawChart() {
    auto* chart = new QChart();
    chart->setTitle(QStringLiteral("月末余额"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    const COleDateTime now = COleDateTime::GetCurrentTime();
    const std::string first = MonthsBefore(now, kChartMonths - 1);
    const std::vector<std::string> bounds =
        CAccountBalances::MonthBounds(first, FormatDateTime(now, "%Y-%m-%d"));
    std::vector<CAccountBalances::MonthEnd> months =
        CAccountBalances(m_db).MonthEnds(m_accounts, bounds);
    // The chart starts where the ledger's money does: months with every balance 0 (before
    // any account held anything) say nothing.
    const auto firstHeld =
        std::find_if(months.begin(), months.end(), [](const CAccountBalances::MonthEnd& month) {
            return std::any_of(month.balances.begin(), month.balances.end(),
                               [](const auto& balance) { return balance.second != 0; });
        });
    months.erase(months.begin(), std::min(firstHeld, months.end() - (months.empty() ? 0 : 1)));
    auto* axisX = new QDateTimeAxis;
    axisX->setFormat(QStringLiteral("yyyy-MM"));
    auto* axisY = new QValueAxis;
    axisY->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    // The axis spans every line, not only the first one attached to it.
    qreal dLowest = 0, dHighest = 0;
    const auto addSeries = [&](const QString& name, const auto& valueOf, int nLine) {
        auto* series = new QLineSeries;
        series->setName(name);
        for (const CAccountBalances::MonthEnd& month : months)
            series->append(MonthEndX(month.strNextMonth),
                           static_cast<qreal>(valueOf(month)) / 100.0);
        chart->addSeries(series);
        // Set after it joins the chart, whose theme would otherwise paint over it.
        series->setPen(LinePen(nLine));
        series->attachAxis(axisX);
        series->attachAxis(axisY);
        for (const QPointF& point : series->points()) {
            dLowest = std::min(dLowest, point.y());
            dHighest = std::max(dHighest, point.y());
        }
    };
    addSeries(
        QString::fromUtf8(AccountTexts::kNetWorth),
        [](const CAccountBalances::MonthEnd& month) { return month.nNet; }, -1);
    int nLine = 0;
    for (const CAccount& account : m_accounts)
        if (!account.bStopped)
            addSeries(
                QString::fromStdString(account.strName),
                [&account](const CAccountBalances::MonthEnd& month) {
                    return month.balances.at(account.nId);
                },
                nLine++);
    axisY->setRange(dLowest, dHighest > dLowest ? dHighest : dLowest + 1);
    axisY->applyNiceNumbers();
    QChart* previous = m_chart->chart();
    m_chart->setChart(chart);
    delete previous;
}

void CBalancesDlg::OnHistory() {
    const int nRow = m_listBalances->GetFirstSelectedItem();
    if (nRow < 0 || nRow >= static_cast<int>(m_accounts.size()))
        return;
    CHistoryDlg dlg(this);
    dlg.m_nAccountId = m_accounts[static_cast<size_t>(nRow)].nId;
    dlg.DoModal();
    Reload();
}

void CBalancesDlg::OnTransfer() {
    CTransferDlg dlg(this);
    dlg.DoModal();
    Reload();
}
