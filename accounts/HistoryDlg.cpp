#include "accounts/HistoryDlg.h"

#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "accounts/ReconcileDlg.h"
#include "accounts/Reconciliation.h"
#include "accounts/TransferDlg.h"
#include "accounts/TransferStore.h"
#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "data/Cents.h"
#include "data/NumberText.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ListCells.h"
#include "platform/ui/MessageBox.h"
#include "records/NormalIncomEditDlg.h"
#include "records/PayEditDlg.h"
#include "records/RecordWriter.h"

#include <algorithm>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";
const char* const kDeleteRecordQuestion = "确定要删除这条记录吗？";

} // namespace

// Row 0 is the opening balance, row n the n-th item.
class CHistoryDlg::CHistoryCells : public ui::ListCells {
public:
    CHistoryCells(const CAccount& account, const std::vector<CHistoryItem>& items)
        : m_account(account), m_items(items) {}

    std::string Text(std::uint32_t nRow, int nColumn) const override {
        if (nRow == 0) {
            switch (nColumn) {
            case 0:
                return m_account.strOpeningDate;
            case 1:
                return AccountTexts::kOpening;
            case 4:
                return CCents::Text(m_account.nOpening);
            default:
                return {};
            }
        }
        if (nRow > m_items.size())
            return {};
        const CHistoryItem& item = m_items[nRow - 1];
        switch (nColumn) {
        case 0:
            return item.strDate;
        case 1:
            return item.strWhat;
        case 2:
            return item.strMember;
        case 3:
            return CCents::Text(item.nAmount);
        case 4:
            return CCents::Text(item.nBalance);
        case 5:
            return item.strReconciled.substr(0, 10);
        case 6:
            return item.strNote;
        default:
            return {};
        }
    }

private:
    const CAccount& m_account;
    const std::vector<CHistoryItem>& m_items;
};

CHistoryDlg::CHistoryDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listHistory(new CReportCtrl(this)),
      m_cells(std::make_shared<CHistoryCells>(m_account, m_items)) {
    m_listHistory->SetCells(m_cells);
    UseControl(IDC_LIST, m_listHistory);
    OnNotify(IDC_LIST, ui::Notification::DblClk, [this](ui::NotifyInfo&) { OnEdit(); });
    OnCommand(IDC_TRANSFER, [this] { OnTransfer(); });
    OnCommand(IDC_EDIT, [this] { OnEdit(); });
    OnCommand(IDC_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_RECONCILE, [this] { OnReconcile(); });
}

CHistoryDlg::~CHistoryDlg() = default;

bool CHistoryDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listHistory->setAccessibleName(windowTitle());
    const double scale = std::max(1.0, ui::DialogUnits(m_listHistory->font()).BaseX() / 6.0);
    const struct {
        const char* heading;
        int format;
        int width;
    } columns[] = {{"日期", ui::LVCFMT_LEFT, 130},    {"类别", ui::LVCFMT_LEFT, 110},
                   {"家庭成员", ui::LVCFMT_LEFT, 60}, {"金额", ui::LVCFMT_RIGHT, 80},
                   {"余额", ui::LVCFMT_RIGHT, 90},    {"对账", ui::LVCFMT_LEFT, 80},
                   {"备注", ui::LVCFMT_LEFT, 120}};
    for (int i = 0; i < static_cast<int>(std::size(columns)); ++i)
        m_listHistory->InsertColumn(i, columns[i].heading, columns[i].format,
                                    static_cast<int>(columns[i].width * scale));
    m_db.SetConnectionString(kConnection);
    if (m_db.Open())
        Reload();
    return true;
}

void CHistoryDlg::Reload() {
    m_names.clear();
    for (const CAccount& account : CAccountStore(m_db).Load()) {
        m_names[account.nId] = account.strName;
        if (account.nId == m_nAccountId)
            m_account = account;
    }
    if (m_account.nId == 0)
        return;
    setWindowTitle(QString::fromStdString("账户明细 - " + m_account.strName));
    m_listHistory->DeleteAllItems();
    m_items = CAccountHistory(m_db).Load(m_account, m_names);
    m_listHistory->AppendItemsFromCells(0, static_cast<std::uint32_t>(m_items.size() + 1));
    const std::int64_t nBalance = m_items.empty() ? m_account.nOpening : m_items.back().nBalance;
    std::string summary =
        m_account.strName + "（" + m_account.strKind + "）  余额：" + CCents::Text(nBalance);
    const auto [strDate, nReconciled] = CReconciliation::Last(m_db, m_account.nId);
    summary += strDate.empty() ? std::string("  尚未对账")
                               : "  上次对账：" + strDate + "，余额 " + CCents::Text(nReconciled);
    SetDlgItemText(IDC_SUMMARY, summary);
}

const CHistoryItem* CHistoryDlg::Selected() const {
    // The row's item is found through its cells row, whatever order a sort put it in; row 0
    // is the opening balance.
    const int nRow = m_listHistory->GetFirstSelectedItem();
    if (nRow < 0)
        return nullptr;
    const long nCells = m_listHistory->GetCellsRow(nRow);
    if (nCells < 1 || nCells > static_cast<long>(m_items.size()))
        return nullptr;
    return &m_items[static_cast<size_t>(nCells - 1)];
}

void CHistoryDlg::OnTransfer() {
    CTransferDlg dlg(this);
    dlg.DoModal();
    Reload();
}

void CHistoryDlg::OnEdit() {
    const CHistoryItem* item = Selected();
    if (item == nullptr)
        return;
    if (item->strTable == "accountTransfer") {
        CTransferDlg dlg(this);
        dlg.m_nTransferId = item->nId;
        dlg.DoModal();
    } else if (item->strTable == "normalIncome") {
        CNormalIncomEditDlg dlg(this);
        dlg.m_strId = NumberText::Itoa(item->nId);
        dlg.DoModal();
    } else {
        CPayEditDlg dlg(this);
        dlg.m_strId = NumberText::Itoa(item->nId);
        dlg.DoModal();
    }
    Reload();
}

void CHistoryDlg::OnDelete() {
    const CHistoryItem* item = Selected();
    if (item == nullptr || !m_db.IsOpen())
        return;
    const bool bTransfer = item->strTable == "accountTransfer";
    const char* question = !item->strReconciled.empty() ? CRecordWriter::kReconciledDeleteQuestion
                           : bTransfer                  ? AccountTexts::kDeleteTransferQuestion
                                                        : kDeleteRecordQuestion;
    if (ui::AskYesNo(this, question) != ui::IDYES)
        return;
    if (bTransfer)
        CTransferStore(m_db).Remove(item->nId);
    else
        CADORecordset(&m_db).Open("DELETE FROM " + item->strTable +
                                      " WHERE 编号 = " + NumberText::Itoa(item->nId),
                                  CADORecordset::ModeUnknown);
    Reload();
}

void CHistoryDlg::OnReconcile() {
    if (m_account.nId == 0)
        return;
    CReconcileDlg dlg(this);
    dlg.m_nAccountId = m_account.nId;
    dlg.DoModal();
    Reload();
}
