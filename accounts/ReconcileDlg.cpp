#include "accounts/ReconcileDlg.h"

#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "controls/ReportCtrl.h"
#include "data/Cents.h"
#include "data/FormatDateTime.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ListModel.h"
#include "platform/ui/MessageBox.h"
#include "records/RecordWriter.h"

#include <algorithm>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

} // namespace

CReconcileDlg::CReconcileDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listItems(new CReportCtrl(this)) {
    UseControl(IDC_ITEMS, m_listItems);
    OnCommand(IDC_LIST_ITEMS, [this] { OnList(); });
    OnCommand(IDC_FINISH, [this] { OnFinish(); });
    OnCommand(IDC_ADJUST, [this] { OnAdjust(); });
}

CReconcileDlg::~CReconcileDlg() = default;

bool CReconcileDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listItems->setAccessibleName(windowTitle());
    m_listItems->SetExtendedStyle(m_listItems->GetExtendedStyle() | ui::LVS_EX_CHECKBOXES);
    const double scale = std::max(1.0, ui::DialogUnits(m_listItems->font()).BaseX() / 6.0);
    m_listItems->InsertColumn(0, "日期", ui::LVCFMT_LEFT, static_cast<int>(140 * scale));
    m_listItems->InsertColumn(1, "类别", ui::LVCFMT_LEFT, static_cast<int>(120 * scale));
    m_listItems->InsertColumn(2, "金额", ui::LVCFMT_RIGHT, static_cast<int>(90 * scale));
    m_listItems->InsertColumn(3, "备注", ui::LVCFMT_LEFT, static_cast<int>(150 * scale));
    connect(m_listItems->GetListModel(), &QAbstractItemModel::dataChanged, this,
            [this] { OnTicked(); });
    m_db.SetConnectionString(kConnection);
    if (m_db.Open())
        for (const CAccount& account : CAccountStore(m_db).Load())
            if (account.nId == m_nAccountId) {
                setWindowTitle(QString::fromStdString("对账 - " + account.strName));
                std::map<std::int64_t, std::string> names;
                for (const CAccount& other : CAccountStore(m_db).Load())
                    names[other.nId] = other.strName;
                m_check = std::make_unique<CReconciliation>(m_db, account, names);
            }
    return true;
}

void CReconcileDlg::OnList() {
    if (!m_check)
        return;
    std::int64_t nStatement = 0;
    if (CRecordWriter::ParseCents(GetDlgItemText(IDC_BALANCE), nStatement) !=
        CRecordWriter::Added) {
        ui::MessageBox(this, AccountTexts::kAmountInvalid);
        return;
    }
    m_bListed = true;
    m_check->Start(FormatDateTime(Item<ui::DateTimePicker>(IDC_DATE)->GetTime(), "%Y-%m-%d"),
                   nStatement);
    m_listItems->DeleteAllItems();
    for (const CHistoryItem& item : m_check->Items())
        m_listItems->InsertItem(m_listItems->GetItemCount(), item.strDate, item.strWhat,
                                CCents::Text(item.nAmount), item.strNote);
    OnTicked();
}

void CReconcileDlg::OnTicked() {
    if (!m_check || m_listItems->GetItemCount() != static_cast<int>(m_check->Items().size()))
        return;
    for (int i = 0; i < m_listItems->GetItemCount(); ++i)
        m_check->Tick(static_cast<size_t>(i), m_listItems->GetCheck(i));
    SetDlgItemText(IDC_DIFFERENCE, "已对账余额：" + CCents::Text(m_check->ReconciledBalance()) +
                                       "    差额：" + CCents::Text(m_check->Difference()));
}

void CReconcileDlg::OnFinish() {
    if (!m_check || !m_bListed)
        return;
    OnTicked();
    if (!m_check->Finish()) {
        ui::MessageBox(this, AccountTexts::kReconcileNotZero);
        return;
    }
    ui::MessageBox(this, AccountTexts::kReconcileDone);
    OnOK();
}

void CReconcileDlg::OnAdjust() {
    if (!m_check || !m_bListed)
        return;
    OnTicked();
    if (m_check->Difference() != 0 &&
        ui::AskYesNo(this, AccountTexts::kAdjustQuestion) != ui::IDYES)
        return;
    m_check->Adjust();
    ui::MessageBox(this, AccountTexts::kReconcileDone);
    OnOK();
}
