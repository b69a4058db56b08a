#include "plan/BudgetDlg.h"

#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "data/Cents.h"
#include "plan/PlanTexts.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"

#include <algorithm>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

} // namespace

CBudgetDlg::CBudgetDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listBudgets(new CReportCtrl(this)) {
    UseControl(IDC_BUDGETS, m_listBudgets);
    for (auto code : {ui::Notification::Click, ui::Notification::SelChange})
        OnNotify(IDC_BUDGETS, code, [this](ui::NotifyInfo&) { OnRowClick(); });
    OnCommand(IDC_SET, [this] { OnSet(); });
}

CBudgetDlg::~CBudgetDlg() = default;

bool CBudgetDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    const double scale = std::max(1.0, ui::DialogUnits(m_listBudgets->font()).BaseX() / 6.0);
    m_listBudgets->InsertColumn(0, "支出项目", ui::LVCFMT_LEFT, static_cast<int>(180 * scale));
    m_listBudgets->InsertColumn(1, "每月预算", ui::LVCFMT_RIGHT, static_cast<int>(150 * scale));
    m_db.SetConnectionString(kConnection);
    if (m_db.Open())
        Reload();
    return true;
}

void CBudgetDlg::Reload() {
    m_budgets = CBudgetStore(m_db).Load();
    m_names = {CBudgetStore::kAllExpenses};
    CADORecordset rs(&m_db);
    if (rs.Open("支出类型", CADORecordset::ModeTable)) {
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string strName;
            rs.GetFieldValue(1, strName);
            if (!strName.empty())
                m_names.push_back(strName);
        }
        rs.Close();
    }
    const int nSelected = m_listBudgets->GetFirstSelectedItem();
    m_listBudgets->DeleteAllItems();
    for (const std::string& strName : m_names) {
        const auto budget = m_budgets.find(strName);
        m_listBudgets->InsertItem(
            m_listBudgets->GetItemCount(),
            strName == CBudgetStore::kAllExpenses ? CPlanTexts::AllExpenses() : strName,
            budget == m_budgets.end() ? std::string() : CCents::Text(budget->second));
    }
    if (nSelected >= 0)
        m_listBudgets->SetSelected(nSelected, true);
}

void CBudgetDlg::OnRowClick() {
    const int nRow = m_listBudgets->GetFirstSelectedItem();
    if (nRow >= 0)
        SetDlgItemText(IDC_AMOUNT, m_listBudgets->GetItemText(nRow, 1));
}

void CBudgetDlg::OnSet() {
    const int nRow = m_listBudgets->GetFirstSelectedItem();
    if (nRow < 0 || nRow >= static_cast<int>(m_names.size()) || !m_db.IsOpen())
        return;
    std::string strText = GetDlgItemText(IDC_AMOUNT);
    strText.erase(0, strText.find_first_not_of(' '));
    strText.erase(strText.find_last_not_of(' ') + 1);
    std::int64_t nCents = 0;
    if (!strText.empty() && !CCents::Parse(strText, nCents)) {
        ui::MessageBox(this, CPlanTexts::BadAmount());
        return;
    }
    CBudgetStore::Budgets budgets = m_budgets;
    if (nCents > 0)
        budgets[m_names[static_cast<size_t>(nRow)]] = nCents;
    else
        budgets.erase(m_names[static_cast<size_t>(nRow)]);
    std::string strError;
    if (!CBudgetStore(m_db).Save(budgets, strError))
        ui::MessageBox(this, strError);
    Reload();
}
